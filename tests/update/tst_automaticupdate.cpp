#include "UpdateTestPlatform.h"
#include "update/TLxUpdateFile.h"
#include "update/TStatusForm.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"

#include <QAction>
#include <QWidget>
#include <QtTest>

Q_DECLARE_METATYPE(TLxUpdateFile::Outcome)

// The start-up decision and Ctrl+U.
class tst_automaticupdate : public QObject {
    Q_OBJECT

    struct Fixture {
        UpdateTestPlatform env;
        QWidget owner;
        TLxUpdateFile *component;
        int shown = 0;
        Fixture()
        {
            component = new TLxUpdateFile(&owner, env.platform);
            component->ProgramName = QStringLiteral("Kielwanz");
            component->RegistryKey = QStringLiteral("Kielwanz");
            component->ZIPFileName = QStringLiteral("Brackwen.zip");
            component->showWizard = [this](TStatusForm &) { ++shown; };
        }
        UpdateSettingsStore store(bool hkcu = false) const
        {
            return UpdateSettingsStore(env.platform.settingsFile(hkcu), QStringLiteral("Kielwanz"));
        }
    };

private slots:
    void decision_data()
    {
        QTest::addColumn<int>("updateDay"); // days from today; 99: absent, 98: damaged
        QTest::addColumn<bool>("noUpdate");
        QTest::addColumn<bool>("onlyUpdate");
        QTest::addColumn<bool>("uninstall");
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<TLxUpdateFile::Outcome>("outcome");
        const auto go = TLxUpdateFile::Outcome::Continue;
        const auto end = TLxUpdateFile::Outcome::QuitWithoutSaving;
        QTest::newRow("first start") << 99 << false << false << false << false << false << true << go;
        QTest::newRow("Update today") << 0 << false << false << false << false << false << false << go;
        QTest::newRow("Update yesterday") << -1 << false << false << false << false << false << true << go;
        QTest::newRow("Update tomorrow") << 1 << false << false << false << false << false << false << go;
        QTest::newRow("Update damaged") << 98 << false << false << false << false << false << true << go;
        QTest::newRow("NoUpdate, due") << -5 << true << false << false << false << false << false << go;
        QTest::newRow("NoUpdate, first start")
            << 99 << true << false << false << false << false << false << go;
        QTest::newRow("NoUpdate, Ctrl+U") << -5 << true << false << false << true << false << true << go;
        QTest::newRow("Ctrl+U, not due") << 3 << false << false << false << true << false << true << go;
        QTest::newRow("OnlyUpdate, not due") << 3 << false << true << false << false << false << true << end;
        QTest::newRow("OnlyUpdate and NoUpdate")
            << 0 << true << true << false << false << false << true << end;
        QTest::newRow("OnlyUpdate, Ctrl+U") << 0 << false << true << false << true << false << true << end;
        QTest::newRow("/uninstall, first start")
            << 99 << false << false << true << false << false << false << go;
        QTest::newRow("/uninstall, Ctrl+U") << 99 << false << false << true << true << false << false << go;
        QTest::newRow("/uninstall, OnlyUpdate")
            << 99 << false << true << true << false << false << false << go;
        QTest::newRow("read-only, first start")
            << 99 << false << false << false << false << true << false << go;
        QTest::newRow("read-only, Ctrl+U") << 99 << false << false << false << true << true << false << go;
    }
    void decision()
    {
        QFETCH(int, updateDay);
        QFETCH(bool, noUpdate);
        QFETCH(bool, onlyUpdate);
        QFETCH(bool, uninstall);
        QFETCH(bool, force);
        QFETCH(bool, readOnly);
        QFETCH(bool, shown);
        QFETCH(TLxUpdateFile::Outcome, outcome);

        Fixture f;
        QString values;
        if (updateDay == 98) {
            values += QStringLiteral("Update=hex:00,00,e2,40\r\n");
        } else if (updateDay != 99) {
            UpdateSettingsStore s = f.store();
            s.writeDate(QStringLiteral("Update"), UpdateDates::fromDate(f.env.rec->today.addDays(updateDay)));
            QVERIFY(s.save());
        }
        if (noUpdate)
            values += QStringLiteral("NoUpdate=sz:\r\n");
        if (onlyUpdate)
            values += QStringLiteral("OnlyUpdate=dword:00000001\r\n");
        if (!values.isEmpty()) {
            const QString before = f.env.readSettings(false);
            f.env.writeSettings(false, before.isEmpty()
                                           ? QStringLiteral("[Software\\Lx\\Kielwanz]\r\n") + values
                                           : before.trimmed() + QStringLiteral("\r\n") + values);
        }
        const QString settingsBefore = f.env.readSettings(false);
        f.env.rec->readOnly = readOnly;
        if (uninstall)
            f.component->platform().arguments << QStringLiteral("/uninstall");

        QCOMPARE(f.component->AutomaticUpdate(QString(), force, 0), outcome);
        QCOMPARE(f.shown, shown ? 1 : 0);

        const auto stored = f.store().readString(QStringLiteral("ApplicationFileName"));
        if (uninstall) {
            QCOMPARE(f.env.readSettings(false), settingsBefore); // not even touched
        } else if (force) {
            QVERIFY(!stored.has_value());
        } else {
            QCOMPARE(stored.value_or(QString()), u'"' + f.env.platform.programFilePath + u'"');
        }
    }

    void ctrlUNeverRewritesTheProgramName()
    {
        Fixture f;
        QCOMPARE(f.component->AutomaticUpdate(QStringLiteral("/x"), false, 0),
                 TLxUpdateFile::Outcome::Continue);
        const QString expected = u'"' + f.env.platform.programFilePath + QStringLiteral("\" /x");
        QCOMPARE(f.store().readString(QStringLiteral("ApplicationFileName")).value_or(QString()), expected);
        f.env.platform.programFilePath.clear();
        f.component->action()->trigger();
        QCOMPARE(f.shown, 2);
        QCOMPARE(f.store().readString(QStringLiteral("ApplicationFileName")).value_or(QString()), expected);
    }

    void ctrlUKeyShowsTheWizard()
    {
        Fixture f;
        QVERIFY(f.owner.actions().contains(f.component->action()));
        f.owner.show();
        QApplication::setActiveWindow(&f.owner);
        QVERIFY(QTest::qWaitForWindowActive(&f.owner));
        QTest::keyClick(&f.owner, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(f.shown, 1);
    }

    void wizardReceivesItsInputs()
    {
        Fixture f;
        const QDateTime written(QDate(2024, 5, 10), QTime(14, 30, 15));
        {
            QFile program(f.env.platform.programFilePath);
            QVERIFY(program.open(QIODevice::ReadWrite));
            QVERIFY(program.setFileTime(written, QFileDevice::FileModificationTime));
        }
        f.component->HKCU = true;
        f.component->ZIPFileName = QStringLiteral("Archiv.zip");
        TStatusForm *form = nullptr;
        f.component->showWizard = [&](TStatusForm &w) { form = &w; };
        f.component->AutomaticUpdate(QString(), false, 0);
        QVERIFY(form);
        QCOMPARE(form->ProgramName, QStringLiteral("Kielwanz"));
        QCOMPARE(form->RegistryKey, QStringLiteral("Kielwanz"));
        QCOMPARE(form->ZIPFileName, QStringLiteral("Archiv.zip"));
        QVERIFY(form->HKCU);
        QCOMPARE(form->ProgramDate, UpdateDates::fromDateTime(written));
        // The user's root was used: ApplicationFileName went there.
        QVERIFY(f.env.readSettings(true).contains(QStringLiteral("ApplicationFileName")));
        QVERIFY(f.env.readSettings(false).isEmpty());

        f.component->AutomaticUpdate(QString(), true, 45000.25);
        QCOMPARE(form->ProgramDate, 45000.25);
    }

    void preparedInstallationEndsTheProgram()
    {
        Fixture f;
        // The wizard asks for the program to end (closed on its last step).
        f.component->showWizard = [](TStatusForm &w) {
            w.CurrentStep = 5;
            w.FormClose();
        };
        QCOMPARE(f.component->AutomaticUpdate(QString(), false, 0), TLxUpdateFile::Outcome::Quit);
        QSignalSpy quit(f.component, &TLxUpdateFile::quitRequested);
        f.component->action()->trigger();
        QCOMPARE(quit.size(), 1);
        QCOMPARE(quit.first().at(0).toBool(), true);
        // Nothing asked: Ctrl+U after a normal wizard run changes nothing.
        f.component->showWizard = [](TStatusForm &w) { w.TerminateRequested = false; };
        f.component->action()->trigger();
        QCOMPARE(quit.size(), 1);
    }

    void onlyUpdateOnCtrlUEndsWithoutSaving()
    {
        Fixture f;
        f.env.writeSettings(false, QStringLiteral("[Software\\Lx\\Kielwanz]\r\nOnlyUpdate=sz:\r\n"));
        QSignalSpy quit(f.component, &TLxUpdateFile::quitRequested);
        f.component->action()->trigger();
        QCOMPARE(quit.size(), 1);
        QCOMPARE(quit.first().at(0).toBool(), false);
    }
};

QTEST_MAIN(tst_automaticupdate)
#include "tst_automaticupdate.moc"
