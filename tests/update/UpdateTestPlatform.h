#pragma once

// The update facility's system seams pointed at a temporary folder, with a
// fixed day, scripted answers to its questions and a record of its notices.

#include "update/UpdatePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

struct UpdateTestPlatform {
    struct Record {
        QDate today{2024, 6, 1};
        QStringList answers;   // "Ja" / "Nein", taken in order; "Nein" when none left
        QStringList questions; // text of every question asked
        QStringList notices;   // "title: text" of every notice
        int beeps = 0;
        QStringList installations; // script of every installation started
        bool online = true;
        bool readOnly = false;
    };

    QTemporaryDir dir;
    std::shared_ptr<Record> rec = std::make_shared<Record>();
    UpdatePlatform platform;

    explicit UpdateTestPlatform(const QString &server = {})
    {
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        QDir(dir.path()).mkpath(QStringLiteral("tmp"));
        const QString program = dir.filePath(QStringLiteral("bin/kielwanz"));
        QFile f(program);
        if (f.open(QIODevice::WriteOnly))
            f.write("program");
        f.close();
        platform.programFilePath = program;
        platform.arguments = {program};
        platform.serverAddress = server;
        platform.userSettingsFile = dir.filePath(QStringLiteral("config/Lx/UpdateSettings.ini"));
        platform.machineSettingsFile = dir.filePath(QStringLiteral("bin/UpdateSettings.ini"));
        auto r = rec;
        const QString temp = dir.filePath(QStringLiteral("tmp/"));
        platform.today = [r] { return r->today; };
        platform.tempDir = [temp] { return temp; };
        platform.internetConnected = [r] { return r->online; };
        platform.onReadOnlyFileSystem = [r](const QString &) { return r->readOnly; };
        platform.confirm = [r](QWidget *, const QString &text, const QString &) {
            r->questions << text;
            return !r->answers.isEmpty() && r->answers.takeFirst() == u"Ja";
        };
        platform.warn = [r](QWidget *, const QString &text, const QString &title) {
            r->notices << title + QStringLiteral(": ") + text;
        };
        platform.beep = [r] { ++r->beeps; };
        platform.startInstallation = [r](const QString &script, const QString &) {
            r->installations << script;
            return true;
        };
    }

    QString tempDir() const { return dir.filePath(QStringLiteral("tmp/")); }
    QString readSettings(bool hkcu) const
    {
        QFile f(platform.settingsFile(hkcu));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    void writeSettings(bool hkcu, const QString &content) const
    {
        QDir().mkpath(QFileInfo(platform.settingsFile(hkcu)).absolutePath());
        QFile f(platform.settingsFile(hkcu));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content.toUtf8());
    }
};
