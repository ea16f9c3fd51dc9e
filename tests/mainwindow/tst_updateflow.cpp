// A wizard that ends with an installation prepared (Ctrl+U) ends the program at
// once, even in a game and without a "Spiel beenden?" question; a pure updater
// ends without saving the game's settings.

#include "app/mainwindow/MainWindow.h"
#include "support/GameTestAccess.h"
#include "support/TestDoubles.h"
#include "update/Updater.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class tst_updateflow : public QObject {
    Q_OBJECT
private slots:
    void wizardEndsTheProgramWithoutAskingAboutTheGame_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("installation prepared") << true;
        QTest::newRow("pure updater") << false;
    }
    void wizardEndsTheProgramWithoutAskingAboutTheGame()
    {
        QFETCH(bool, save);
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("Settings.ini"));
        QStringList questions;
        int result = -1;
        {
            ManualClock clock;
            ScriptedRandom rng;
            MainWindow form(&clock, &rng, nullptr, settings);
            QAction *update = form.updater().action();
            QVERIFY(form.actions().contains(update));
            QCOMPARE(update->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            GameTestAccess::state(form.game()).playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
            form.game().startGame();
            QVERIFY(form.game().gameRunning());

            // Any question that comes up is answered "Nein" and noted.
            QTimer answer;
            connect(&answer, &QTimer::timeout, [&] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    questions += box->text();
                    box->escapeButton()->click();
                }
            });
            answer.start(20);
            QTimer::singleShot(0, &form.updater(), [&] { emit form.updater().quitRequested(save); });
            QTimer::singleShot(3000, &form, [] { QCoreApplication::exit(1); }); // the program did not end
            result = QApplication::exec();
        }

        QCOMPARE(questions, QStringList());
        QCOMPARE(result, 0);
        QCOMPARE(QFile::exists(settings), save);
    }
};

QTEST_MAIN(tst_updateflow)
#include "tst_updateflow.moc"
