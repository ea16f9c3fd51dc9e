#include "settings/IniFile.h"

#include "settings/SettingsLog.h"
#include "settings/SharedFile.h"
#include "game/Format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>

namespace {

// Windows-1252 code points for the bytes 0x80..0x9F; the five bytes the code
// page leaves undefined map to the C1 control of the same value, so any byte
// sequence survives a read and a write unchanged.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return out;
}

QByteArray toCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i) {
            if (Cp1252High[i] == u) {
                found = i;
                break;
            }
        }
        out.append(found >= 0 ? char(0x80 + found) : '?');
    }
    return out;
}

// Valid UTF-8 as a whole, checked in pieces cut before a byte that starts
// a character, so that no sequence is split.
bool isValidUtf8(QByteArrayView bytes)
{
    constexpr qsizetype Piece = 1 << 20;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = std::min(bytes.size(), at + Piece);
        while (end < bytes.size() && end > at + 1 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
        const QString ignored = decoder.decode(bytes.sliced(at, end - at));
        Q_UNUSED(ignored);
        if (decoder.hasError())
            return false;
        at = end;
    }
    return true;
}

std::atomic<qint64> g_linesParsed{0};

QString folded(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

bool isAsciiBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Delphi-style strict integer reading: the whole trimmed text must be the
// number.
bool parseInteger(const QString &text, int *result)
{
    const QString t = text.trimmed();
    QString digits;
    if ((t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X"))) && t.size() > 2) {
        digits = t.mid(2);
    } else if (t.startsWith(QLatin1Char('$'))) {
        digits = t.mid(1);
    } else {
        bool ok = false;
        const int v = t.toInt(&ok, 10);
        if (ok)
            *result = v;
        return ok;
    }
    // Hexadecimal: up to eight digits, wrapping into the negative range as a
    // 32-bit value does.
    if (digits.isEmpty() || digits.size() > 8)
        return false;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    bool ok = false;
    const uint v = digits.toUInt(&ok, 16);
    if (ok)
        *result = static_cast<int>(v);
    return ok;
}

} // namespace

qint64 IniFile::linesParsed()
{
    return g_linesParsed.load();
}

void IniFile::clear()
{
    data_.clear();
    cp1252_ = false;
    chunks_.clear();
    splits_.clear();
    sections_.clear();
}

bool IniFile::load(const QString &path)
{
    clear();
    QFileInfo info(path);
    if (!info.exists())
        return true;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSettings) << "cannot read" << path << file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcSettings) << "cannot read" << path << file.errorString();
        return false;
    }
    loadBytes(bytes);
    return true;
}

bool IniFile::loadLocked(const QString &path)
{
    // Nothing there: nothing to wait for, and no lock file is left behind.
    if (!QFileInfo::exists(path))
        return load(path);
    // Without the lock (another holder kept it too long) the file is read as it is.
    const SharedFile::Lock lock(path, false);
    return load(path);
}

void IniFile::loadBytes(const QByteArray &bytes)
{
    clear();
    data_ = bytes;
    cp1252_ = !isValidUtf8(data_);
    // One pass that only finds the section headers; each section becomes a
    // chunk whose lines are split out when a key of it is first asked for.
    const char *d = data_.constData();
    const qsizetype n = data_.size();
    qsizetype chunkBegin = 0;
    QString chunkName;
    bool chunkIsSection = false;
    auto closeChunk = [&](qsizetype end) {
        if (end <= chunkBegin && !chunkIsSection)
            return;
        if (chunkIsSection) {
            const auto known = sections_.constFind(chunkName);
            if (known == sections_.constEnd())
                sections_.insert(chunkName, int(chunks_.size()));
        }
        Chunk c;
        c.begin = chunkBegin;
        c.end = end;
        chunks_.append(c);
    };
    qsizetype lines = 0;
    for (qsizetype pos = 0; pos < n;) {
        const auto *nl = static_cast<const char *>(std::memchr(d + pos, '\n', size_t(n - pos)));
        const qsizetype next = nl != nullptr ? nl - d + 1 : n;
        ++lines;
        qsizetype i = pos;
        if (pos == 0 && !cp1252_ && data_.startsWith("\xEF\xBB\xBF"))
            i = 3;
        while (i < next && d[i] != '\n' && isAsciiBlank(d[i]))
            ++i;
        // A header begins with "[" after blanks; a byte above ASCII may be a
        // blank of the code page, so such a line is looked at in full.
        if (i < next && (d[i] == '[' || static_cast<unsigned char>(d[i]) >= 0x80)) {
            qsizetype end = nl != nullptr ? nl - d : n;
            const QByteArrayView text(d + i, end - i);
            std::optional<QString> name;
            if (d[i] == '[' && std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; })) {
                // Plain ASCII, the usual header: its name straight from the bytes.
                QByteArrayView inner = text.sliced(1);
                while (!inner.isEmpty() && isAsciiBlank(inner.back()))
                    inner.chop(1);
                if (const qsizetype close = inner.indexOf(']'); close >= 0)
                    inner.truncate(close);
                name = QString::fromLatin1(inner).trimmed();
            } else {
                if (nl != nullptr && end > pos && d[end - 1] == '\r')
                    --end;
                const Line line = parseLine(data_.sliced(pos, end - pos), {}, pos == 0);
                if (line.kind == Kind::Section)
                    name = line.name;
            }
            if (name) {
                closeChunk(pos);
                chunkBegin = pos;
                chunkIsSection = true;
                chunkName = std::move(*name).toCaseFolded();
            }
        }
        pos = next;
    }
    closeChunk(n);
    g_linesParsed += lines;
}

QString IniFile::decode(QByteArrayView bytes) const
{
    return cp1252_ ? fromCp1252(bytes) : QString::fromUtf8(bytes);
}

QByteArray IniFile::encode(const QString &text) const
{
    return cp1252_ ? toCp1252(text) : text.toUtf8();
}

IniFile::Line IniFile::parseLine(QByteArray text, QByteArray eol, bool firstOfFile) const
{
    Line p;
    QByteArrayView raw = text;
    int skipped = 0;
    if (firstOfFile && !cp1252_ && raw.startsWith("\xEF\xBB\xBF")) {
        raw = raw.sliced(3);
        skipped = 3;
    }
    const QString trimmed = decode(raw).trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        p.kind = Kind::Section;
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        p.name = (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
    } else if (!trimmed.startsWith(QLatin1Char(';'))) {
        // '=' never occurs inside a multi-byte UTF-8 sequence, so the byte
        // search is safe in both encodings.
        const qsizetype eq = raw.indexOf('=');
        if (eq >= 0) {
            p.kind = Kind::Entry;
            p.name = folded(decode(raw.first(eq)));
            qsizetype start = eq + 1;
            while (start < raw.size() && (raw[start] == ' ' || raw[start] == '\t'))
                ++start;
            p.valueStart = int(start) + skipped;
        }
    }
    p.text = std::move(text);
    p.eol = std::move(eol);
    return p;
}

QString IniFile::valueOf(const Line &line) const
{
    return decode(QByteArrayView(line.text).sliced(line.valueStart)).trimmed();
}

IniFile::Split &IniFile::split(int chunk) const
{
    Chunk &c = chunks_[chunk];
    if (c.split >= 0)
        return splits_[c.split];
    c.split = int(splits_.size());
    Split &sp = splits_.emplace_back();
    for (qsizetype pos = c.begin; pos < c.end;) {
        const qsizetype nl = data_.indexOf('\n', pos);
        qsizetype end = nl < 0 || nl >= c.end ? c.end : nl;
        const qsizetype next = end < c.end ? end + 1 : c.end;
        if (end < next && end > pos && data_[end - 1] == '\r')
            --end;
        sp.lines.append(parseLine(data_.sliced(pos, end - pos), data_.sliced(end, next - end), pos == 0));
        pos = next;
    }
    g_linesParsed += sp.lines.size();
    reindex(sp);
    return sp;
}

void IniFile::reindex(Split &sp)
{
    sp.keys.clear();
    sp.lastEntry = 0;
    for (int i = int(sp.lines.size()) - 1; i >= 1; --i) {
        if (sp.lines[i].kind != Kind::Entry)
            continue;
        sp.keys.insert(sp.lines[i].name, i); // from the end: the first one stays
        sp.lastEntry = std::max(sp.lastEntry, i);
    }
}

int IniFile::findSection(const QString &section) const
{
    return sections_.value(folded(section), -1);
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const int s = findSection(section);
    if (s < 0)
        return def;
    const Split &sp = split(s);
    const int k = sp.keys.value(folded(key), -1);
    return k < 0 ? def : valueOf(sp.lines[k]).left(MaxValueLength);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    if (!hasKey(section, key))
        return def;
    int value = def;
    if (parseInteger(readString(section, key), &value))
        return value;
    qCWarning(lcSettings) << "damaged number" << section << key << "read as" << def;
    return def;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    const int s = findSection(section);
    if (s < 0)
        return false;
    return split(s).keys.contains(folded(key));
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QString clean = value;
    clean.replace(QLatin1String("\r\n"), QLatin1String(" "));
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    const QByteArray entry = encode(keyName + QLatin1Char('=') + clean);

    int s = findSection(sectionName);
    if (s < 0) {
        // A new section at the end; the last line gets its end first.
        if (!chunks_.isEmpty()) {
            QList<Line> &last = split(int(chunks_.size()) - 1).lines;
            if (!last.isEmpty() && last.last().eol.isEmpty())
                last.last().eol = "\r\n";
        }
        Split sp;
        sp.lines.append(parseLine(encode(QLatin1Char('[') + sectionName + QLatin1Char(']')), "\r\n", false));
        sp.lines.append(parseLine(entry, "\r\n", false));
        reindex(sp);
        Chunk c;
        c.begin = c.end = data_.size();
        c.split = int(splits_.size());
        chunks_.append(c);
        if (sp.lines.first().kind == Kind::Section)
            sections_.insert(sp.lines.first().name.toCaseFolded(), int(chunks_.size()) - 1);
        splits_.append(std::move(sp));
        return;
    }
    Split &sp = split(s);
    QList<Line> &all = sp.lines;
    const int k = sp.keys.value(folded(keyName), -1);
    if (k >= 0) {
        Line &line = all[k];
        line.text = line.text.left(line.valueStart) + encode(clean);
        return;
    }
    const int at = sp.lastEntry + 1;
    if (all[at - 1].eol.isEmpty())
        all[at - 1].eol = "\r\n";
    all.insert(at, parseLine(entry, "\r\n", false));
    // Only lines without entries followed the last entry: no index moves.
    sp.keys.insert(all[at].name, at);
    sp.lastEntry = at;
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    const int s = findSection(section);
    if (s < 0)
        return;
    Split &sp = split(s);
    const int k = sp.keys.value(folded(key), -1);
    if (k < 0)
        return;
    sp.lines.removeAt(k);
    reindex(sp);
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    out.reserve(data_.size() + 1024);
    for (const Chunk &c : chunks_) {
        if (c.split < 0) {
            out.append(QByteArrayView(data_).sliced(c.begin, c.end - c.begin));
            continue;
        }
        for (const Line &line : splits_[c.split].lines) {
            out += line.text;
            out += line.eol;
        }
    }
    return out;
}

// The path may hold anything a user named a folder: cut it and show control
// characters visibly, like every other outside text in a message box.
static QString cannotWrite(const QString &path)
{
    return FormatText(QStringLiteral("In %s kann nicht geschrieben werden"),
                      {OutsideText(QDir::toNativeSeparators(path), 260)});
}

bool IniFile::save(const QString &path, QString *error) const
{
    const bool ok = SharedFile::Write(path, toBytes());
    if (!ok)
        qCWarning(lcSettings) << "cannot write" << path;
    if (!ok && error)
        *error = cannotWrite(path);
    return ok;
}

bool IniFile::update(const QString &path, const std::function<void(IniFile &)> &change, QString *error)
{
    const SharedFile::Lock lock(path, true);
    IniFile ini;
    if (!lock.held() || !ini.load(path)) {
        qCWarning(lcSettings) << "cannot update" << path << (lock.held() ? "(unreadable)" : "(not locked)");
        if (error)
            *error = cannotWrite(path);
        return false;
    }
    change(ini);
    return ini.save(path, error);
}
