#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

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
//
// The file is read in one pass that only finds the section headers; a
// section's lines are looked at when a key of it is first asked for, so the
// time for a load, a few reads and writes and a save grows with the file
// once, however many users share it.
//
// Several users may share the file: loadLocked() holds a shared lock and
// update() an exclusive one (flock on "<file>.lock" beside it) across
// reading, changing and writing, so that nobody's sections are lost.
class IniFile {
public:
    // A missing file counts as an empty one; false only when the file exists
    // but cannot be read (the object is then empty).
    bool load(const QString &path);
    // The same under the shared lock, so that a save in place by another
    // user is never seen half done.
    bool loadLocked(const QString &path);
    // The same from bytes in memory.
    void loadBytes(const QByteArray &bytes);

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

    // Writes the file so that a failure never leaves it half-written: a file
    // of our own is replaced by a complete new one (same mode and group); a
    // file that belongs to someone else, or that cannot be replaced because
    // of the folder (sticky or write-protected), is overwritten in place with
    // the complete content, cut to length and synced, so that it keeps its
    // owner and mode. On failure the old file is kept and *error gets the
    // German message.
    bool save(const QString &path, QString *error = nullptr) const;
    // Read-modify-write under the exclusive lock: loads the file afresh,
    // lets change() edit it, and saves it, so that what others saved
    // meanwhile stays.
    static bool update(const QString &path, const std::function<void(IniFile &)> &change,
                       QString *error = nullptr);

    // The whole file as it would be saved (for tests and diagnostics).
    QByteArray toBytes() const;
    bool isWindows1252() const { return cp1252_; }

    // Values longer than this are cut when read, like the Windows routine.
    static constexpr int MaxValueLength = 2047;
    // How many lines all IniFile objects have parsed so far (to check that
    // the work grows with the file once, not once per key).
    static qint64 linesParsed();

private:
    enum class Kind { Other, Section, Entry };
    struct Line {
        QByteArray text; // without the line end
        QByteArray eol;  // "\r\n", "\n" or empty for an unterminated last line
        Kind kind = Kind::Other;
        QString name;        // section name, or the key folded for matching
        int valueStart = -1; // byte offset in text after "=" and its following blanks
    };
    // A stretch of the file: the part before the first header, or one
    // section from its header to the next one. Its bytes stay in data_ until
    // it is first needed; then its lines are split out.
    struct Chunk {
        qsizetype begin = 0, end = 0;
        int split = -1; // index in splits_, or -1 while raw
    };
    struct Split {
        QList<Line> lines;
        QHash<QString, int> keys; // folded key -> first entry line
        int lastEntry = 0;        // line after which a new key goes
    };

    void clear();
    Line parseLine(QByteArray text, QByteArray eol, bool firstOfFile) const;
    QString decode(QByteArrayView bytes) const;
    QByteArray encode(const QString &text) const;
    int findSection(const QString &section) const;
    Split &split(int chunk) const;
    static void reindex(Split &split);
    QString valueOf(const Line &line) const;

    QByteArray data_;
    bool cp1252_ = false;
    mutable QList<Chunk> chunks_; // split lazily, also while reading
    mutable QList<Split> splits_;
    QHash<QString, int> sections_; // folded section name -> first chunk with it
};
