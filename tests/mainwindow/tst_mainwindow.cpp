#include "app/mainwindow/TForm1.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/TForm2.h"
#include "game/Texts.h"
#include "presentation/DXDrawSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "support/WhenModal.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The real main window with a hand-driven clock and scripted chance.
struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng;
    TForm1 form{&clock, &rng, nullptr, dir.filePath(QStringLiteral("Settings.ini"))};
    QStringList effects; // sounds, balloons and connection closes, in order

    Window()
    {
        form.setWizard(new TForm2(form.game(), &form));
        form.hooks.playSound = [this](int id, bool) { effects << QStringLiteral("sound %1").arg(id); };
        // Recorded on the way to the real balloon.
        form.hooks.showBalloon = [this, show = form.hooks.showBalloon](const QPoint &global) {
            const QPoint p = form.DXDraw->mapFromGlobal(global);
            effects << QStringLiteral("balloon %1,%2").arg((p.x() - 60) / 40).arg((p.y() - 100) / 40);
            show(global);
        };
        form.hooks.closeConnection = [this] { effects << QStringLiteral("close"); };
        form.show();
    }
    Game &game() { return form.game(); }
    GameState &st() { return form.game().st; }
    int presents() const { return form.DXDraw->presentCount(); }
    QImage shown() const { return form.DXDraw->frontImage(); }

    static QPoint left(int x, int y) { return BoardRenderer::LeftCellRect(x, y).center(); }
    static QPoint right(int x, int y) { return BoardRenderer::RightCellRect(x, y).center(); }

    void click(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(form.DXDraw, b, {}, p); }
    void drag(const QList<QPoint> &path, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(form.DXDraw, b, {}, path.first());
        for (qsizetype i = 1; i < path.size(); ++i)
            QTest::mouseMove(form.DXDraw, path[i]);
        QTest::mouseRelease(form.DXDraw, b, {}, path.last());
    }
    void hover(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(form.DXDraw->mapToGlobal(p)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.DXDraw, &move);
    }
    void enter() { QTest::keyClick(&form, Qt::Key_Return); }
    // Lets the test clock run on; a game timer that is due then fires through
    // the real wake-up timer.
    void tick(int ms)
    {
        clock.advance(ms);
        GameTimerDriver &driver = form.timerDriver();
        driver.reaim();
        if (!driver.isArmed() || driver.remainingMs() > 0)
            return;
        const int wakes = driver.wakeCount();
        for (int i = 0; i < 1000 && driver.wakeCount() == wakes; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // The frames the user must see, composed independently.
    QImage expectedCountdown(int seconds)
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.DrawScreen(img, st(), true);
        r.DrawChangeOverBanner(img, st(), seconds);
        return img;
    }
    QImage expectedFoundAll()
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.DrawScreen(img, st(), false);
        r.DrawFoundAllBanner(img, st());
        return img;
    }
    QImage expectedGameEnd()
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.DrawScreen(img, st(), false);
        r.DrawGameEndBanner(img);
        return img;
    }
    bool showsTitle() const
    {
        return shown().copy(0, 0, 880, 480) == form.renderer().Picture(0).copy(0, 0, 880, 480);
    }

    // A game of two at one PC, started through the wizard with Ctrl+N.
    void startTwoAtOne(const QString &a, const QString &b, int changeOver, int firstPlacer)
    {
        rng.push(firstPlacer);
        WhenModal<TForm2>([=](TForm2 *w) {
            w->RadioButton_TwoAtOne->click();
            w->Button_Forward->click();
            w->Edit_M1Player1->setText(a);
            w->Edit_M1Player2->setText(b);
            w->SpinEdit_ChangingTime->setValue(changeOver);
            w->Button_Forward->click();
        });
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
    }
};

QStringList menuCaptions(QMenu *menu)
{
    QStringList out;
    for (QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QList<CellPos> shipCells(const Grid &g)
{
    QList<CellPos> cells;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (g.at(x, y) >= 2)
                cells << CellPos{x, y};
    return cells;
}

CellPos waterCell(const Grid &g)
{
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (g.at(x, y) == 0)
                return {x, y};
    return NoCell;
}

} // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void windowLayout()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Kielwanz"));
        QCOMPARE(w.form.centralWidget()->size(), QSize(881, 682));
        QCOMPARE(w.form.Label_Info->geometry(), QRect(0, 0, 881, 19));
        QCOMPARE(w.form.DXDraw_Info->geometry(), QRect(0, 19, 881, 182));
        QCOMPARE(w.form.DXDraw->geometry(), QRect(0, 201, 881, 481));
        QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
        QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.form.windowFlags() & Qt::WindowMinimizeButtonHint);
        // Shown: title picture, the first status text, the animation timer on.
        QVERIFY(w.showsTitle());
        QCOMPARE(w.form.Label_Info->text(), Texts::InfoText(0));
        QVERIFY(w.game().DXTimer_Info.Enabled());
        QVERIFY(w.game().timers.applicationActive());
        QCOMPARE(w.form.DXDraw_Info->frontImage().pixel(10, 10),
                 InfoPanel::BuildInfoBackground().pixel(10, 10));
    }

    void menus()
    {
        Window w;
        const QList<QAction *> bar = w.form.menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar[0]->text(), QStringLiteral("&Spiel"));
        QCOMPARE(bar[1]->text(), QStringLiteral("?"));
        QCOMPARE(menuCaptions(w.form.Spiel1),
                 QStringList({QStringLiteral("&Neu\tStrg+N"), QStringLiteral("-"),
                              QStringLiteral("Alle Schiffe entfernen"),
                              QStringLiteral("Schiffe zufällig platzieren"), QStringLiteral("-"),
                              QStringLiteral("Farben einrichten"), QStringLiteral("Sounds einrichten"),
                              QStringLiteral("Sounds abspielen"), QStringLiteral("-"),
                              QStringLiteral("Be&enden")}));
        QCOMPARE(menuCaptions(w.form.Fragezeichen1),
                 QStringList({QStringLiteral("&Hilfe\tF1"), QStringLiteral("-"), QStringLiteral("&Info")}));
        QCOMPARE(w.form.Neu1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(w.form.Hilfe1->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(w.form.MenuItem_Sounds->isCheckable());
        QVERIFY(w.form.MenuItem_Sounds->isChecked());
    }

    void placementItemsOnlyWhilePlacing()
    {
        Window w;
        auto visible = [&] {
            emit w.form.Spiel1->aboutToShow();
            const bool a = w.form.MenuItem_DeleteAllShips->isVisible();
            const bool b = w.form.MenuItem_SetShipsAutomatically->isVisible();
            return a && b ? 1 : (!a && !b ? 0 : -1);
        };
        QCOMPARE(visible(), 0);
        for (int phase = gpPlacing1; phase <= gpPlaced2; ++phase) {
            w.st().GamePhase = phase;
            QCOMPARE(visible(), 1);
        }
        w.st().GamePhase = gpFiring;
        QCOMPARE(visible(), 0);
        w.st().GameMode = gmTwoAtTwo;
        w.st().GamePhase = gpPlaced1;
        w.st().PlacementDone = pdLocal; // the own fleet went to the peer
        QCOMPARE(visible(), 0);
        w.st().PlacementDone = pdRemote;
        QCOMPARE(visible(), 1);
    }

    void soundsFollowTheSwitch()
    {
        Window w;
        w.form.PlaySound(101);
        w.form.MenuItem_Sounds->trigger(); // off
        QVERIFY(!w.form.MenuItem_Sounds->isChecked());
        w.form.PlaySound(1);
        w.form.PlaySound(301, true);
        QCOMPARE(w.effects, QStringList({QStringLiteral("sound 101"), QStringLiteral("sound 301")}));
    }

    void mouseBounds_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("X");
        QTest::addColumn<int>("Y");
        QTest::addColumn<int>("cx");
        QTest::addColumn<int>("cy");
        QTest::newRow("X 40") << int(gpPlacing1) << 40 << 200 << -1 << -1;
        QTest::newRow("X 41") << int(gpPlacing1) << 41 << 200 << 0 << 3;
        QTest::newRow("X 439") << int(gpPlacing1) << 439 << 200 << 9 << 3;
        QTest::newRow("X 440") << int(gpPlacing1) << 440 << 200 << -1 << -1;
        QTest::newRow("Y 80") << int(gpPlacing1) << 100 << 80 << -1 << -1;
        QTest::newRow("Y 81") << int(gpPlacing1) << 100 << 81 << 1 << 0;
        QTest::newRow("Y 479") << int(gpPlacing1) << 100 << 479 << 1 << 9;
        QTest::newRow("Y 480") << int(gpPlacing1) << 100 << 480 << -1 << -1;
        QTest::newRow("placing, right board") << int(gpPlaced1) << 600 << 200 << -1 << -1;
        QTest::newRow("firing X 480") << int(gpFiring) << 480 << 200 << -1 << -1;
        QTest::newRow("firing X 481") << int(gpFiring) << 481 << 200 << 0 << 3;
        QTest::newRow("firing X 879") << int(gpFiring) << 879 << 479 << 9 << 9;
        QTest::newRow("firing X 880") << int(gpFiring) << 880 << 200 << -1 << -1;
        QTest::newRow("firing, left board") << int(gpFiring) << 100 << 200 << -1 << -1;
    }
    void mouseBounds()
    {
        QFETCH(int, phase);
        QFETCH(int, X);
        QFETCH(int, Y);
        QFETCH(int, cx);
        QFETCH(int, cy);
        Window w;
        w.st().PlayerNames = {QStringLiteral("A"), QStringLiteral("B")};
        w.game().StartGame();
        w.st().GamePhase = phase;
        w.st().HoverCell = {5, 5};
        w.hover(QPoint(X, Y));
        QCOMPARE(w.st().HoverCell, (CellPos{cx, cy}));
        if (phase == gpPlacing1) {
            // A click at the same place sets exactly that cell, or none.
            w.click(QPoint(X, Y));
            const int ships = shipCells(w.st().PlayField[w.st().CurrentPlayer]).size();
            QCOMPARE(ships, cx >= 0 ? 1 : 0);
            if (cx >= 0)
                QCOMPARE(int(w.st().PlayField[w.st().CurrentPlayer].at(cx, cy)), int(pfShip));
        }
    }

    void movingWithinACellDrawsNothing()
    {
        Window w;
        w.st().PlayerNames = {QStringLiteral("A"), QStringLiteral("B")};
        w.game().StartGame();
        w.game().DrawScreen(true);
        int n = w.presents();
        w.hover(QPoint(100, 100));
        QCOMPARE(w.presents(), ++n);
        const QRect cell = BoardRenderer::LeftCellRect(1, 0);
        QCOMPARE(w.shown().pixel(cell.x() + 1, cell.y() + 20) & 0xFFFFFF, 0xFF0000u); // hover frame
        w.hover(QPoint(101, 118));
        w.hover(QPoint(119, 81));
        QCOMPARE(w.presents(), n);
        w.hover(QPoint(10, 10)); // off the board: drawn once more
        QCOMPARE(w.presents(), ++n);
        QCOMPARE(w.st().HoverCell, NoCell);
        QVERIFY((w.shown().pixel(cell.x() + 1, cell.y() + 20) & 0xFFFFFF) != 0xFF0000u);
        w.hover(QPoint(12, 14));
        QCOMPARE(w.presents(), n);
    }

    void wholeGameOfTwoAtOnePC()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        GameState &st = w.st();
        w.startTwoAtOne(QStringLiteral("Anna"), QStringLiteral("Bert"), 2, 0);
        QCOMPARE(st.GamePhase, int(gpPlacing1));
        QCOMPARE(st.ChangingTime, 3);
        QCOMPARE(st.CurrentPlayer, 0);
        QVERIFY(!w.game().DXTimer_Info.Enabled());
        QCOMPARE(w.form.Label_Info->text(),
                 QStringLiteral(
                     "Anna, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."));
        QVERIFY(!w.showsTitle());

        // ---- Anna places by hand: a drag that runs into the length limit,
        // clicks, a refused cell, a surplus ship removed by a right drag.
        w.drag({Window::left(0, 0), Window::left(1, 0), Window::left(2, 0), Window::left(3, 0),
                Window::left(4, 0)});
        QCOMPARE(Game::GetShipLength(st.PlayField[0], 0, 0), 4);
        QCOMPARE(int(st.PlayField[0].at(4, 0)), 0);
        QCOMPARE(w.effects.takeLast(), QStringLiteral("balloon 4,0"));
        w.click(Window::left(0, 2));
        w.click(Window::left(1, 2));
        w.click(Window::left(2, 2));
        w.drag({Window::left(0, 4), Window::left(1, 4), Window::left(2, 4)});
        const QString statusBefore = w.form.Label_Info->text();
        int presents = w.presents();
        w.click(Window::left(3, 1)); // would bend the ship of 4 into an L
        QCOMPARE(w.effects.takeLast(), QStringLiteral("balloon 3,1"));
        QCOMPARE(int(st.PlayField[0].at(3, 1)), 0);
        QCOMPARE(w.presents(), presents);
        QCOMPARE(w.form.Label_Info->text(), statusBefore);
        w.click(Window::left(0, 0)); // a ship cell: nothing at all
        QCOMPARE(w.presents(), presents);
        QVERIFY(w.effects.isEmpty());
        w.enter(); // fleet incomplete: Enter does nothing
        QCOMPARE(st.GamePhase, int(gpPlacing1));
        for (const CellPos c : {CellPos{5, 2}, CellPos{6, 2}, CellPos{5, 4}, CellPos{6, 4}, CellPos{8, 0},
                                CellPos{8, 1}, CellPos{6, 7}, CellPos{7, 7}})
            w.click(Window::left(c.x, c.y));
        QCOMPARE(w.form.Label_Info->text(), QStringLiteral("benötigt: 4 1er; zu entfernen: 1 2er"));
        w.drag({Window::left(6, 7), Window::left(7, 7)}, Qt::RightButton);
        QCOMPARE(int(st.PlayField[0].at(6, 7)), 0);
        QCOMPARE(int(st.PlayField[0].at(7, 7)), 0);
        QCOMPARE(w.form.Label_Info->text(), QStringLiteral("benötigt: 4 1er"));
        for (const CellPos c : {CellPos{9, 9}, CellPos{7, 7}, CellPos{5, 9}, CellPos{2, 7}})
            w.click(Window::left(c.x, c.y));
        QCOMPARE(st.GamePhase, int(gpPlaced1));
        QCOMPARE(w.form.Label_Info->text(), Texts::InfoText(2));
        const QRect own = BoardRenderer::LeftCellRect(0, 0);
        QCOMPARE(w.shown().pixel(own.center()) & 0xFFFFFF, 0xFFFF00u); // a ship cell, partly-found colour
        const Grid annasFleet = st.PlayField[0];

        // ---- Enter: Bert places, at random from the menu.
        w.enter();
        QCOMPARE(st.GamePhase, int(gpPlacing2));
        QCOMPARE(st.CurrentPlayer, 1);
        QCOMPARE(w.form.Label_Info->text(),
                 QStringLiteral(
                     "Bert, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."));
        QVERIFY((w.shown().pixel(own.center()) & 0xFFFFFF) != 0xFFFF00u); // Bert's empty field
        emit w.form.Spiel1->aboutToShow();
        QVERIFY(w.form.MenuItem_SetShipsAutomatically->isVisible());
        w.form.MenuItem_SetShipsAutomatically->trigger();
        QCOMPARE(st.GamePhase, int(gpPlaced2));
        QVERIFY(Game::IsCompleteFleet(Game::CountShips(st.PlayField[1], 0)));
        QCOMPARE(st.PlayField[0], annasFleet);

        // ---- Enter: the countdown, first frame one second later.
        presents = w.presents();
        w.enter();
        QCOMPARE(st.GamePhase, int(gpFiring));
        QVERIFY(w.game().DXTimer.Enabled());
        QCOMPARE(w.presents(), presents);
        w.hover(Window::right(3, 3)); // ignored while the countdown runs
        QCOMPARE(w.presents(), presents);
        w.tick(1000);
        QCOMPARE(w.shown(), w.expectedCountdown(2));
        w.tick(1000);
        QCOMPARE(w.shown(), w.expectedCountdown(1));
        w.tick(1000);
        QVERIFY(!w.game().DXTimer.Enabled());
        QCOMPARE(st.CurrentPlayer, 0); // the first placer fires first
        QCOMPARE(w.form.Label_Info->text(),
                 QStringLiteral("Anna ist an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er."));
        QCOMPARE(w.shown().pixel(own.center()) & 0xFFFFFF, 0xFFFF00u); // Anna's boards again
        emit w.form.Spiel1->aboutToShow();
        QVERIFY(!w.form.MenuItem_SetShipsAutomatically->isVisible());

        // ---- Anna fires: a drag along one of Bert's ships, then clicks at
        // every ship cell but one, then a miss.
        QList<CellPos> berts = shipCells(st.PlayField[1]);
        QList<QPoint> run;
        for (const CellPos c : berts)
            if (Game::GetShipLength(st.PlayField[1], c.x, c.y) == 4)
                run << Window::right(c.x, c.y);
        QCOMPARE(run.size(), 4);
        w.drag(run);
        QCOMPARE(Game::CountShips(st.ControlField[0], 1)[4], 1); // sunk by the drag
        // Keep back one cell of a shorter ship for the winning shot.
        CellPos last = NoCell;
        for (const CellPos c : berts)
            if (Game::GetShipLength(st.PlayField[1], c.x, c.y) < 4)
                last = c;
        berts.removeOne(last);
        for (const CellPos c : berts)
            if (st.ControlField[0].at(c.x, c.y) == cfUnknown)
                w.click(Window::right(c.x, c.y));
        QCOMPARE(st.CurrentPlayer, 0);
        QCOMPARE(st.Tries[0], 19);
        QCOMPARE(w.effects.count(QStringLiteral("sound 101")), 19);
        const CellPos miss = waterCell(st.PlayField[1]);
        w.click(Window::right(miss.x, miss.y));
        QCOMPARE(w.effects.last(), QStringLiteral("sound 1"));
        QVERIFY(w.game().DXTimer.Enabled());
        QCOMPARE(w.shown(), w.expectedCountdown(2)); // at once
        w.click(Window::right(last.x, last.y));      // ignored during the countdown
        QCOMPARE(int(st.ControlField[0].at(last.x, last.y)), int(cfUnknown));
        w.tick(1000);
        QCOMPARE(w.shown(), w.expectedCountdown(1));
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 1);

        // Bert sees his own field with Anna's miss framed.
        const QImage bertsView = w.shown();
        QCOMPARE(bertsView.pixel(40 * (miss.x + 1) - 1, 40 * (miss.y + 2) + 20) & 0xFFFFFF, 0xFF0000u);
        const CellPos bertsMiss = waterCell(st.PlayField[0]);
        w.click(Window::right(bertsMiss.x, bertsMiss.y));
        QCOMPARE(w.shown(), w.expectedCountdown(2));
        w.tick(1000);
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 0);

        // ---- Anna's last hit: the found-all screen, two seconds.
        w.effects.clear();
        w.click(Window::right(last.x, last.y));
        QCOMPARE(w.effects, QStringList({QStringLiteral("sound 101"), QStringLiteral("sound 301")}));
        QCOMPARE(st.Winner, 0);
        QCOMPARE(w.form.Label_Info->text(), QStringLiteral("Anna hat alle Schiffe von Bert gefunden."));
        QCOMPARE(w.shown(), w.expectedFoundAll());
        QVERIFY(w.game().DXTimer.Enabled());
        QCOMPARE(w.game().DXTimer.Interval(), 2000);
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 0); // still the victory screen
        QCOMPARE(w.shown(), w.expectedFoundAll());
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 1);
        QVERIFY(!w.game().DXTimer.Enabled());
        QCOMPARE(w.game().DXTimer.Interval(), 1000);
        QVERIFY(w.form.Label_Info->text().startsWith(QStringLiteral("Bert ist an der Reihe. Es fehlen: ")));

        // ---- Bert fires alone: a miss keeps the turn; then every ship.
        const CellPos another = waterCell(st.PlayField[0]);
        w.click(Window::right(another.x, another.y));
        QCOMPARE(st.CurrentPlayer, 1);
        QVERIFY(!w.game().DXTimer.Enabled());
        w.effects.clear();
        for (const CellPos c : shipCells(st.PlayField[0]))
            if (st.PlayField[0].at(c.x, c.y) == pfShip)
                w.click(Window::right(c.x, c.y));
        QCOMPARE(st.Winner, 1);
        QCOMPARE(st.GamePhase, int(gpFinished));
        QCOMPARE(w.effects.last(), QStringLiteral("close"));
        QVERIFY(!w.effects.contains(QStringLiteral("sound 301")));
        QCOMPARE(w.form.Label_Info->text(), Texts::InfoText(18));
        QCOMPARE(w.shown(), w.expectedGameEnd());

        // ---- Enter: back to the title picture; a second Enter does nothing.
        w.enter();
        QCOMPARE(st.GamePhase, int(gpNoGame));
        QVERIFY(w.showsTitle());
        QCOMPARE(w.form.Label_Info->text(), Texts::InfoText(0));
        QVERIFY(w.game().DXTimer_Info.Enabled());
        presents = w.presents();
        w.enter();
        QCOMPARE(w.presents(), presents);
    }

    void newGameDuringAGameAsksFirst()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        GameState &st = w.st();
        w.startTwoAtOne(QStringLiteral("Anna"), QStringLiteral("Bert"), 5, 1);
        emit w.form.Spiel1->aboutToShow();
        w.form.MenuItem_SetShipsAutomatically->trigger();
        w.enter();
        emit w.form.Spiel1->aboutToShow();
        w.form.MenuItem_SetShipsAutomatically->trigger();
        w.enter();
        w.tick(1000); // countdown showing 5
        QCOMPARE(w.game().DXTimer.Tag, 5);

        QString title, text;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        AnswerMessageBox(QStringLiteral("&Nein"), [&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
        });
        w.form.Neu1->trigger();
        QCOMPARE(title, QStringLiteral("Spiel beenden?"));
        QCOMPARE(text, QStringLiteral("Wollen Sie das Spiel wirklich beenden?"));
        QCOMPARE(icon, QMessageBox::Question);
        buttons.sort();
        QCOMPARE(buttons, QStringList({QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
        // "Nein": the game goes on, the countdown too.
        QCOMPARE(st.GamePhase, int(gpFiring));
        QVERIFY(w.game().DXTimer.Enabled());
        QCOMPARE(w.game().DXTimer.Tag, 5);

        // "Ja": every timer stops, the title shows; the wizard opens and is
        // cancelled, which resumes the title animation.
        bool stoppedWhileWizardOpen = false;
        AnswerMessageBox(QStringLiteral("&Ja"));
        WhenModal<TForm2>([&](TForm2 *wizard) {
            stoppedWhileWizardOpen = !w.game().DXTimer.Enabled() && !w.game().DXTimer_Computer.Enabled() &&
                                     !w.game().DXTimer_Info.Enabled() && w.showsTitle();
            wizard->Button_Cancel->click();
        });
        w.form.Neu1->trigger();
        QVERIFY(stoppedWhileWizardOpen);
        QCOMPARE(st.GamePhase, int(gpNoGame));
        QCOMPARE(w.game().DXTimer.Tag, 0);
        QCOMPARE(w.form.Label_Info->text(), Texts::InfoText(0));
        QVERIFY(w.game().DXTimer_Info.Enabled());
        QVERIFY(!w.game().DXTimer.Enabled());

        // No game: "Neu" opens the wizard without a question.
        WhenModal<TForm2>([](TForm2 *wizard) { wizard->reject(); });
        w.form.Neu1->trigger();
    }

    void closingAsksWhileAGameRuns()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.startTwoAtOne(QStringLiteral("Anna"), QStringLiteral("Bert"), 3, 0);
        AnswerMessageBox(QStringLiteral("&Nein"));
        w.form.Beenden1->trigger();
        QVERIFY(w.form.isVisible());
        AnswerMessageBox(QStringLiteral("&Ja"));
        QVERIFY(w.form.close());
        QVERIFY(!w.form.isVisible());
    }

    void closingWithoutAGameAsksNothing()
    {
        Window w;
        QVERIFY(w.form.close());
        QVERIFY(!w.form.isVisible());
    }

    void helpOnF1()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QTest::keyClick(&w.form, Qt::Key_F1);
        auto *help = w.form.findChild<HelpWindow *>();
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
        const QString html = HelpWindow::HelpHtml();
        for (const char *topic :
             {"Zwei Spieler an einem PC", "Zwei Spieler über TCP/IP", "Ein Spieler gegen den Computer",
              "Rechte Maustaste", "Eingabetaste", "Strg+N"})
            QVERIFY2(html.contains(QString::fromUtf8(topic)), topic);
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
