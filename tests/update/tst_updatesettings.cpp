#include "UpdateTestSupport.h"
#include "update/Updater.h"
#include "update/UpdateWizard.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"

#include <QAction>
#include <QApplication>

#include <sys/stat.h>

using Outcome = Updater::Outcome;
Q_DECLARE_METATYPE(Outcome)

// The stored update settings and the decision at start and on Ctrl+U.
class tst_updatesettings : public QObject {
    Q_OBJECT

    static UpdateSettingsStore store(const UpdateTestPlatform &env, bool inUserFolder = false)
    {
        return UpdateSettingsStore(env.platform.settingsFile(inUserFolder), "Kielwanz");
    }

private slots:
    void storeRoundTrip()
    {
        QCOMPARE(UpdateDates::fromDate(QDate(2004, 1, 14)), 38000.0);
        QCOMPARE(UpdateDates::fromDateTime(QDateTime(QDate(2004, 1, 14), QTime(18, 0))), 38000.75);
        QCOMPARE(UpdateDates::toDate(38000.75), QDate(2004, 1, 14));
        UpdateTestPlatform env;
        UpdateSettingsStore written = store(env);
        written.writeDate("Update", 38000.0);
        written.writeInteger("UpdateInterval", -1);
        written.writeString("NoUpdate", "");
        QVERIFY(written.save());
        QVERIFY(env.readSettings(false).startsWith(
            "[Software\\Lx\\Kielwanz]\r\nUpdate=hex:00,00,00,00,00,8e,e2,40\r\nUpdateInterval=dword:ffffffff\r\n"));

        const UpdateSettingsStore again = store(env);
        QVERIFY(again.readDate("Update") == 38000.0 && again.readInteger("UpdateInterval") == -1);
        QVERIFY(again.readString("NoUpdate") == QString() && !again.valueExists("OnlyUpdate"));
        QVERIFY(!UpdateSettingsStore(env.platform.settingsFile(false), "Anders").valueExists("NoUpdate"));
        // Damaged values read as absent; a value's presence counts whatever its type.
        for (const char *line : {"Update=hex:00,00,00,00,e0,8d,e2", "Update=14.01.2004",
                                 "Update=hex:zz,00,00,00,e0,8d,e2,40", "Update=hex:00,00,00,00,00,00,f8,7f",
                                 "Update=hex:00,00,00,00,00,00,f0,7f", "UpdateInterval=sz:14",
                                 "UpdateInterval=dword:100000000"}) {
            env.writeSettings(QString(line) + "\r\nOnlyUpdate=dword:00000001\r\n");
            QVERIFY2(!store(env).readDate("Update") && !store(env).readInteger("UpdateInterval"), line);
            QVERIFY(store(env).valueExists("OnlyUpdate"));
        }
    }

    void privateTemporaryFolder()
    {
        QTemporaryDir runtime, temp;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTemp = qgetenv("TMPDIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        auto mode = [](const QString &path) {
            struct stat st {};
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
        };
        const QString first = UpdateSystem::privateTempFolder();
        QCOMPARE(first, runtime.path() + "/kielwanz-update/");
        QCOMPARE(mode(first), 0700);
        // Opened up by someone, who left a link where the archive will go: closed again and emptied.
        ::chmod(QFile::encodeName(first).constData(), 0755);
        QVERIFY(QFile::link(temp.filePath("ziel"), first + "Brackwen.zip"));
        QVERIFY(QDir().mkpath(first + "Installation"));
        QCOMPARE(UpdateSystem::privateTempFolder(), first);
        QCOMPARE(mode(first), 0700);
        QCOMPARE(QDir(first).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                 QStringList());
        // A link in its place is not followed.
        QDir(first).removeRecursively();
        QVERIFY(QFile::link(temp.path(), runtime.path() + "/kielwanz-update"));
        const QString second = UpdateSystem::privateTempFolder();
        QVERIFY2(second.startsWith(temp.path() + "/kielwanz-update-"), qPrintable(second));
        QCOMPARE(mode(second), 0700);
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
    }

    void decision_data()
    {
        QTest::addColumn<QString>("settings"); // "Update=<days from today>|damaged", "NoUpdate", "OnlyUpdate"
        QTest::addColumn<QString>("run"); // "uninstall", "Ctrl+U", "read-only", "system", "user folder", "prepared"
        QTest::addColumn<bool>("shown");
        QTest::addColumn<Outcome>("outcome");
        const auto go = Outcome::Continue, end = Outcome::QuitWithoutSaving;
        auto row = [](const char *name, const char *settings, const char *run, bool shown, Outcome outcome) {
            QTest::newRow(name) << QString(settings) << QString(run) << shown << outcome;
        };
        row("first start", "", "", true, go);
        row("Update today", "Update=0", "", false, go);
        row("Update yesterday, installation prepared", "Update=-1", "prepared", true, Outcome::Quit);
        row("Update damaged", "Update=damaged", "", true, go);
        row("NoUpdate, due", "Update=-5 NoUpdate", "", false, go);
        row("NoUpdate, Ctrl+U", "Update=-5 NoUpdate", "Ctrl+U", true, go);
        row("Ctrl+U, not due, step 5 failed", "Update=3", "Ctrl+U", true, go);
        row("Ctrl+U, installation prepared", "", "Ctrl+U prepared user folder", true, Outcome::Quit);
        row("OnlyUpdate, not due", "Update=3 OnlyUpdate", "", true, end);
        row("OnlyUpdate and NoUpdate", "Update=0 NoUpdate OnlyUpdate", "", true, end);
        row("OnlyUpdate, Ctrl+U, prepared", "Update=0 OnlyUpdate", "Ctrl+U prepared user folder", true, end);
        row("/uninstall, Ctrl+U", "", "uninstall Ctrl+U", false, go);
        row("/uninstall, OnlyUpdate", "OnlyUpdate", "uninstall", false, go);
        row("read-only, first start", "", "read-only", false, go);
        row("read-only, Ctrl+U", "", "read-only Ctrl+U", false, go);
        row("installed under /usr, Ctrl+U", "OnlyUpdate", "system Ctrl+U", false, go);
    }
    void decision()
    {
        QFETCH(QString, settings);
        QFETCH(QString, run);
        QFETCH(bool, shown);
        QFETCH(Outcome, outcome);
        UpdateTestPlatform env;
        QWidget owner;
        auto *component = new Updater(&owner, env.platform);
        component->programName = component->settingsSection = "Kielwanz";
        component->archiveFileName = "Brackwen.zip";
        const bool inUserFolder = component->settingsInUserFolder = run.contains("user folder");
        UpdateSettingsStore stored = store(env, inUserFolder);
        for (const QString &item : settings.split(u' ', Qt::SkipEmptyParts)) {
            if (item == u"Update=damaged")
                stored.writeInteger("Update", 45000);
            else if (item.startsWith(u"Update="))
                stored.writeDate("Update",
                                 UpdateDates::fromDate(env.rec->today.addDays(item.mid(7).toInt())));
            else
                stored.writeString(item, {});
        }
        if (!settings.isEmpty())
            QVERIFY(stored.save());
        const QString before = env.readSettings(inUserFolder);
        env.rec->readOnly = run.contains("read-only");
        if (run.contains("uninstall"))
            component->platform().arguments << "/uninstall";
        if (run.contains("system"))
            component->platform().programFilePath = "/usr/games/kielwanz";
        const QDateTime written(QDate(2024, 5, 10), QTime(14, 30, 15));
        QFile program(env.platform.programFilePath);
        QVERIFY(program.open(QIODevice::ReadWrite) &&
                program.setFileTime(written, QFileDevice::FileModificationTime));
        // The modal wizard, once it shows, is closed at step 5 (with an installation prepared or not).
        QStringList shownWith; // the inputs of every showing
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto *w = qobject_cast<UpdateWizard *>(QApplication::activeModalWidget()); w && w->isVisible()) {
                const UpdateWizardModel::Inputs &in = w->model().inputs();
                shownWith << QString("%1 %2 %3 %4 %5").arg(in.programName, in.settingsSection, in.archiveFileName)
                                 .arg(in.settingsInUserFolder).arg(in.programDate - UpdateDates::fromDateTime(written));
                UpdateWizardModelTest::toStep5(w->model(), run.contains("prepared"));
                w->close();
            }
        });
        closer.start(0);
        const bool force = run.contains("Ctrl+U");
        QSignalSpy quit(component, &Updater::quitRequested);
        Outcome result = Outcome::Continue;
        if (force)
            component->action()->trigger();
        else
            result = component->checkForUpdates("/x", false, 0);
        if (!quit.isEmpty())
            result = quit.first().at(0).toBool() ? Outcome::Quit : Outcome::QuitWithoutSaving;
        QCOMPARE(result, outcome);
        QCOMPARE(shownWith, QStringList(shown ? 1 : 0, QString("Kielwanz Kielwanz Brackwen.zip %1 0").arg(inUserFolder)));
        const auto name = store(env, inUserFolder).readString("ApplicationFileName");
        if (run.contains("uninstall") || run.contains("system"))
            QCOMPARE(env.readSettings(inUserFolder), before); // not even touched
        else if (force)
            QVERIFY(!name.has_value()); // Ctrl+U never rewrites the program's name
        else
            QCOMPARE(name.value_or(""), '"' + env.platform.programFilePath + "\" /x");
        QVERIFY(!QFile::exists(env.platform.settingsFile(!inUserFolder)));
    }
};

QTEST_MAIN(tst_updatesettings)
#include "tst_updatesettings.moc"
