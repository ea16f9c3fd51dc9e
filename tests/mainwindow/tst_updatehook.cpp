// The update component on the main window: Ctrl+U without a menu entry, and
// a pure updater ends the program without saving the game's settings.

#include "app/mainwindow/TForm1.h"
#include "update/TLxUpdateFile.h"

#include <QAction>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

class tst_updatehook : public QObject {
    Q_OBJECT
private slots:
    void quitRequestDecidesAboutTheSettings_data()
    {
        QTest::addColumn<bool>("saveSettings");
        QTest::newRow("installation prepared") << true;
        QTest::newRow("pure updater") << false;
    }
    void quitRequestDecidesAboutTheSettings()
    {
        QFETCH(bool, saveSettings);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Settings.ini"));
        {
            ManualClock clock;
            ScriptedRandom rng;
            TForm1 form(&clock, &rng, nullptr, path);
            QAction *update = form.LxUpdateFile->action();
            QVERIFY(form.actions().contains(update));
            QCOMPARE(update->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
            for (QAction *menu : form.menuBar()->actions())
                QVERIFY(!menu->menu()->actions().contains(update));
            QVERIFY(!form.QuitAtStart); // tests never run the check at start
            emit form.LxUpdateFile->quitRequested(saveSettings);
        }
        QCOMPARE(QFile::exists(path), saveSettings);
    }
};

QTEST_MAIN(tst_updatehook)
#include "tst_updatehook.moc"
