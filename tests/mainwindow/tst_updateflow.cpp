// Ctrl+U (a window action without a menu entry): when the update wizard ends
// with an installation prepared, the program ends at once, even in a game and
// without a "Spiel beenden?" question that could keep it running. A pure
// updater ends without saving the game's settings.

#include "support/GameTestAccess.h"
#include "app/mainwindow/TForm1.h"
#include "update/TLxUpdateFile.h"
#include "update/TStatusForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

struct UpdateWizardModelTest {
    static void endWizard(UpdateWizardModel &m, bool terminate) { m.terminateRequested_ = terminate; }
};

class tst_updateflow : public QObject {
    Q_OBJECT
private slots:
    void wizardEndsTheProgramWithoutAskingAboutTheGame_data()
    {
        QTest::addColumn<bool>("onlyUpdate");
        QTest::newRow("installation prepared") << false;
        QTest::newRow("pure updater") << true;
    }
    void wizardEndsTheProgramWithoutAskingAboutTheGame()
    {
        QFETCH(bool, onlyUpdate);
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("Settings.ini"));
        QStringList questions;
        int result = -1;
        {
            ManualClock clock;
            ScriptedRandom rng;
            TForm1 form(&clock, &rng, nullptr, settings);
            QAction *update = form.LxUpdateFile->action();
            QVERIFY(form.actions().contains(update));
            QCOMPARE(update->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
            for (QAction *menu : form.menuBar()->actions())
                QVERIFY(!menu->menu()->actions().contains(update));
            QVERIFY(!form.QuitAtStart); // tests never run the check at start
            UpdatePlatform &platform = form.LxUpdateFile->platform();
            platform.userSettingsFile = platform.machineSettingsFile =
                dir.filePath(QStringLiteral("Update.ini"));
            platform.onReadOnlyFileSystem = [](const QString &) { return false; };
            if (onlyUpdate) {
                QFile file(platform.machineSettingsFile);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("[Software\\Lx\\Kielwanz]\nOnlyUpdate=sz:\n");
            }
            // The wizard's last page: "Beenden" after a prepared installation.
            form.LxUpdateFile->showWizard = [&](TStatusForm &wizard) {
                UpdateWizardModelTest::endWizard(wizard.model(), !onlyUpdate);
            };

            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            GameTestAccess::state(form.game()).PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
            form.game().StartGame();
            QVERIFY(form.game().GameRunning());

            // Any question that comes up is answered "Nein" and noted.
            QTimer answer;
            connect(&answer, &QTimer::timeout, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    questions += box->text();
                    box->escapeButton()->click();
                }
            });
            answer.start(20);
            QTimer::singleShot(0, update, &QAction::trigger);
            QTimer giveUp; // the program did not end
            giveUp.setSingleShot(true);
            connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            giveUp.start(3000);
            result = QApplication::exec();
        }

        QCOMPARE(questions, QStringList());
        QCOMPARE(result, 0);
        QCOMPARE(QFile::exists(settings), !onlyUpdate);
    }
};

QTEST_MAIN(tst_updateflow)
#include "tst_updateflow.moc"
