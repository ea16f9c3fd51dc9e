#include "update/UpdateSettingsStore.h"

#include "update/UpdateLog.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstring>

namespace {
const QString StringTag = QStringLiteral("sz:");
const QString DwordTag = QStringLiteral("dword:");
const QString BinaryTag = QStringLiteral("hex:");
} // namespace

UpdateSettingsStore::UpdateSettingsStore(const QString &file, const QString &registryKey)
    : file_(file), section_(sectionFor(registryKey))
{
    if (QFileInfo::exists(file_) && !ini_.load(file_))
        qCWarning(lcUpdate) << "update settings unreadable:" << file_;
}

QString UpdateSettingsStore::sectionFor(const QString &registryKey)
{
    return QStringLiteral("Software\\Lx\\") + registryKey;
}

bool UpdateSettingsStore::valueExists(const QString &name) const
{
    return ini_.hasKey(section_, name);
}

namespace {
template <typename T>
std::optional<T> noteDamaged(bool present, const QString &name, const QString &raw)
{
    if (present)
        qCWarning(lcUpdate) << "damaged update setting" << name << raw;
    return std::nullopt;
}
} // namespace

std::optional<qint32> UpdateSettingsStore::readInteger(const QString &name) const
{
    const std::optional<qint32> value = readIntegerValue(name);
    return value ? value : noteDamaged<qint32>(valueExists(name), name, ini_.readString(section_, name));
}

std::optional<double> UpdateSettingsStore::readDate(const QString &name) const
{
    const std::optional<double> value = readDateValue(name);
    return value ? value : noteDamaged<double>(valueExists(name), name, ini_.readString(section_, name));
}

std::optional<qint32> UpdateSettingsStore::readIntegerValue(const QString &name) const
{
    const QString raw = ini_.readString(section_, name).trimmed();
    if (!raw.startsWith(DwordTag, Qt::CaseInsensitive))
        return std::nullopt;
    const QString digits = raw.mid(DwordTag.size());
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return qint32(value);
}

std::optional<double> UpdateSettingsStore::readDateValue(const QString &name) const
{
    const QString raw = ini_.readString(section_, name).trimmed();
    if (!raw.startsWith(BinaryTag, Qt::CaseInsensitive))
        return std::nullopt;
    const QStringList parts = raw.mid(BinaryTag.size()).split(u',');
    if (parts.size() != 8)
        return std::nullopt;
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) {
        bool ok = false;
        const QString part = parts.at(i).trimmed();
        const uint byte = part.toUInt(&ok, 16);
        if (!ok || part.size() != 2)
            return std::nullopt;
        bytes[i] = static_cast<unsigned char>(byte);
    }
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | bytes[i];
    double days = 0;
    std::memcpy(&days, &bits, sizeof days);
    // Beyond the years 1 to 9999 no date can come from this program.
    if (!std::isfinite(days) || days < -693593.0 || days > 2958465.0)
        return std::nullopt;
    return days;
}

std::optional<QString> UpdateSettingsStore::readString(const QString &name) const
{
    const QString raw = ini_.readString(section_, name);
    if (!ini_.hasKey(section_, name) || !raw.startsWith(StringTag, Qt::CaseInsensitive))
        return std::nullopt;
    return raw.mid(StringTag.size());
}

void UpdateSettingsStore::writeString(const QString &name, const QString &value)
{
    ini_.writeString(section_, name, StringTag + value);
}

void UpdateSettingsStore::writeInteger(const QString &name, qint32 value)
{
    ini_.writeString(section_, name,
                     DwordTag + QStringLiteral("%1").arg(quint32(value), 8, 16, QLatin1Char('0')));
}

void UpdateSettingsStore::writeDate(const QString &name, double days)
{
    quint64 bits = 0;
    std::memcpy(&bits, &days, sizeof bits);
    QStringList parts;
    for (int i = 0; i < 8; ++i)
        parts << QStringLiteral("%1").arg(uint((bits >> (8 * i)) & 0xFF), 2, 16, QLatin1Char('0'));
    ini_.writeString(section_, name, BinaryTag + parts.join(u','));
}

void UpdateSettingsStore::deleteValue(const QString &name)
{
    ini_.deleteKey(section_, name);
}

bool UpdateSettingsStore::save(QString *error) const
{
    QDir().mkpath(QFileInfo(file_).absolutePath());
    return ini_.save(file_, error);
}
