// The main window with everything it carries: the computer opponent, the
// settings file, the info panel, the balloon and the three small dialogs,
// driven through the real window with a hand-driven clock.

#include "app/mainwindow/TForm1.h"
#include "dialogs/SettingsFile.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm4.h"
#include "dialogs/TInfo.h"
#include "dialogs/TLxColorComboBox.h"
#include "game/Format.h"
#include "game/Texts.h"
#include "presentation/BalloonHint.h"
#include "presentation/DXDrawSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "presentation/SoundPlayer.h"
#include "presentation/TForm3.h"
#include "support/WhenModal.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng;
    std::unique_ptr<TForm1> form;
    QStringList sounds; // "<id>" or "<id> forced", as they reach the sound player

    explicit Window(const QString &settingsPath = QString())
    {
        form = std::make_unique<TForm1>(&clock, &rng, nullptr,
                                        settingsPath.isEmpty() ? dir.filePath(QStringLiteral("Settings.ini"))
                                                               : settingsPath);
        form->setWizard(new TForm2(form->game(), form.get()));
        form->createDialogs();
        form->hooks.playSound = [this, play = form->hooks.playSound](int id, bool forced) {
            sounds << (forced ? QStringLiteral("%1 forced").arg(id) : QString::number(id));
            play(id, forced);
        };
        form->show();
    }
    Game &game() { return form->game(); }
    GameState &st() { return form->game().st; }
    QImage shown() const { return form->DXDraw->frontImage(); }
    QImage panel() const { return form->DXDraw_Info->frontImage(); }

    static QPoint left(int x, int y) { return BoardRenderer::LeftCellRect(x, y).center(); }
    static QPoint right(int x, int y) { return BoardRenderer::RightCellRect(x, y).center(); }
    void click(QPoint p) { QTest::mouseClick(form->DXDraw, Qt::LeftButton, {}, p); }
    void enter() { QTest::keyClick(form.get(), Qt::Key_Return); }

    // Lets the test clock run on; a game timer due then fires through the
    // real wake-up timer.
    void tick(int ms)
    {
        clock.advance(ms);
        GameTimerDriver &driver = form->timerDriver();
        driver.reaim();
        if (!driver.isArmed() || driver.remainingMs() > 0)
            return;
        const int wakes = driver.wakeCount();
        for (int i = 0; i < 1000 && driver.wakeCount() == wakes; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // "Ein Spieler gegen den Computer" through the wizard (Ctrl+N).
    bool startComputerGame(const QString &name, int thinkingTime)
    {
        // Ctrl+N reaches the window once it is active again.
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == form.get(); }))
            return false;
        WhenModal<TForm2>([=](TForm2 *w) {
            w->RadioButton_PCMode->click();
            w->Button_Forward->click();
            w->Edit_M3Player->setText(name);
            w->SpinEdit_ComputerTime->setValue(thinkingTime);
            w->Button_Forward->click();
        });
        QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
        return st().GamePhase == gpPlacing1;
    }
    void placeAtRandom()
    {
        emit form->Spiel1->aboutToShow();
        form->MenuItem_SetShipsAutomatically->trigger();
    }
    // Enter in gpPlaced1 with the draw of the first shooter given.
    void startFiring(int firstShooter)
    {
        rng.push(firstShooter);
        enter();
    }

    QImage expectedGameEnd()
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.DrawScreen(img, st(), false);
        r.DrawGameEndBanner(img);
        return img;
    }
    // The info panel as it must look for the game state, drawn on its own.
    QImage expectedPanel()
    {
        DXDrawSurface surface(InfoPanel::W, InfoPanel::H);
        ScriptedRandom r;
        InfoPanel p(surface, r);
        p.DrawInfo(st());
        return surface.frontImage();
    }
};

QList<CellPos> cellsWhere(const Grid &g, const std::function<bool(int)> &test)
{
    QList<CellPos> cells;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (test(g.at(x, y)))
                cells << CellPos{x, y};
    return cells;
}

int countCode(const Grid &g, int code)
{
    return int(cellsWhere(g, [code](int c) { return c == code; }).size());
}

// A pixel that is opaque in both hulls of the one-cell ship and differs
// between the red and the white one.
QPoint hullProbe(const InfoPanel::ShipSprites &sprites)
{
    const QImage red = sprites[0].convertToFormat(QImage::Format_ARGB32);
    const QImage white = sprites[4].convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < red.height(); ++y)
        for (int x = 0; x < red.width(); ++x) {
            const QRgb a = red.pixel(x, y), b = white.pixel(x, y);
            if (qAlpha(a) == 255 && qAlpha(b) == 255 && qRed(a) - qGreen(a) > 100 && qGreen(b) > 200)
                return {x, y};
        }
    return {-1, -1};
}

} // namespace

class tst_integration : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void computerWinsFirst()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        GameState &st = w.st();
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 2));
        QCOMPARE(st.GameMode, gmPCMode);
        QCOMPARE(st.PlayerNames[1], QStringLiteral("Computer"));
        QCOMPARE(w.game().DXTimer_Computer.Interval(), 2000);
        QVERIFY(Game::IsCompleteFleet(Game::CountShips(st.PlayField[1], 0)));
        w.placeAtRandom();
        w.startFiring(1);
        QCOMPARE(st.CurrentPlayer, 1);
        QVERIFY(w.game().DXTimer_Computer.Enabled());

        // The human only misses; the computer shoots once per thinking time
        // and keeps the turn after every hit.
        QList<CellPos> water = cellsWhere(st.PlayField[1], [](int c) { return c == pfWater; });
        for (int guard = 0; st.Winner == -1 && guard < 300; ++guard) {
            if (st.CurrentPlayer == 0) {
                QVERIFY(!w.game().DXTimer_Computer.Enabled());
                const CellPos c = water.takeFirst();
                w.click(Window::right(c.x, c.y));
                QCOMPARE(st.CurrentPlayer, 1);
                continue;
            }
            const int tries = st.Tries[1];
            const int hits = w.game().Hits(1);
            w.tick(1999);
            QCOMPARE(st.Tries[1], tries);
            w.tick(1);
            QCOMPARE(st.Tries[1], tries + 1);
            QCOMPARE(st.CurrentPlayer, w.game().Hits(1) > hits || st.Winner == 1 ? 1 : 0);
        }
        QCOMPARE(st.Winner, 1);
        QCOMPARE(w.game().Hits(1), 20);
        QCOMPARE(w.sounds.mid(w.sounds.size() - 2),
                 QStringList({QStringLiteral("101"), QStringLiteral("301")}));
        QCOMPARE(w.form->Label_Info->text(), FormatText(Texts::InfoText(11), {QStringLiteral("Computer")}));

        // The victory pause silences the computer; its hand-over gives the
        // turn to the human, and the computer never fires again.
        const int computerShots = st.Tries[1];
        QVERIFY(w.game().DXTimer.Enabled());
        QCOMPARE(w.game().DXTimer.Interval(), 2000);
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 1);
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 0);
        QVERIFY(!w.game().DXTimer.Enabled());
        QVERIFY(!w.game().DXTimer_Computer.Enabled());
        w.tick(10000);
        QCOMPARE(st.Tries[1], computerShots);

        // The human fires alone, a miss keeps the turn, to the end.
        const CellPos miss = water.takeFirst();
        w.click(Window::right(miss.x, miss.y));
        QCOMPARE(st.CurrentPlayer, 0);
        QVERIFY(!w.game().DXTimer_Computer.Enabled());
        for (const CellPos c : cellsWhere(st.PlayField[1], [](int c) { return c == pfShip; }))
            w.click(Window::right(c.x, c.y));
        QCOMPARE(st.GamePhase, int(gpFinished));
        QCOMPARE(w.form->Label_Info->text(), Texts::InfoText(18));
        QCOMPARE(w.shown(), w.expectedGameEnd());
        QCOMPARE(w.panel(), w.expectedPanel());
        QCOMPARE(st.Tries[1], computerShots);
    }

    void humanWinsFirst()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        GameState &st = w.st();
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 3));
        w.placeAtRandom();
        w.startFiring(0);
        QCOMPARE(st.CurrentPlayer, 0);
        QVERIFY(!w.game().DXTimer_Computer.Enabled());

        // A miss hands over; the computer fires until it misses.
        const CellPos miss = cellsWhere(st.PlayField[1], [](int c) { return c == pfWater; }).first();
        w.click(Window::right(miss.x, miss.y));
        QCOMPARE(st.CurrentPlayer, 1);
        for (int guard = 0; st.CurrentPlayer == 1 && guard < 30; ++guard)
            w.tick(3000);
        QCOMPARE(st.CurrentPlayer, 0);
        QVERIFY(st.Tries[1] >= 1);

        // The human sinks everything without missing.
        for (const CellPos c : cellsWhere(st.PlayField[1], [](int c) { return c == pfShip; })) {
            w.click(Window::right(c.x, c.y));
            if (st.Winner == -1)
                QCOMPARE(st.CurrentPlayer, 0);
        }
        QCOMPARE(st.Winner, 0);
        QCOMPARE(w.form->Label_Info->text(), FormatText(Texts::InfoText(12), {QStringLiteral("Computer")}));
        QCOMPARE(w.sounds.last(), QStringLiteral("301"));
        w.tick(2000);
        QCOMPARE(st.CurrentPlayer, 1);
        QVERIFY(w.game().DXTimer_Computer.Enabled());

        // One shot per thinking time, misses included, the turn never passing.
        int misses = 0;
        for (int guard = 0; st.GamePhase == gpFiring && guard < 120; ++guard) {
            const int tries = st.Tries[1];
            const int water = countCode(st.ControlField[1], cfWater);
            w.tick(2999);
            QCOMPARE(st.Tries[1], tries);
            w.tick(1);
            QCOMPARE(st.Tries[1], tries + 1);
            QCOMPARE(st.CurrentPlayer, 1);
            misses += countCode(st.ControlField[1], cfWater) - water;
        }
        QVERIFY(misses > 0);
        QCOMPARE(st.GamePhase, int(gpFinished));
        QCOMPARE(w.game().Hits(1), 20);
        QCOMPARE(w.form->Label_Info->text(), Texts::InfoText(18));
        QCOMPARE(w.shown(), w.expectedGameEnd());
        QCOMPARE(w.panel(), w.expectedPanel());
        QVERIFY(!w.game().DXTimer_Computer.Enabled());
        const int shots = st.Tries[1];
        w.tick(3000);
        QCOMPARE(st.Tries[1], shots);

        // Enter: the title picture, and the ship sails again.
        w.enter();
        QCOMPARE(st.GamePhase, int(gpNoGame));
        QVERIFY(w.game().DXTimer_Info.Enabled());
        const QImage before = w.panel();
        w.tick(10);
        w.tick(10);
        QVERIFY(w.panel() != before);
        QCOMPARE(w.panel().pixel(2, 2), InfoPanel::BuildInfoBackground().pixel(2, 2));
    }

    void titleAnimationStopsForTheWizard()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(w.game().DXTimer_Info.Enabled());
        const int frames = w.form->DXDraw_Info->presentCount();
        w.tick(10);
        w.tick(25);
        QCOMPARE(w.form->DXDraw_Info->presentCount(), frames + 2);
        QCOMPARE(w.form->infoPanel().TitleShip.X, -w.form->infoPanel().sprites()[0].width() + 2 + 3);

        int framesWhileOpen = -1;
        WhenModal<TForm2>([&](TForm2 *wizard) {
            const int n = w.form->DXDraw_Info->presentCount();
            w.tick(100);
            framesWhileOpen = w.form->DXDraw_Info->presentCount() - n;
            wizard->Button_Cancel->click();
        });
        w.form->Neu1->trigger();
        QCOMPARE(framesWhileOpen, 0);
        QVERIFY(w.game().DXTimer_Info.Enabled());
        const int n = w.form->DXDraw_Info->presentCount();
        w.tick(10);
        QCOMPARE(w.form->DXDraw_Info->presentCount(), n + 1);
    }

    void infoPanelShowsAPlacedShip()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 3));
        const InfoPanel::ShipSprites &sprites = w.form->infoPanel().sprites();
        const QPoint probe = hullProbe(sprites);
        QVERIFY(probe.x() >= 0);
        // The row of one-cell ships: four slots from x = 100, y = 108.
        const int w0 = sprites[0].width();
        const int x0 = (InfoPanel::W / 2 - 4 * w0 - 3 * 4) / 2;
        const QPoint first = QPoint(x0, 108) + probe;
        const QPoint second = first + QPoint(w0 + 4, 0);
        const QRgb red = sprites[0].pixel(probe) & 0xFFFFFF;
        const QRgb white = sprites[4].pixel(probe) & 0xFFFFFF;
        QCOMPARE(w.panel().pixel(first) & 0xFFFFFF, white);

        w.click(Window::left(4, 4));
        QCOMPARE(w.panel().pixel(first) & 0xFFFFFF, red);
        QCOMPARE(w.panel().pixel(second) & 0xFFFFFF, white);
        w.click(Window::left(8, 8));
        QCOMPARE(w.panel().pixel(second) & 0xFFFFFF, red);
        QCOMPARE(w.panel(), w.expectedPanel());
    }

    void balloonAtARefusedCell_data()
    {
        QTest::addColumn<bool>("randomly");
        QTest::newRow("Alle Schiffe entfernen") << false;
        QTest::newRow("Schiffe zufällig platzieren") << true;
    }
    void balloonAtARefusedCell()
    {
        QFETCH(bool, randomly);
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 3));
        QTRY_COMPARE(QApplication::activeWindow(), w.form.get());
        BalloonHint *balloon = w.form->balloon();
        QVERIFY(!balloon->isVisible());
        w.click(Window::left(2, 2));
        w.click(Window::left(3, 2));
        w.click(Window::left(2, 3)); // would bend the ship
        QCOMPARE(int(w.st().PlayField[0].at(2, 3)), int(pfWater));
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->stemTip(), w.form->DXDraw->mapToGlobal(BalloonHint::CellCentre(2, 3)));
        QCOMPARE(balloon->title(), QStringLiteral("Ungültige Schiffposition"));
        QVERIFY(balloon->Timer_Balloon()->isActive());
        QCOMPARE(balloon->Timer_Balloon()->interval(), 5000);
        // The window keeps the keyboard.
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), w.form.get());

        w.click(Window::left(3, 3)); // a second refusal moves it
        QCOMPARE(balloon->stemTip(), w.form->DXDraw->mapToGlobal(BalloonHint::CellCentre(3, 3)));

        emit w.form->Spiel1->aboutToShow();
        (randomly ? w.form->MenuItem_SetShipsAutomatically : w.form->MenuItem_DeleteAllShips)->trigger();
        QVERIFY(!balloon->isVisible());
        QVERIFY(!balloon->Timer_Balloon()->isActive());
    }

    void colourDialogRedrawsTheBoard()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 3));
        w.click(Window::left(5, 5));
        const QPoint cell = BoardRenderer::LeftCellRect(5, 5).center();
        QCOMPARE(w.shown().pixel(cell) & 0xFFFFFF, 0xFFFF00u); // partly found ship: yellow

        // Cancel forgets the choice and draws nothing.
        int presents = w.form->DXDraw->presentCount();
        WhenModal<TForm4>([](TForm4 *d) {
            d->LxColorComboBox_Color2->setColor(0x00FF00); // green
            d->Button_Cancel->click();
        });
        w.form->Farbeneinrichten1->trigger();
        QCOMPARE(w.st().CellColors[2], 0x00FFFFu);
        QCOMPARE(w.form->DXDraw->presentCount(), presents);

        // OK with a new colour: the board shows it at once. Colours keep red
        // in the low byte.
        WhenModal<TForm4>([](TForm4 *d) {
            QCOMPARE(d->LxColorComboBox_Color2->Color(), 0x00FFFFu); // reloaded on opening
            d->LxColorComboBox_Color2->setColor(0x0000FF);
            d->Button_OK->click();
        });
        w.form->Farbeneinrichten1->trigger();
        QCOMPARE(w.st().CellColors[2], 0x0000FFu);
        QCOMPARE(w.form->DXDraw->presentCount(), presents + 1);
        QCOMPARE(w.shown().pixel(cell) & 0xFFFFFF, 0xFF0000u);
        QTRY_COMPARE(QApplication::activeWindow(), w.form.get());
    }

    void soundDialogAndSwitch()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(w.form->soundPlayer().enabled());
        w.form->MenuItem_Sounds->trigger(); // off
        QVERIFY(!w.form->soundPlayer().enabled());

        // The preview plays even with sounds off; OK stores the choice.
        WhenModal<TForm3>([](TForm3 *d) {
            QCOMPARE(d->ComboBox_WaterSound->currentIndex(), 0);
            QCOMPARE(d->ComboBox_ShipSound->currentIndex(), 0);
            d->ComboBox_ShipSound->setCurrentIndex(8);
            emit d->ComboBox_ShipSound->activated(8);
            d->ComboBox_WaterSound->setCurrentIndex(9);
            emit d->ComboBox_WaterSound->activated(9);
            d->Button_OK->click();
        });
        w.form->Soundseinrichten1->trigger();
        QCOMPARE(w.sounds, QStringList({QStringLiteral("201 forced"), QStringLiteral("207 forced")}));
        QCOMPARE(w.st().ShotSound, (std::array<int, 2>{207, 201}));
        QTRY_COMPARE(QApplication::activeWindow(), w.form.get());

        // Shots are silent while the switch is off, and use the choice once on.
        w.sounds.clear();
        QVERIFY(w.startComputerGame(QStringLiteral("Anna"), 3));
        w.placeAtRandom();
        w.startFiring(0);
        const CellPos ship = cellsWhere(w.st().PlayField[1], [](int c) { return c == pfShip; }).first();
        w.click(Window::right(ship.x, ship.y));
        QVERIFY(w.sounds.isEmpty());
        w.form->MenuItem_Sounds->trigger(); // on
        QVERIFY(w.form->soundPlayer().enabled());
        const CellPos water = cellsWhere(w.st().PlayField[1], [](int c) { return c == pfWater; }).first();
        w.click(Window::right(water.x, water.y));
        QCOMPARE(w.sounds, QStringList({QStringLiteral("207")}));
    }

    void aboutDialogComesLastAndAdoptsTheSystemFace()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        const QString face = QApplication::font("QMessageBox").family();
        for (QWidget *window : {static_cast<QWidget *>(w.form.get()), static_cast<QWidget *>(w.form->Form3),
                                static_cast<QWidget *>(w.form->Info)}) {
            QCOMPARE(window->font().family(), face);
            QCOMPARE(window->font().pointSize(), 8);
        }
        QString caption, version;
        WhenModal<TInfo>([&](TInfo *d) {
            caption = d->windowTitle();
            version = d->VersionText();
            d->OK->click();
        });
        w.form->Info1->trigger();
        QCOMPARE(caption, QStringLiteral("Info über Kielwanz"));
        QCOMPARE(version, QStringLiteral("Version: 1.0.0.0"));
        QTRY_COMPARE(QApplication::activeWindow(), w.form.get());
    }

    void settingsSurviveARestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Settings.ini"));
        {
            Window w(path);
            QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
            QVERIFY(w.form->MenuItem_Sounds->isChecked());
            QCOMPARE(w.st().ChangingTime, 3);
            w.form->MenuItem_Sounds->trigger();
            WhenModal<TForm3>([](TForm3 *d) {
                d->ComboBox_WaterSound->setCurrentIndex(2);
                d->ComboBox_ShipSound->setCurrentIndex(8);
                d->Button_OK->click();
            });
            w.form->Soundseinrichten1->trigger();
            WhenModal<TForm4>([](TForm4 *d) {
                d->LxColorComboBox_Color1->setColor(0x123456);
                d->Button_OK->click();
            });
            w.form->Farbeneinrichten1->trigger();
            QVERIFY(w.startComputerGame(QStringLiteral("Zoë"), 7));
            w.st().LocalPlayer = 1;
            w.st().HostAddress = QStringLiteral("spielhost.local");
            // Read at the start, written only when the window goes.
            QVERIFY(!QFile::exists(path));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(
            text.contains(QStringLiteral("[") + SettingsFile::LoginName() + QStringLiteral(" - Options]")));
        QVERIFY(text.contains(QStringLiteral("Sounds=0\r\n")));

        Window w(path);
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QVERIFY(!w.form->MenuItem_Sounds->isChecked());
        QVERIFY(!w.form->soundPlayer().enabled());
        QCOMPARE(w.st().ShotSound, (std::array<int, 2>{3, 201}));
        QCOMPARE(w.st().CellColors[1], 0x123456u);
        QCOMPARE(w.st().CellColors[2], 0x00FFFFu);
        QCOMPARE(w.st().RecentNames[0], QStringLiteral("Zoë"));
        QCOMPARE(w.st().ChangingTime, 7);
        QCOMPARE(w.st().LocalPlayer, 1);
        QCOMPARE(w.st().HostAddress, QStringLiteral("spielhost.local"));
        QCOMPARE(w.st().GamePhase, int(gpNoGame));
        QString shownName;
        int shownTime = 0;
        WhenModal<TForm2>([&](TForm2 *d) {
            shownName = d->Edit_M3Player->text();
            shownTime = d->SpinEdit_ComputerTime->value();
            d->Button_Cancel->click();
        });
        w.form->Neu1->trigger();
        QCOMPARE(shownName, QStringLiteral("Zoë"));
        QCOMPARE(shownTime, 7);
    }

    void failedSaveIsReportedAndClosingGoesOn()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // A file where the folder should be: not even root can write there.
        auto w = std::make_unique<Window>(dir.filePath(QStringLiteral("blocker/Settings.ini")));
        QVERIFY(QTest::qWaitForWindowActive(w->form.get()));
        QString title, text;
        QStringList buttons;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
        });
        w.reset();
        QCOMPARE(title, QStringLiteral("Kielwanz"));
        QVERIFY2(text.startsWith(QStringLiteral("In ")) &&
                     text.endsWith(QStringLiteral(" kann nicht geschrieben werden")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("blocker")));
        QCOMPARE(buttons, QStringList({QStringLiteral("OK")}));
    }
};

QTEST_MAIN(tst_integration)
#include "tst_integration.moc"
