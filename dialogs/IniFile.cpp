#include "dialogs/IniFile.h"

#include "game/Format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 code points for the bytes 0x80..0x9F; the five bytes the code
// page leaves undefined map to the C1 control of the same value, so any byte
// sequence survives a read and a write unchanged.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray &bytes)
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

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    Q_UNUSED(ignored);
    return !decoder.hasError();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

bool IniFile::load(const QString &path)
{
    lines_.clear();
    cp1252_ = false;
    QFileInfo info(path);
    if (!info.exists())
        return true;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    cp1252_ = !isValidUtf8(bytes);

    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.text = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes.at(end - 1) == '\r')
                --end;
            line.text = bytes.mid(pos, end - pos);
            line.eol = bytes.mid(end, nl + 1 - end);
            pos = nl + 1;
        }
        lines_.append(line);
    }
    return true;
}

QString IniFile::decode(const QByteArray &bytes) const
{
    return cp1252_ ? fromCp1252(bytes) : QString::fromUtf8(bytes);
}

QByteArray IniFile::encode(const QString &text) const
{
    return cp1252_ ? toCp1252(text) : text.toUtf8();
}

IniFile::Parsed IniFile::parse(int index) const
{
    QByteArray raw = lines_.at(index).text;
    int skipped = 0;
    if (index == 0 && !cp1252_ && raw.startsWith("\xEF\xBB\xBF")) {
        raw = raw.mid(3);
        skipped = 3;
    }
    Parsed p;
    const QString text = decode(raw).trimmed();
    if (text.startsWith(QLatin1Char('['))) {
        p.kind = Kind::Section;
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        p.name = (close < 0 ? text.mid(1) : text.mid(1, close - 1)).trimmed();
        return p;
    }
    if (text.startsWith(QLatin1Char(';')))
        return p;
    // '=' never occurs inside a multi-byte UTF-8 sequence, so the byte search
    // is safe in both encodings.
    const qsizetype eq = raw.indexOf('=');
    if (eq < 0)
        return p;
    p.kind = Kind::Entry;
    p.name = decode(raw.left(eq)).trimmed();
    qsizetype start = eq + 1;
    while (start < raw.size() && (raw.at(start) == ' ' || raw.at(start) == '\t'))
        ++start;
    p.valueStart = int(start) + skipped;
    p.value = decode(raw.mid(start)).trimmed();
    return p;
}

int IniFile::findSection(const QString &section) const
{
    const QString wanted = section.trimmed();
    for (int i = 0; i < lines_.size(); ++i) {
        const Parsed p = parse(i);
        if (p.kind == Kind::Section && sameName(p.name, wanted))
            return i;
    }
    return -1;
}

int IniFile::findKey(int sectionLine, const QString &key) const
{
    const QString wanted = key.trimmed();
    for (int i = sectionLine + 1; i < lines_.size(); ++i) {
        const Parsed p = parse(i);
        if (p.kind == Kind::Section)
            break;
        if (p.kind == Kind::Entry && sameName(p.name, wanted))
            return i;
    }
    return -1;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const int s = findSection(section);
    if (s < 0)
        return def;
    const int k = findKey(s, key);
    if (k < 0)
        return def;
    return parse(k).value.left(MaxValueLength);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    if (!hasKey(section, key))
        return def;
    int value = def;
    return parseInteger(readString(section, key), &value) ? value : def;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

void IniFile::insertLine(int at, const QByteArray &text)
{
    if (at > 0 && lines_[at - 1].eol.isEmpty())
        lines_[at - 1].eol = "\r\n";
    lines_.insert(at, Line{text, "\r\n"});
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QString clean = value;
    clean.replace(QLatin1String("\r\n"), QLatin1String(" "));
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();

    const int s = findSection(sectionName);
    if (s < 0) {
        insertLine(int(lines_.size()), encode(QLatin1Char('[') + sectionName + QLatin1Char(']')));
        insertLine(int(lines_.size()), encode(keyName + QLatin1Char('=') + clean));
        return;
    }
    const int k = findKey(s, keyName);
    if (k >= 0) {
        Line &line = lines_[k];
        line.text = line.text.left(parse(k).valueStart) + encode(clean);
        return;
    }
    int last = s;
    for (int i = s + 1; i < lines_.size(); ++i) {
        const Kind kind = parse(i).kind;
        if (kind == Kind::Section)
            break;
        if (kind == Kind::Entry)
            last = i;
    }
    insertLine(last + 1, encode(keyName + QLatin1Char('=') + clean));
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
    const int k = findKey(s, key);
    if (k >= 0)
        lines_.removeAt(k);
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const Line &line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool IniFile::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const QByteArray bytes = toBytes();
        ok = file.write(bytes) == bytes.size();
        ok = ok && file.commit();
        if (!ok)
            file.cancelWriting();
    }
    if (!ok && error)
        *error = FormatText(QStringLiteral("In %s kann nicht geschrieben werden"),
                            {QDir::toNativeSeparators(path)});
    return ok;
}
