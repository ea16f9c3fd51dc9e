#include "update/UpdatePlatform.h"

#include "KielwanzConfig.h"

#include "settings/InstallLocation.h"
#include "presentation/MessageBoxes.h"
#include "update/install/InstallLauncher.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QPushButton>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace UpdateSystem {

QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Lx/UpdateSettings.ini");
}

QString machineSettingsFile(const QString &programFilePath)
{
    const QString folder = QFileInfo(programFilePath).absolutePath();
    const QFileInfo file(folder + QStringLiteral("/UpdateSettings.ini"));
    const bool writable = !InstallLocation::IsSystemInstallation(folder) &&
                          (file.exists() ? file.isWritable() : QFileInfo(folder).isWritable());
    return writable ? file.absoluteFilePath() : userSettingsFile();
}

namespace {

// Makes `path` if needed and accepts it only as a real folder of this user
// that nobody else may enter.
bool privateFolder(const QByteArray &path, bool mayRepair = true)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 077) == 0)
        return true;
    // Others could enter it: closed first, then emptied, since whatever they
    // left there (links where our files will be written, a prepared
    // "installation") must not be used. Links inside are removed, not followed.
    if (!mayRepair || ::chmod(path.constData(), 0700) != 0 ||
        !QDir(QFile::decodeName(path)).removeRecursively())
        return false;
    return privateFolder(path, false);
}

} // namespace

QString privateTempFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(runtime))) {
        const QByteArray path = runtime + "/kielwanz-update";
        if (privateFolder(path))
            return QString::fromLocal8Bit(path) + u'/';
    }
    const QByteArray temp = QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    const QByteArray own = temp + "/kielwanz-update-" + QByteArray::number(::getuid());
    if (privateFolder(own))
        return QString::fromLocal8Bit(own) + u'/';
    QByteArray unique = temp + "/kielwanz-update-XXXXXX";
    if (::mkdtemp(unique.data()))
        return QString::fromLocal8Bit(unique) + u'/';
    return {};
}

bool internetConnected()
{
    if (!QNetworkInformation::instance() &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return true;
    const QNetworkInformation *info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

bool onReadOnlyFileSystem(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    // A folder this user may not write to (a system-wide installation) cannot
    // be updated either: the script would fail after the wizard had reported
    // the installation as prepared.
    if (::access(path.constData(), W_OK) != 0)
        return true;
    struct statvfs fs {};
    if (::statvfs(path.constData(), &fs) != 0)
        return false;
    return (fs.f_flag & ST_RDONLY) != 0;
}

} // namespace UpdateSystem

UpdatePlatform UpdatePlatform::system()
{
    UpdatePlatform p;
    p.programFilePath = QCoreApplication::applicationFilePath();
    p.arguments = QCoreApplication::arguments();
    p.serverAddress = QStringLiteral(KIELWANZ_UPDATE_URL);
    p.userSettingsFile = UpdateSystem::userSettingsFile();
    p.machineSettingsFile = UpdateSystem::machineSettingsFile(p.programFilePath);
    p.today = [] { return QDate::currentDate(); };
    p.tempDir = [] { return UpdateSystem::privateTempFolder(); };
    p.internetConnected = [] { return UpdateSystem::internetConnected(); };
    p.onReadOnlyFileSystem = [](const QString &folder) { return UpdateSystem::onReadOnlyFileSystem(folder); };
    p.confirm = [](QWidget *parent, const QString &text, const QString &title) {
        return AskYesNo(parent, title, text);
    };
    p.warn = [](QWidget *parent, const QString &text, const QString &title) { ShowMessage(parent, title, text); };
    p.beep = [] { QApplication::beep(); };
    p.startInstallation = [](const QString &script, const QString &log, int lockFd) {
        return UpdateInstall::StartInstallation(script, log, lockFd);
    };
    return p;
}
