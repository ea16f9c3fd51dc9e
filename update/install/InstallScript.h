#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QIODevice;

// Adapting the update's installation script "Update.bat" to this computer.
// On this platform the script is a POSIX shell script run by /bin/sh. Its
// shape, as the archive's author writes it: groups of four lines, then an
// optional tail whose first line begins with a blank. Every line but the
// first of a group is a template whose "%s" take the values below. The
// folders are set once, single-quoted, as shell variables at the top of the
// script, and each "%s" becomes a reference to its variable that gives the
// exact name in the place where it stands (bare, in "…", in '…', in a here-
// document), so folder names with blanks, quotes, "$" or backquotes can
// neither break a command nor inject one.
namespace UpdateInstall {

// `text` as one shell word in single quotes ('\'' for a quote inside).
QByteArray ShellQuote(const QByteArray &text);

struct ScriptPaths {
    QString ProgramFolder; // with trailing "/"
    QString ProgramFile;
    QString TempDir; // the folder the archive was unpacked into, trailing "/"
    QString ScriptPath;
};

struct ScriptAdaptation {
    bool Ok = false;
    bool FormatError = false; // a template was invalid (else: the script's shape)
    QString Message;          // German, when not Ok
    QList<QByteArray> Lines;
};

// Reads a script file line by line (a trailing carriage return, from a script
// written on Windows, is dropped: sh would read it as part of a word), but
// never more than `maxBytes`: nullopt for a longer file.
std::optional<QList<QByteArray>> ReadScriptLines(QIODevice &file, qint64 maxBytes);

// The first of the paths whose name holds a line break (empty: none). No
// script can be prepared for such a folder.
QString PathWithLineBreak(const ScriptPaths &paths);
QString FolderNameRefusedText(const QString &path);


// Substitutes the groups and the tail, sets the folder variables at the top
// of the script, then appends the restart line (when
// `restart`) and the line that deletes the script.
ScriptAdaptation AdaptScript(QList<QByteArray> lines, const ScriptPaths &paths, bool restart);

} // namespace UpdateInstall
