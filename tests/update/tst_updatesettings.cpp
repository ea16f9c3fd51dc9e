#include "UpdateTestSupport.h"
#include "update/TLxUpdateFile.h"
#include "update/TStatusForm.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"

#include <QAction>
#include <QWidget>

#include <sys/stat.h>

struct UpdateWizardModelTest {
    // The wizard closed on step 5, with or without an installation prepared.
    static void closeOnStep5(UpdateWizardModel &m, bool prepared)
    {
        m.step_ = 5;
        m.installPrepared_ = prepared;
        m.mayClose();
    }
};

using Outcome = TLxUpdateFile::Outcome;
Q_DECLARE_METATYPE(Outcome)

// The stored update settings, the start-up decision and Ctrl+U.
class tst_updatesettings : public QObject {
    Q_OBJECT

    struct Fixture {
        UpdateTestPlatform env;
        QWidget owner;
        TLxUpdateFile *component = new TLxUpdateFile(&owner, env.platform);
        int shown = 0;
        Fixture()
        {
            component->ProgramName = component->RegistryKey = "Kielwanz";
            component->ZIPFileName = "Brackwen.zip";
            component->showWizard = [this](TStatusForm &) { ++shown; };
        }
        UpdateSettingsStore store() const { return UpdateSettingsStore(env.platform.settingsFile(false), "Kielwanz"); }
    };

private slots:
    void storeRoundTrip()
    {
        QCOMPARE(UpdateDates::fromDate(QDate(2004, 1, 14)), 38000.0);
        QCOMPARE(UpdateDates::fromDateTime(QDateTime(QDate(2004, 1, 14), QTime(18, 0))), 38000.75);
        QCOMPARE(UpdateDates::toDate(38000.75), QDate(2004, 1, 14));
        Fixture f;
        UpdateSettingsStore store = f.store();
        store.writeDate("Update", 38000.0);
        store.writeInteger("UpdateInterval", -1);
        store.writeString("NoUpdate", "");
        store.writeString("OnlyUpdate", "x");
        store.writeString("ApplicationFileName", "\"/opt/kw/kielwanz\" -x");
        QVERIFY(store.save());
        store.deleteValue("OnlyUpdate");
        QVERIFY(store.save());
        QVERIFY(f.env.readSettings(false).startsWith(
            "[Software\\Lx\\Kielwanz]\r\nUpdate=hex:00,00,00,00,00,8e,e2,40\r\nUpdateInterval=dword:ffffffff\r\n"));

        const UpdateSettingsStore again = f.store();
        QVERIFY(again.readDate("Update") == 38000.0 && again.readInteger("UpdateInterval") == -1);
        QVERIFY(again.readString("NoUpdate") == QString() && !again.valueExists("OnlyUpdate"));
        QCOMPARE(again.readString("ApplicationFileName").value_or(""), "\"/opt/kw/kielwanz\" -x");
        QVERIFY(!UpdateSettingsStore(f.env.platform.settingsFile(false), "Anders").valueExists("NoUpdate"));
    }

    void damagedValuesReadAsAbsent_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("date of 7 bytes") << "Update=hex:00,00,00,00,e0,8d,e2";
        QTest::newRow("date as dword") << "Update=dword:00009456";
        QTest::newRow("date as text") << "Update=14.01.2004";
        QTest::newRow("date not hex") << "Update=hex:zz,00,00,00,e0,8d,e2,40";
        QTest::newRow("date NaN") << "Update=hex:00,00,00,00,00,00,f8,7f";
        QTest::newRow("date far future") << "Update=hex:00,00,00,00,00,00,f0,7f";
        QTest::newRow("interval as text") << "UpdateInterval=sz:14";
        QTest::newRow("interval too long") << "UpdateInterval=dword:100000000";
        QTest::newRow("interval plain") << "UpdateInterval=14";
    }
    void damagedValuesReadAsAbsent()
    {
        QFETCH(QString, line);
        Fixture f;
        f.env.writeSettings(line + "\r\nOnlyUpdate=dword:00000001\r\n");
        QVERIFY(!f.store().readDate("Update").has_value());
        QVERIFY(!f.store().readInteger("UpdateInterval").has_value());
        QVERIFY(f.store().valueExists("OnlyUpdate")); // presence counts whatever the type
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
        QTest::addColumn<QString>("run");      // "uninstall", "Ctrl+U", "read-only"
        QTest::addColumn<bool>("shown");
        QTest::addColumn<Outcome>("outcome");
        const auto go = Outcome::Continue, end = Outcome::QuitWithoutSaving;
        auto row = [](const char *name, const char *settings, const char *run, bool shown, Outcome outcome) {
            QTest::newRow(name) << QString(settings) << QString(run) << shown << outcome;
        };
        row("first start", "", "", true, go);
        row("Update today", "Update=0", "", false, go);
        row("Update yesterday", "Update=-1", "", true, go);
        row("Update tomorrow", "Update=1", "", false, go);
        row("Update damaged", "Update=damaged", "", true, go);
        row("NoUpdate, due", "Update=-5 NoUpdate", "", false, go);
        row("NoUpdate, first start", "NoUpdate", "", false, go);
        row("NoUpdate, Ctrl+U", "Update=-5 NoUpdate", "Ctrl+U", true, go);
        row("Ctrl+U, not due", "Update=3", "Ctrl+U", true, go);
        row("OnlyUpdate, not due", "Update=3 OnlyUpdate", "", true, end);
        row("OnlyUpdate and NoUpdate", "Update=0 NoUpdate OnlyUpdate", "", true, end);
        row("OnlyUpdate, Ctrl+U", "Update=0 OnlyUpdate", "Ctrl+U", true, end);
        row("/uninstall, first start", "", "uninstall", false, go);
        row("/uninstall, Ctrl+U", "", "uninstall Ctrl+U", false, go);
        row("/uninstall, OnlyUpdate", "OnlyUpdate", "uninstall", false, go);
        row("read-only, first start", "", "read-only", false, go);
        row("read-only, Ctrl+U", "", "read-only Ctrl+U", false, go);
        row("installed under /usr, first start", "", "system", false, go);
        row("installed under /usr, Ctrl+U", "OnlyUpdate", "system Ctrl+U", false, go);
    }
    void decision()
    {
        QFETCH(QString, settings);
        QFETCH(QString, run);
        QFETCH(bool, shown);
        QFETCH(Outcome, outcome);
        Fixture f;
        UpdateSettingsStore store = f.store();
        for (const QString &item : settings.split(u' ', Qt::SkipEmptyParts)) {
            if (item == u"Update=damaged")
                store.writeInteger("Update", 45000);
            else if (item.startsWith(u"Update="))
                store.writeDate("Update",
                                UpdateDates::fromDate(f.env.rec->today.addDays(item.mid(7).toInt())));
            else
                store.writeString(item, {});
        }
        if (!settings.isEmpty())
            QVERIFY(store.save());
        const QString before = f.env.readSettings(false);
        f.env.rec->readOnly = run.contains("read-only");
        if (run.contains("uninstall"))
            f.component->platform().arguments << "/uninstall";
        if (run.contains("system"))
            f.component->platform().programFilePath = "/usr/games/kielwanz";
        const bool force = run.contains("Ctrl+U");

        QCOMPARE(f.component->AutomaticUpdate("/x", force, 0), outcome);
        QCOMPARE(f.shown, shown ? 1 : 0);
        const auto stored = f.store().readString("ApplicationFileName");
        if (run.contains("uninstall") || run.contains("system"))
            QCOMPARE(f.env.readSettings(false), before); // not even touched
        else if (force)
            QVERIFY(!stored.has_value()); // Ctrl+U never rewrites the program's name
        else
            QCOMPARE(stored.value_or(""), '"' + f.env.platform.programFilePath + "\" /x");
    }

    void ctrlU_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("prepared"); // the wizard closes on step 5, prepared or failed
        QTest::addColumn<int>("quit");      // -1: no request, else whether to save
        QTest::newRow("step 5 failed: back into the game") << "" << false << -1;
        QTest::newRow("installation prepared") << "" << true << 1;
        QTest::newRow("OnlyUpdate") << "OnlyUpdate=sz:\r\n" << false << 0;
    }
    void ctrlU()
    {
        QFETCH(QString, settings);
        QFETCH(bool, prepared);
        QFETCH(int, quit);
        Fixture f;
        f.component->HKCU = true;
        f.env.writeSettings(settings, true);
        const QDateTime written(QDate(2024, 5, 10), QTime(14, 30, 15));
        QFile program(f.env.platform.programFilePath);
        QVERIFY(program.open(QIODevice::ReadWrite) &&
                program.setFileTime(written, QFileDevice::FileModificationTime));
        TStatusForm *form = nullptr;
        f.component->showWizard = [&](TStatusForm &w) {
            form = &w;
            UpdateWizardModelTest::closeOnStep5(w.model(), prepared);
        };
        QSignalSpy spy(f.component, &TLxUpdateFile::quitRequested);
        f.owner.show();
        QApplication::setActiveWindow(&f.owner);
        QVERIFY(QTest::qWaitForWindowActive(&f.owner));
        QTest::keyClick(&f.owner, Qt::Key_U, Qt::ControlModifier);
        QVERIFY(form);
        const UpdateWizardModel::Inputs &in = form->model().inputs();
        QCOMPARE(in.ProgramName + in.RegistryKey + in.ZIPFileName, "KielwanzKielwanzBrackwen.zip");
        QVERIFY(in.HKCU);
        QCOMPARE(in.ProgramDate, UpdateDates::fromDateTime(written));
        QCOMPARE(spy.size(), quit < 0 ? 0 : 1);
        if (quit >= 0)
            QCOMPARE(spy.first().at(0).toBool(), bool(quit));
        QVERIFY(!QFile::exists(f.env.platform.settingsFile(false))); // the user's root only
    }
};

QTEST_MAIN(tst_updatesettings)
#include "tst_updatesettings.moc"
