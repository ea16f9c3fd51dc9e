#include "game/Texts.h"
#include "opponents/ComputerPlayer.h"
#include "support/TestGame.h"

#include <QtTest>

// Whole games against the computer through the engine, its timers driven by a
// hand-set clock: who fires when, the effects at the key moments, and how the
// end of a game silences the computer.

namespace {

// A game against the computer, fleets placed, firing begun.
struct PcGame : TestGame {
    ComputerPlayer cp{game};

    PcGame(unsigned seed, int thinkingSeconds, int firstPlayer) : TestGame(true)
    {
        rng = ScriptedRandom({}, seed);
        cp.attach();
        st.GameMode = gmPCMode;
        st.ChangingTime = thinkingSeconds;
        st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
        game.StartGame();
        game.MenuItem_SetShipsAutomaticallyClick();
        rng.push(firstPlayer);
        game.FormKeyPress(13);
        fx.clear();
    }
    // The human clicks the first cell of the computer's fleet, in reading
    // order, not shot yet that is (not) a ship; returns the cell.
    CellPos humanFires(bool atShip)
    {
        for (int k = 0; k < 100; ++k)
            if (st.ControlField[0].at(k % 10, k / 10) == cfUnknown &&
                st.PlayField[1].isShip(k % 10, k / 10) == atShip) {
                game.DXDrawMouseDown(MouseButton::Left, 500 + 40 * (k % 10), 100 + 40 * (k / 10));
                return {k % 10, k / 10};
            }
        return NoCell;
    }
    // Runs the clock in steps of 100 ms until the computer has fired; returns
    // the milliseconds that took (at most the limit).
    int untilComputerFires(int limit)
    {
        const int tries = st.Tries[1];
        int ms = 0;
        for (; st.Tries[1] == tries && ms < limit; ms += 100)
            run(100, 100);
        return ms;
    }
    bool computerMissed() const
    {
        return st.ControlField[1].at(st.LastShot[0].x, st.LastShot[0].y) == cfWater;
    }
};

const QString kAllFound = "Computer hat alle Ihre Schiffe gefunden.";

} // namespace

class tst_computergame : public QObject {
    Q_OBJECT
private slots:
    // The human only misses; the computer fires once per thinking time,
    // finds everything first and fires nothing after its winning shot; the
    // turn passes to the human after the pause, who then finishes alone.
    // Switching away and back during the pause gives the hook to the
    // computer's timer: its tick must neither fire nor strand the pause.
    void computerWinsFirst_data()
    {
        QTest::addColumn<bool>("switchedAway");
        QTest::newRow("in front") << false;
        QTest::newRow("switched away during the pause") << true;
    }
    void computerWinsFirst()
    {
        QFETCH(bool, switchedAway);
        PcGame g(11, 1, 1);
        int misses = 0;
        while (g.st.Winner == -1) {
            if (g.st.CurrentPlayer == 0) {
                QVERIFY(!g.game.DXTimer_Computer.Enabled());
                QVERIFY(g.humanFires(false) != NoCell);
                QVERIFY(g.st.CurrentPlayer == 1 && g.game.DXTimer_Computer.Enabled());
                continue;
            }
            g.fx.clear();
            QCOMPARE(g.untilComputerFires(60000), 1000);
            misses += g.computerMissed();
            QCOMPARE(g.st.CurrentPlayer, g.computerMissed() ? 0 : 1); // a miss hands the turn back at once
        }
        QVERIFY(misses > 0);
        QCOMPARE(Game::CountShips(g.st.ControlField[1], 1), (ShipCounts{0, 4, 3, 2, 1}));
        QCOMPARE(g.takeLog(),
                 "DXTimer_Computer off | sound 101 | DXTimer_Computer on 1000 | status " + kAllFound +
                     " | draw | info | sound 301 | banner found-all | DXTimer on 2000 | present");

        // The pause silences the computer; then the turn passes and its timer is off.
        const int shots = g.st.Tries[1];
        const std::size_t draws = g.rng.log.size();
        if (switchedAway) {
            g.game.timers.setApplicationActive(false);
            g.clock.advance(300);
            g.game.timers.setApplicationActive(true);
            QCOMPARE(g.game.timers.polled(), &g.game.DXTimer_Computer);
        }
        QCOMPARE(g.run(switchedAway ? 1699 : 1999), switchedAway ? 1 : 0);
        QCOMPARE(g.run(1), 1);
        QCOMPARE(
            g.takeLog(),
            (switchedAway ? "DXTimer_Computer off | DXTimer off" : "DXTimer off | DXTimer_Computer off") +
                QString(" | status Sie sind an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er. | "
                        "draw present | info"));
        QVERIFY(g.st.Tries[1] == shots && g.rng.log.size() == draws);
        QVERIFY(g.st.CurrentPlayer == 0 && !g.game.DXTimer_Computer.Enabled());

        // The human finishes alone, misses included.
        g.humanFires(false);
        QCOMPARE(g.st.CurrentPlayer, 0);
        CellPos last = NoCell;
        while (g.st.GamePhase != gpFinished) {
            g.fx.clear();
            last = g.humanFires(true);
            QVERIFY(last != NoCell);
        }
        QCOMPARE(g.takeLog(),
                 QStringLiteral("send %1%2 | sound 101 | status Sie haben alle Schiffe von Computer "
                                "gefunden. | draw | info | banner game-end | close | status ")
                         .arg(last.x)
                         .arg(last.y) +
                     Texts::InfoText(18) + " | present");
        QCOMPARE(g.run(10000, 100), 0);
        QCOMPARE(g.st.Tries[1], shots);
    }

    // The human sinks everything first; after the pause the computer fires
    // once per thinking time, misses included, until it has found every ship.
    void humanWinsFirst()
    {
        PcGame g(5, 3, 0);
        // A tick out of turn fires nothing, draws nothing and stops the timer.
        const std::size_t draws = g.rng.log.size();
        g.game.DXTimer_Computer.enable();
        g.cp.DXTimer_ComputerTimer();
        QVERIFY(g.st.Tries[1] == 0 && g.rng.log.size() == draws && !g.game.DXTimer_Computer.Enabled());
        while (g.st.Winner == -1)
            QVERIFY(g.humanFires(true) != NoCell);
        QVERIFY(g.st.Tries[1] == 0 && !g.game.DXTimer_Computer.Enabled());
        QCOMPARE(g.run(1999), 0);
        QCOMPARE(g.run(1), 1);
        QVERIFY(g.st.CurrentPlayer == 1 && g.game.DXTimer_Computer.Enabled());
        int misses = 0;
        while (g.st.GamePhase != gpFinished) {
            g.fx.clear();
            QCOMPARE(g.untilComputerFires(60000), 3000);
            misses += g.computerMissed();
            QVERIFY(g.st.CurrentPlayer == 1 &&
                    g.game.DXTimer_Computer.Enabled() != (g.st.GamePhase == gpFinished));
        }
        QVERIFY(misses > 0);
        QCOMPARE(Game::CountShips(g.st.ControlField[1], 1), (ShipCounts{0, 4, 3, 2, 1}));
        QCOMPARE(g.takeLog(),
                 "sound 101 | status " + kAllFound +
                     " | draw | info | DXTimer_Computer off | banner game-end | close | status " +
                     Texts::InfoText(18) + " | present");
        QCOMPARE(g.game.timers.polled(), nullptr);
        QCOMPARE(g.run(10000, 100), 0);
    }
};

QTEST_GUILESS_MAIN(tst_computergame)
#include "tst_computergame.moc"
