#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A Windows-style initialisation file ("[Section]" headers, "key=value"
// lines). Written by hand rather than with QSettings, which percent-encodes
// section names and rewrites the whole file: here sections and keys match
// without regard to case, the first matching section and key win, and a
// write touches only the one line it changes (or appends one), so comments
// and other users' sections stay byte for byte as they were.
//
// Encoding: a file whose bytes are valid UTF-8 (or a new file) is UTF-8; any
// other file is read as Windows-1252 and written back in it. Lines the
// program adds end in CR LF; existing lines keep their own ends.
class IniFile {
public:
    // A missing file counts as an empty one; false only when the file exists
    // but cannot be read (the object is then empty).
    bool load(const QString &path);

    QString readString(const QString &section, const QString &key, const QString &def = {}) const;
    // "0x"/"0X" followed by more characters, or "$": hexadecimal; otherwise
    // decimal; missing or unreadable: def.
    int readInteger(const QString &section, const QString &key, int def) const;
    bool readBool(const QString &section, const QString &key, bool def) const;
    bool hasKey(const QString &section, const QString &key) const;

    // Line breaks inside a value would split the line; they are written as
    // spaces.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void deleteKey(const QString &section, const QString &key);

    // Writes a temporary file beside the target and renames it over the
    // target, so a failure never leaves a half-written file. On failure the
    // old file is untouched and *error gets the German message.
    bool save(const QString &path, QString *error = nullptr) const;

    // The whole file as it would be saved (for tests and diagnostics).
    QByteArray toBytes() const;
    bool isWindows1252() const { return cp1252_; }

    // Values longer than this are cut when read, like the Windows routine.
    static constexpr int MaxValueLength = 2047;

private:
    struct Line {
        QByteArray text; // without the line end
        QByteArray eol;  // "\r\n", "\n" or empty for an unterminated last line
    };
    enum class Kind { Other, Section, Entry };
    struct Parsed {
        Kind kind = Kind::Other;
        QString name;        // section name or key
        QString value;       // entry value
        int valueStart = -1; // byte offset in Line::text after "=" and its following blanks
    };

    Parsed parse(int index) const;
    QString decode(const QByteArray &bytes) const;
    QByteArray encode(const QString &text) const;
    int findSection(const QString &section) const;
    // Index of the key's line inside the section starting at sectionLine, or -1.
    int findKey(int sectionLine, const QString &key) const;
    void insertLine(int at, const QByteArray &text);

    QList<Line> lines_;
    bool cp1252_ = false;
};
