// Loading and saving "Settings.ini" shared by very many users: a file of
// about 50 MB (or the size in MB given), the own sections in the middle, as
// the program does at start and at exit. Prints the times (wall clock, and
// the processor time, which a busy machine does not inflate) and the lines
// parsed per line of the file.

#include "settings/IniFile.h"
#include "settings/SettingsFile.h"
#include "game/GameState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Settings.ini"));

    QByteArray users;
    for (int i = 0; users.size() < megabytes * 500'000; ++i) {
        const QByteArray name = "Benutzer" + QByteArray::number(i);
        users += "[" + name +
                 " - Options]\r\nSounds=1\r\nSoundWater=2\r\nSoundShip=103\r\nColor1=8388608\r\n"
                 "Color2=65535\r\nColor3=8421504\r\n[" +
                 name + " - RecentData]\r\nPlayer1=" + name +
                 "\r\nPlayer2=Computer\r\nChangingTime=4\r\nClient=0\r\nIP=\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(users + "[Anna - Options]\r\nColor1=255\r\n[Anna - RecentData]\r\nPlayer1=Anna\r\n" +
                   users) < 0)
        return 1;
    file.close();
    const qint64 lines = 2 * users.count('\n') + 4;

    const SettingsFile settings(path, QStringLiteral("Anna"));
    GameState st;
    bool sounds = false;
    QElapsedTimer clock;
    const auto cpuMs = [] { return qint64(std::clock()) * 1000 / CLOCKS_PER_SEC; };
    const qint64 parsedBefore = IniFile::linesParsed();
    clock.start();
    qint64 cpu = cpuMs();
    settings.load(st, sounds);
    const qint64 loadMs = clock.restart(), loadCpuMs = cpuMs() - cpu;
    st.recentNames[1] = QStringLiteral("Bert");
    cpu = cpuMs();
    const QString error = settings.save(st, sounds);
    const qint64 saveMs = clock.elapsed(), saveCpuMs = cpuMs() - cpu;
    if (!error.isEmpty() || st.cellColors[1] != 255) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("file_mb=%.1f\nlines=%lld\nload_ms=%lld\nload_cpu_ms=%lld\nsave_ms=%lld\nsave_cpu_ms=%lld\n"
                "lines_parsed_per_line=%.2f\n",
                double(QFile(path).size()) / 1e6, lines, loadMs, loadCpuMs, saveMs, saveCpuMs,
                double(IniFile::linesParsed() - parsedBefore) / double(lines));
    return 0;
}
