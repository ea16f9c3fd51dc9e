#pragma once

#include <QString>

struct StoredSettings;

// "Settings.ini": the options and the values of the last game, two sections
// per login name ("<login> - Options", "<login> - RecentData"), so several
// users share one file. Read once when the main window is created, written
// once, completely, when it is destroyed.
class SettingsFile {
public:
    // path and login name are taken from the system unless given (tests).
    explicit SettingsFile(QString path = DefaultPath(), QString loginName = LoginName());

    const QString &path() const { return path_; }
    const QString &optionsSection() const { return options_; }
    const QString &recentDataSection() const { return recent_; }

    // Fills shotSound, cellColors, recentNames, changingTime, localPlayer,
    // hostAddress and computerLevel, and soundsOn (the "Sounds abspielen"
    // switch). A missing or unreadable file, section or key gives the
    // defaults; nothing is reported.
    void load(StoredSettings &loaded, bool &soundsOn) const;
    // Writes every key with the current values into the file as it is now,
    // re-read under the exclusive lock, so that users who save at the same
    // time keep each other's sections. Returns an empty text on success, else
    // the German message for the caller's message box; the old file is then
    // left as it was.
    QString save(const StoredSettings &st, bool soundsOn) const;

    // The login name of the user who runs the program, or FallbackLogin.
    static QString LoginName();
    static constexpr const char *FallbackLogin = "Benutzer";
    // "Settings.ini" beside the program file, or in the user's configuration
    // folder when the program's folder is not writable or belongs to a
    // system-wide installation.
    static QString DefaultPath();
    static QString ChoosePath(const QString &programDir, const QString &configDir);
    static bool IsWritableDir(const QString &dir);

private:
    QString path_;
    QString options_;
    QString recent_;
};
