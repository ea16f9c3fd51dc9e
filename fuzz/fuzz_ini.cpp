// The settings file as anyone who may write it could have left it. The input
// is the file; a fixed round of reads and writes with the program's names
// (ini.dict holds them) runs on it. What is written must read back, and what
// is saved must load back byte for byte.

#include "settings/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

QString tempPath(const QString &name)
{
    static const QTemporaryDir dir;
    return dir.filePath(name);
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = tempPath(QStringLiteral("Settings.ini"));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    file.close();

    IniFile ini;
    check(ini.load(path));
    const QString options = QStringLiteral("Hanna - Options"), recent = QStringLiteral("Hanna - RecentData");
    for (const char *key : {"Sounds", "Color0", "Player1", "IP"}) {
        ini.readString(options, QString::fromLatin1(key));
        ini.readInteger(options, QString::fromLatin1(key), 7);
        ini.readBool(recent, QString::fromLatin1(key), true);
    }
    ini.writeString(recent, QStringLiteral("Player1"), QStringLiteral("Gustav"));
    ini.writeInteger(options, QStringLiteral("ChangingTime"), -3);
    ini.writeBool(QStringLiteral("Neu"), QStringLiteral("Sounds"), true);
    ini.deleteKey(options, QStringLiteral("Color0"));
    check(ini.readString(recent, QStringLiteral("Player1")) == QStringLiteral("Gustav"));
    check(ini.readInteger(options, QStringLiteral("ChangingTime"), 0) == -3);
    check(ini.readBool(QStringLiteral("Neu"), QStringLiteral("Sounds"), false));

    const QString saved = tempPath(QStringLiteral("Saved.ini"));
    check(ini.save(saved));
    IniFile again;
    check(again.load(saved));
    check(again.toBytes() == ini.toBytes());
    return 0;
}
