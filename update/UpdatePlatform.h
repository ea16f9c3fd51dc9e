#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// What the update facility asks of the system, in one place so that tests can
// point it at a temporary folder, a test server and a fixed day.
struct UpdatePlatform {
    QString programFilePath;     // the running program file
    QStringList arguments;       // the command line, the program first
    QString serverAddress;       // base address of the update server
    QString userSettingsFile;    // update settings of the user
    QString machineSettingsFile; // update settings shared by this installation
    // A PEM file of the certificates the update server may present, instead
    // of the system's; empty: the system's.
    QString trustedCertificates;
    std::function<QDate()> today;
    // The user's private temporary folder, with a trailing separator; empty
    // when none could be made.
    std::function<QString()> tempDir;
    // Whether the system reports a network connection; true when it cannot tell.
    std::function<bool()> internetConnected;
    // Whether a folder lies on a file system mounted read-only (a CD, a
    // read-only mount) or is not writable for this user; such an installation
    // cannot be updated.
    std::function<bool(const QString &folder)> onReadOnlyFileSystem;
    // A Yes/No question ("&Ja", "&Nein"); true for "&Ja".
    std::function<bool(QWidget *parent, const QString &text, const QString &title)> confirm;
    // A notice with the exclamation icon and "OK".
    std::function<void(QWidget *parent, const QString &text, const QString &title)> warn;
    std::function<void()> beep;
    // Starts the prepared installation script once the program has ended;
    // the launcher takes over the install lock `lockFd` (-1: none).
    std::function<bool(const QString &script, const QString &log, int lockFd)> startInstallation;

    // The real system: the running program, the build's server address, the
    // files and folders below.
    static UpdatePlatform system();

    // The update settings in the user's settings folder, or beside the program.
    QString settingsFile(bool inUserFolder) const
    {
        return inUserFolder ? userSettingsFile : machineSettingsFile;
    }
};

namespace UpdateSystem {
// ~/.config/Lx/UpdateSettings.ini
QString userSettingsFile();
// UpdateSettings.ini beside the program when that folder (or the file) is
// writable and not a system-wide installation, else the user's file.
QString machineSettingsFile(const QString &programFilePath);
// A folder only this user can enter (mode 0700): "kielwanz-update" in
// XDG_RUNTIME_DIR, else "kielwanz-update-<uid>" in the temporary location,
// else a new unique folder there. Never the shared temporary folder itself.
QString privateTempFolder();
bool internetConnected();
bool onReadOnlyFileSystem(const QString &folder);
} // namespace UpdateSystem
