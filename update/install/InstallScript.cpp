#include "update/install/InstallScript.h"

#include "game/Format.h"

#include <QFile>
#include <QIODevice>

namespace UpdateInstall {

QByteArray ShellQuote(const QByteArray &text)
{
    QByteArray quoted;
    quoted.reserve(text.size() + 8);
    quoted += '\'';
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::optional<QList<QByteArray>> ReadScriptLines(QIODevice &file, qint64 maxBytes)
{
    QList<QByteArray> lines;
    QByteArray line;
    auto take = [&] {
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines += line;
        line.clear();
    };
    // A small buffer: a line's memory grows with what it holds, not with
    // what it might hold.
    char buffer[4096];
    qint64 total = 0;
    for (;;) {
        const qint64 got = file.readLine(buffer, sizeof buffer);
        if (got <= 0)
            break;
        total += got;
        if (total > maxBytes)
            return std::nullopt;
        line.append(buffer, got);
        if (buffer[got - 1] == '\n')
            take();
    }
    if (!line.isEmpty())
        take();
    return lines;
}

QString PathWithLineBreak(const ScriptPaths &paths)
{
    for (const QString &path : {paths.ProgramFolder, paths.ProgramFile, paths.TempDir, paths.ScriptPath})
        if (path.contains(u'\n'))
            return path;
    return {};
}

QString FolderNameRefusedText(const QString &path)
{
    return FormatText(
        QStringLiteral("Der Name des Ordners \"%s\" enthält einen Zeilenumbruch. Dort kann kein "
                       "Update installiert werden."),
        {OutsideText(QString(path).replace(u'\n', QChar(0x240A)), 260)});
}

namespace {

// The shell variables that carry the folders; set once at the top of the
// adapted script and referred to wherever a template says "%s".
const QByteArray ProgramFolderVariable = "KIELWANZ_PROGRAMMORDNER";
const QByteArray UnpackFolderVariable = "KIELWANZ_ENTPACKORDNER";

bool beginsWithBlank(const QByteArray &line)
{
    return line.startsWith(' ');
}

QString formatError(const QByteArray &pattern)
{
    return FormatText(QStringLiteral("Format '%s' ungültig oder nicht kompatibel mit Argument"),
                      {OutsideText(QString::fromUtf8(pattern))});
}

QString malformed(const ScriptPaths &paths, const QString &why)
{
    return FormatText(QStringLiteral("Das Installationsskript %s ist fehlerhaft: %s"),
                      {OutsideText(paths.ScriptPath, 260), why});
}

// Follows the quoting of a POSIX shell through the script, line by line, so
// that each "%s" can be replaced by a reference to its variable that gives
// the folder's exact name in the place where it stands: bare, inside "…",
// inside '…', in a command substitution or a here-document. The folder name
// itself never becomes script text, so nothing in it can end a quote or be
// run.
class ScriptFiller {
public:
    struct Value {
        QByteArray variable;
        QByteArray text; // for here-documents whose delimiter is quoted
    };

    // Copies `line` (a template when `isTemplate`) to `out`. False when a
    // "%" is used wrongly or more "%s" stand than values are given.
    bool fill(const QByteArray &line, bool isTemplate, const QList<Value> &values, QByteArray &out)
    {
        out.clear();
        out.reserve(line.size() + 32 * values.size());
        if (!heredocs_.isEmpty())
            return fillHeredocLine(line, isTemplate, values, out);
        qsizetype next = 0;
        bool comment = false, escaped = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char c = line.at(i);
            if (isTemplate && c == '%') {
                const Placeholder p = readPlaceholder(line, i, next < values.size());
                if (p == Placeholder::Invalid || (p == Placeholder::Value && escaped))
                    return false; // a backslash would take our own quote or "$" away
                if (p == Placeholder::Percent)
                    out += '%';
                else
                    out += comment ? values.at(next++).variable : reference(values.at(next++).variable);
                escaped = false;
                continue;
            }
            out += c;
            if (comment)
                continue;
            if (escaped) {
                escaped = false;
                continue;
            }
            const Quote q = stack_.back().quote;
            if (q == Quote::Single) {
                if (c == '\'')
                    stack_.pop_back();
                continue;
            }
            if (c == '\\') {
                escaped = true;
                continue;
            }
            if (q == Quote::Double) {
                if (c == '"')
                    stack_.pop_back();
                else
                    openSubstitution(line, i, out);
                continue;
            }
            // Unquoted text: at the top, in $( ) or in ` `.
            if (c == '`' && q == Quote::Backquote) {
                stack_.pop_back();
            } else if (c == '\'') {
                stack_.push_back({Quote::Single});
            } else if (c == '"') {
                stack_.push_back({Quote::Double});
            } else if (c == '#' && startsWord(line, i)) {
                comment = true;
            } else if (c == '(' && q == Quote::Command) {
                ++stack_.back().depth;
            } else if (c == ')' && q == Quote::Command) {
                if (--stack_.back().depth == 0)
                    stack_.pop_back();
            } else if (c == '<' && line.mid(i, 3) == "<<<") {
                out += "<<"; // a here-string, not a here-document
                i += 2;
            } else if (c == '<' && line.mid(i, 2) == "<<" && !stack_.back().arithmetic) {
                if (!readHeredocDelimiter(line, i, out))
                    return false;
            } else {
                openSubstitution(line, i, out);
            }
        }
        // A backslash at the end of a line joins it to the next one; the
        // here-documents of this line begin with the next one.
        heredocs_ += pending_;
        pending_.clear();
        return true;
    }

    // The shell reads the whole script: every quote, bracket and
    // here-document must be closed at its end.
    bool closed() const { return stack_.size() == 1 && heredocs_.isEmpty() && pending_.isEmpty(); }

private:
    enum class Quote { Top, Single, Double, Command, Backquote };
    struct Level {
        Quote quote;
        int depth = 0;           // open brackets of a $( )
        bool arithmetic = false; // $(( )): "<<" shifts there
    };
    struct Heredoc {
        QByteArray delimiter;
        bool quoted; // nothing is expanded in its body
        bool tabs;   // "<<-": leading tabs are removed
    };

    enum class Placeholder { Percent, Value, Invalid };

    // At the "%" at `i` of a template: "%%" or "%s" (when a value is left);
    // any other use of "%" makes the template invalid. Moves `i` past it.
    static Placeholder readPlaceholder(const QByteArray &line, qsizetype &i, bool valueLeft)
    {
        if (i + 1 >= line.size())
            return Placeholder::Invalid;
        const char kind = line.at(++i);
        if (kind == '%')
            return Placeholder::Percent;
        return kind == 's' && valueLeft ? Placeholder::Value : Placeholder::Invalid;
    }

    QByteArray reference(const QByteArray &variable) const
    {
        switch (stack_.back().quote) {
        case Quote::Single:
            return "'\"${" + variable + "}\"'"; // leave the quote, insert, re-enter
        case Quote::Double:
            return "${" + variable + '}';
        default:
            return "\"${" + variable + "}\"";
        }
    }

    // "$(" or "`" at `i` (the character already copied) opens unquoted text.
    void openSubstitution(const QByteArray &line, qsizetype &i, QByteArray &out)
    {
        const char c = line.at(i);
        if (c == '`') {
            stack_.push_back({Quote::Backquote});
        } else if (c == '$' && i + 1 < line.size() && line.at(i + 1) == '(') {
            out += '(';
            ++i;
            stack_.push_back({Quote::Command, 1, i + 1 < line.size() && line.at(i + 1) == '('});
        }
    }

    static bool startsWord(const QByteArray &line, qsizetype i)
    {
        return i == 0 || QByteArrayView(" \t;&|()<>").contains(line.at(i - 1));
    }

    // After "<<" at `i`: copies the operator and its delimiter word.
    bool readHeredocDelimiter(const QByteArray &line, qsizetype &i, QByteArray &out)
    {
        qsizetype j = i + 2;
        Heredoc doc{{}, false, false};
        if (j < line.size() && line.at(j) == '-') {
            doc.tabs = true;
            ++j;
        }
        while (j < line.size() && (line.at(j) == ' ' || line.at(j) == '\t'))
            ++j;
        char quote = 0;
        for (; j < line.size(); ++j) {
            const char c = line.at(j);
            if (quote) {
                if (c == quote)
                    quote = 0;
                else
                    doc.delimiter += c;
            } else if (c == '\'' || c == '"') {
                quote = c;
                doc.quoted = true;
            } else if (c == '\\' && j + 1 < line.size()) {
                doc.quoted = true;
                doc.delimiter += line.at(++j);
            } else if (QByteArrayView(" \t;&|()<>").contains(c)) {
                break;
            } else if (c == '%') {
                return false; // no values in a delimiter
            } else {
                doc.delimiter += c;
            }
        }
        if (quote || doc.delimiter.isEmpty())
            return false;
        out += line.mid(i + 1, j - i - 1);
        i = j - 1;
        pending_ += doc;
        return true;
    }

    bool fillHeredocLine(const QByteArray &line, bool isTemplate, const QList<Value> &values, QByteArray &out)
    {
        const Heredoc &doc = heredocs_.front();
        QByteArray bare = line;
        if (doc.tabs)
            while (bare.startsWith('\t'))
                bare.remove(0, 1);
        if (bare == doc.delimiter) {
            heredocs_.pop_front();
            out = line;
            return true;
        }
        // Without a quoted delimiter the body expands like text in "…".
        qsizetype next = 0;
        bool escaped = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char c = line.at(i);
            if (isTemplate && c == '%') {
                const Placeholder p = readPlaceholder(line, i, next < values.size());
                if (p == Placeholder::Invalid || (p == Placeholder::Value && escaped && !doc.quoted))
                    return false;
                if (p == Placeholder::Percent)
                    out += '%';
                else
                    out += doc.quoted ? values.at(next++).text : "${" + values.at(next++).variable + '}';
                escaped = false;
                continue;
            }
            out += c;
            escaped = !escaped && c == '\\';
        }
        return true;
    }

    QList<Level> stack_{{Quote::Top}};
    QList<Heredoc> pending_;  // announced on the current line
    QList<Heredoc> heredocs_; // whose bodies are being read
};

} // namespace

ScriptAdaptation AdaptScript(QList<QByteArray> lines, const ScriptPaths &paths, bool restart)
{
    ScriptAdaptation result;
    // Empty lines after the last command are an editor's leftover, not a group.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    // A line break in a folder's name would end the line that sets its
    // variable, or any other line that names it.
    if (const QString path = PathWithLineBreak(paths); !path.isEmpty()) {
        result.Message = FolderNameRefusedText(path);
        return result;
    }

    const ScriptFiller::Value programFolder{ProgramFolderVariable, QFile::encodeName(paths.ProgramFolder)};
    const ScriptFiller::Value tempDir{UnpackFolderVariable, QFile::encodeName(paths.TempDir)};
    const qsizetype n = lines.size();
    ScriptFiller filler;
    QByteArray filled;

    auto fill = [&](qsizetype index, bool isTemplate, const QList<ScriptFiller::Value> &values) {
        if (!filler.fill(lines.at(index), isTemplate, values, filled)) {
            result.FormatError = true;
            result.Message = formatError(lines.at(index));
            return false;
        }
        lines[index] = filled;
        return true;
    };

    qsizetype first = 0;
    for (; first < n; first += 4) {
        if (beginsWithBlank(lines.at(first)))
            break;
        if (lines.at(first).trimmed().isEmpty()) {
            result.Message =
                malformed(paths, FormatText(QStringLiteral("Zeile %d beginnt eine Gruppe und ist leer."),
                                            {qlonglong(first + 1)}));
            return result;
        }
        if (first + 3 >= n) {
            result.Message =
                malformed(paths, FormatText(QStringLiteral("Die Gruppe ab Zeile %d hat keine vier Zeilen."),
                                            {qlonglong(first + 1)}));
            return result;
        }
        if (!fill(first, false, {}) || !fill(first + 1, true, {programFolder}) ||
            !fill(first + 2, true, {programFolder}) || !fill(first + 3, true, {tempDir, programFolder}))
            return result;
    }
    for (qsizetype i = first; i < n; ++i) {
        if (!fill(i, true, {tempDir}))
            return result;
    }
    if (!filler.closed()) {
        // The lines we add would become part of the open text.
        result.Message = malformed(
            paths, QStringLiteral("Am Ende ist ein Anführungszeichen, eine Klammer oder ein Here-Dokument "
                                  "nicht geschlossen."));
        return result;
    }

    lines.prepend(UnpackFolderVariable + '=' + ShellQuote(tempDir.text));
    lines.prepend(ProgramFolderVariable + '=' + ShellQuote(programFolder.text));
    if (restart) {
        // Started in the background so that the script goes on to delete
        // itself; the new program gets no share of the installation log.
        lines += ShellQuote(QFile::encodeName(paths.ProgramFile)) + " </dev/null >/dev/null 2>&1 &";
    }
    lines += "rm -f " + ShellQuote(QFile::encodeName(paths.ScriptPath));
    result.Ok = true;
    result.Lines = lines;
    return result;
}

} // namespace UpdateInstall
