#include "update/install/InstallScript.h"

#include "game/Format.h"

#include <QFile>

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

std::optional<QByteArray> FillTemplate(const QByteArray &pattern, const QList<QByteArray> &values)
{
    QByteArray out;
    out.reserve(pattern.size() + 64);
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char c = pattern.at(i);
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 >= pattern.size())
            return std::nullopt;
        const char kind = pattern.at(++i);
        if (kind == '%') {
            out += '%';
        } else if (kind == 's' && next < values.size()) {
            out += values.at(next++);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

QList<QByteArray> SplitScriptLines(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    // A final line break ends the last line rather than starting an empty one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

namespace {

bool beginsWithBlank(const QByteArray &line)
{
    return line.startsWith(' ');
}

QString formatError(const QByteArray &pattern)
{
    return FormatText(QStringLiteral("Format '%s' ungültig oder nicht kompatibel mit Argument"),
                      {QString::fromUtf8(pattern)});
}

QString malformed(const ScriptPaths &paths, const QString &why)
{
    return FormatText(QStringLiteral("Das Installationsskript %s ist fehlerhaft: %s"),
                      {paths.ScriptPath, why});
}

} // namespace

ScriptAdaptation AdaptScript(QList<QByteArray> lines, const ScriptPaths &paths, bool restart)
{
    ScriptAdaptation result;
    // Empty lines after the last command are an editor's leftover, not a group.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    const QByteArray programFolder = ShellQuote(QFile::encodeName(paths.ProgramFolder));
    const QByteArray tempDir = ShellQuote(QFile::encodeName(paths.TempDir));
    const qsizetype n = lines.size();

    auto fill = [&](qsizetype index, const QList<QByteArray> &values) {
        std::optional<QByteArray> filled = FillTemplate(lines.at(index), values);
        if (!filled) {
            result.FormatError = true;
            result.Message = formatError(lines.at(index));
            return false;
        }
        lines[index] = *filled;
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
        if (!fill(first + 1, {programFolder}) || !fill(first + 2, {programFolder}) ||
            !fill(first + 3, {tempDir, programFolder}))
            return result;
    }
    for (qsizetype i = first; i < n; ++i) {
        if (!fill(i, {tempDir}))
            return result;
    }

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
