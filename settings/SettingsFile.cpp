#include "settings/SettingsFile.h"

#include "settings/IniFile.h"
#include "settings/InstallLocation.h"
#include "game/Format.h"
#include "game/GameState.h"
#include "game/Texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString FileName = QStringLiteral("Settings.ini");

// Key names and defaults, in the order they are read and written.
const QString KeySounds = QStringLiteral("Sounds");
const QString KeySoundWater = QStringLiteral("SoundWater");
const QString KeySoundShip = QStringLiteral("SoundShip");
const QString KeyColor = QStringLiteral("Color%1");
const QString KeyPlayer = QStringLiteral("Player%1");
const QString KeyChangingTime = QStringLiteral("ChangingTime");
const QString KeyClient = QStringLiteral("Client");
const QString KeyIP = QStringLiteral("IP");
const QString KeyComputerLevel = QStringLiteral("ComputerLevel");

constexpr std::uint32_t DefaultColors[4] = {0, 0x800000, 0x00FFFF, 0x808080};

// A login name must not break the section header it is put into.
QString cleanLogin(QString name)
{
    name = name.trimmed().left(255);
    for (QChar &c : name) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    return name.isEmpty() ? QString::fromLatin1(SettingsFile::FallbackLogin) : name;
}

} // namespace

SettingsFile::SettingsFile(QString path, QString loginName) : path_(std::move(path))
{
    const QString login = cleanLogin(loginName);
    options_ = login + QStringLiteral(" - Options");
    recent_ = login + QStringLiteral(" - RecentData");
}

QString SettingsFile::LoginName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return cleanLogin(QString::fromLocal8Bit(pw->pw_name));
    for (const char *var : {"USER", "LOGNAME", "USERNAME"}) {
        const QString v = qEnvironmentVariable(var).trimmed();
        if (!v.isEmpty())
            return cleanLogin(v);
    }
    return QString::fromLatin1(FallbackLogin);
}

bool SettingsFile::IsWritableDir(const QString &dir)
{
    // Permission bits do not tell the whole story (read-only mounts, ACLs):
    // try to create a file.
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".kielwanz-probe-XXXXXX")));
    return probe.open();
}

QString SettingsFile::ChoosePath(const QString &programDir, const QString &configDir)
{
    if (!programDir.isEmpty() && !InstallLocation::IsSystemInstallation(programDir) &&
        IsWritableDir(programDir))
        return QDir(programDir).filePath(FileName);
    QDir().mkpath(configDir);
    return QDir(configDir).filePath(FileName);
}

QString SettingsFile::DefaultPath()
{
    return ChoosePath(QCoreApplication::applicationDirPath(),
                      QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

void SettingsFile::load(StoredSettings &loaded, bool &soundsOn) const
{
    IniFile ini;
    if (!ini.loadLocked(path_))
        ini = IniFile(); // unreadable: defaults, as for a missing file
    soundsOn = ini.readBool(options_, KeySounds, true);
    loaded.shotSound[0] = ini.readInteger(options_, KeySoundWater, 1);
    loaded.shotSound[1] = ini.readInteger(options_, KeySoundShip, 101);
    for (int i = 1; i <= 3; ++i) {
        // Only the three colour bytes mean anything; the top byte is dropped
        // so that a damaged value cannot carry flags into the drawing.
        loaded.cellColors[i] =
            std::uint32_t(ini.readInteger(options_, KeyColor.arg(i), int(DefaultColors[i]))) & 0xFFFFFFu;
    }
    for (int i = 0; i < 2; ++i)
        loaded.recentNames[i] = ini.readString(recent_, KeyPlayer.arg(i + 1));
    loaded.changingTime = ini.readInteger(recent_, KeyChangingTime, 3);
    loaded.localPlayer = ini.readBool(recent_, KeyClient, false) ? 1 : 0;
    loaded.hostAddress = ini.readString(recent_, KeyIP);
    // Stored by name; files from before the levels, or a name not known, give "Normal".
    const QString level = ini.readString(recent_, KeyComputerLevel);
    loaded.computerLevel = clNormal;
    for (int i : {clEasy, clHard})
        if (level.compare(Texts::ComputerLevelName(i), Qt::CaseInsensitive) == 0)
            loaded.computerLevel = static_cast<ComputerLevelT>(i);
}

QString SettingsFile::save(const StoredSettings &st, bool soundsOn) const
{
    // Re-read under the lock so that what other users (or another copy of
    // the program) saved meanwhile is kept.
    QString error;
    IniFile::update(
        path_,
        [&](IniFile &ini) {
            ini.writeBool(options_, KeySounds, soundsOn);
            ini.writeInteger(options_, KeySoundWater, st.shotSound[0]);
            ini.writeInteger(options_, KeySoundShip, st.shotSound[1]);
            for (int i = 1; i <= 3; ++i)
                ini.writeInteger(options_, KeyColor.arg(i), int(st.cellColors[i]));
            for (int i = 0; i < 2; ++i)
                ini.writeString(recent_, KeyPlayer.arg(i + 1), st.recentNames[i]);
            ini.writeInteger(recent_, KeyChangingTime, st.changingTime);
            ini.writeBool(recent_, KeyClient, st.localPlayer != 0);
            ini.writeString(recent_, KeyIP, st.hostAddress);
            ini.writeString(recent_, KeyComputerLevel, Texts::ComputerLevelName(st.computerLevel));
        },
        &error);
    return error;
}
