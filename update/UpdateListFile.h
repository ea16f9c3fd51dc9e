#pragma once

#include <QHash>
#include <QString>

// The server's update list "Updates.ini", read into memory. It comes from
// outside: every line that is not a section header or a key=value pair is
// ignored, section and key names compare without regard to case, values are
// single lines cut at 2047 characters.
class UpdateListFile {
public:
    // False when the file cannot be read; the list is then empty.
    bool load(const QString &path);
    void loadText(const QByteArray &bytes);

    // A section counts only when it holds at least one key.
    bool sectionPresent(const QString &section) const;
    QString readString(const QString &section, const QString &key, const QString &def = {}) const;

private:
    // section (lower case) -> key (lower case) -> value; the first of
    // repeated keys wins.
    QHash<QString, QHash<QString, QString>> sections_;
};
