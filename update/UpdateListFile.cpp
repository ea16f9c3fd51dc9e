#include "update/UpdateListFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {
constexpr qsizetype MaxValueLength = 2047;
}

bool UpdateListFile::load(const QString &path)
{
    sections_.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    loadText(f.readAll());
    return true;
}

void UpdateListFile::loadText(const QByteArray &bytes)
{
    sections_.clear();
    // UTF-8 when the file is valid UTF-8, else the old 8-bit Western encoding.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QHash<QString, QString> *current = nullptr;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            if (close < 0)
                continue;
            current = &sections_[line.mid(1, close - 1).trimmed().toLower()];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        if (key.isEmpty() || current->contains(key))
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        current->insert(key, value.left(MaxValueLength));
    }
}

bool UpdateListFile::sectionPresent(const QString &section) const
{
    const auto it = sections_.constFind(section.toLower());
    return it != sections_.cend() && !it->isEmpty();
}

QString UpdateListFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const auto it = sections_.constFind(section.toLower());
    if (it == sections_.cend())
        return def;
    const auto value = it->constFind(key.toLower());
    return value == it->cend() ? def : *value;
}
