// The update component on the main window: Ctrl+U is there without a menu
// entry, and an update that ends the program as a pure updater leaves the
// game's settings file alone, while one that ends it after a prepared
// installation saves them as every normal end does.

#include "app/mainwindow/TForm1.h"
#include "update/TLxUpdateFile.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_updatehook : public QObject {
    Q_OBJECT
private slots:
    void ctrlUIsAWindowActionWithoutMenuEntry()
    {
        QTemporaryDir dir;
        ManualClock clock;
        ScriptedRandom rng;
        TForm1 form(&clock, &rng, nullptr, dir.filePath(QStringLiteral("Settings.ini")));
        QAction *update = form.LxUpdateFile->action();
        QVERIFY(form.actions().contains(update));
        QCOMPARE(update->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
        for (QAction *menu : form.menuBar()->actions())
            QVERIFY(!menu->menu() || !menu->menu()->actions().contains(update));
        QVERIFY(!form.QuitAtStart); // tests never run the check at start
    }

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
            auto form = std::make_unique<TForm1>(&clock, &rng, nullptr, path);
            emit form->LxUpdateFile->quitRequested(saveSettings);
        }
        QCOMPARE(QFile::exists(path), saveSettings);
    }
};

QTEST_MAIN(tst_updatehook)
#include "tst_updatehook.moc"
