#include "game/Game.h"
#include "game/Texts.h"
#include "opponents/ComputerPlayer.h"
#include "support/RecordingEffects.h"

#include <QtTest>

#include <memory>

// Games against the computer through the engine, its timers driven by a
// hand-set clock: who fires when, and how the end of a game silences it.

namespace {

constexpr int kStep = 100; // ms per poll of the timers

// A game against the computer, fleets placed, firing about to begin.
struct PcGame {
    RecordingEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    ComputerPlayer cp{game};
    GameState &st = game.st;

    PcGame(unsigned seed, int thinkingSeconds, int firstPlayer) : rng({}, seed)
    {
        fx.attach(game);
        cp.attach();
        st.GameMode = gmPCMode;
        st.ChangingTime = thinkingSeconds;
        st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
        game.StartGame();
        game.MenuItem_SetShipsAutomaticallyClick();
        rng.push(firstPlayer);
        game.FormKeyPress(13);
    }

    std::int64_t now() const { return clock.nowMs(); }

    // The human clicks the first cell of the computer's fleet, in reading
    // order, that is not shot yet and is (not) a ship.
    bool humanFires(bool atShip)
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if (st.ControlField[0].at(x, y) == cfUnknown &&
                    (st.PlayField[1].at(x, y) >= pfShip) == atShip) {
                    const int tries = st.Tries[0];
                    game.DXDrawMouseDown(MouseButton::Left, 480 + 40 * x + 20, 80 + 40 * y + 20);
                    return st.Tries[0] == tries + 1;
                }
        return false;
    }

    // One step of the clock; returns whether the computer fired in it.
    bool step()
    {
        const int tries = st.Tries[1];
        clock.advance(kStep);
        game.timers.poll();
        return st.Tries[1] != tries;
    }
};

ShipCounts fullFleet()
{
    return {0, 4, 3, 2, 1};
}

} // namespace

class tst_computergame : public QObject {
    Q_OBJECT
private slots:
    void computerWinsFirst_data()
    {
        QTest::addColumn<unsigned>("seed");
        QTest::addColumn<int>("thinking");
        QTest::newRow("think 2 s") << 7u << 2;
        QTest::newRow("think 1 s") << 11u << 1;
        QTest::newRow("think 5 s") << 12u << 5;
    }

    // The human only misses; the computer finds everything first, fires no
    // shot after its winning one, and the turn passes after the pause.
    void computerWinsFirst()
    {
        QFETCH(unsigned, seed);
        QFETCH(int, thinking);
        PcGame g(seed, thinking, 1);
        QCOMPARE(g.st.CurrentPlayer, 1);
        QVERIFY(g.game.DXTimer_Computer.Enabled());

        std::int64_t lastEvent = g.now();
        int computerMisses = 0;
        while (g.st.Winner == -1) {
            if (g.st.CurrentPlayer == 0) {
                QVERIFY(!g.game.DXTimer_Computer.Enabled());
                QVERIFY(g.humanFires(false));
                QCOMPARE(g.st.CurrentPlayer, 1);
                QVERIFY(g.game.DXTimer_Computer.Enabled());
                lastEvent = g.now();
                continue;
            }
            QVERIFY2(g.now() - lastEvent <= thinking * 1000, "the computer must fire once per thinking time");
            if (!g.step())
                continue;
            QCOMPARE(g.now() - lastEvent, std::int64_t(thinking) * 1000);
            lastEvent = g.now();
            const CellPos shot = g.st.LastShot[0];
            if (g.st.ControlField[1].at(shot.x, shot.y) == cfWater) {
                ++computerMisses;
                QCOMPARE(g.st.CurrentPlayer, 0); // a miss hands the turn back at once
            }
        }
        QCOMPARE(g.st.Winner, 1);
        QVERIFY(computerMisses > 0);
        QCOMPARE(Game::CountShips(g.st.ControlField[1], 1), fullFleet());
        QVERIFY(g.fx.log.contains(QStringLiteral("banner found-all")));
        QVERIFY(g.game.DXTimer.Enabled());

        // The pause: no shot, then the human's turn and the computer's timer off.
        const int computerShots = g.st.Tries[1];
        const std::int64_t won = g.now();
        while (g.game.DXTimer.Enabled()) {
            QVERIFY(!g.step());
            QVERIFY(g.now() - won <= 2000);
        }
        QCOMPARE(g.now() - won, std::int64_t(2000));
        QCOMPARE(g.st.CurrentPlayer, 0);
        QCOMPARE(g.st.GamePhase, int(gpFiring));
        QVERIFY(!g.game.DXTimer_Computer.Enabled());

        // The human finishes alone, misses included; the computer stays silent.
        QVERIFY(g.humanFires(false));
        QCOMPARE(g.st.CurrentPlayer, 0);
        for (int i = 0; i < 50; ++i)
            QVERIFY(!g.step());
        while (g.st.GamePhase != gpFinished)
            QVERIFY(g.humanFires(true));
        QCOMPARE(g.st.Tries[1], computerShots);
        QVERIFY(g.fx.log.contains(QStringLiteral("banner game-end")));
        QVERIFY(!g.game.DXTimer_Computer.Enabled());
    }

    // Switching away and back during the pause gives the hook to the
    // computer's timer; its tick must neither fire nor strand the pause.
    void reactivatedDuringVictoryPause()
    {
        PcGame g(11, 1, 1);
        const std::int64_t start = g.now();
        while (g.st.Winner == -1) {
            QVERIFY2(g.now() - start < 200'000, "the computer must find every ship");
            if (g.st.CurrentPlayer == 0)
                QVERIFY(g.humanFires(false));
            else
                g.step();
        }
        const std::int64_t won = g.now();
        const int computerShots = g.st.Tries[1];
        const std::size_t draws = g.rng.log.size();

        g.game.timers.setApplicationActive(false);
        g.clock.advance(300);
        g.game.timers.setApplicationActive(true);
        QCOMPARE(g.game.timers.polled(), &g.game.DXTimer_Computer);

        while (g.game.DXTimer.Enabled()) {
            QVERIFY(!g.step());
            QVERIFY2(g.now() - won <= 2000, "the victory pause must still end");
        }
        QCOMPARE(g.now() - won, std::int64_t(2000));
        QCOMPARE(g.st.Tries[1], computerShots);
        QCOMPARE(g.rng.log.size(), draws);
        QCOMPARE(g.st.CurrentPlayer, 0);
        QVERIFY(!g.game.DXTimer_Computer.Enabled());
    }

    // The human sinks everything first; after the pause the computer fires
    // once per thinking time, misses included, until it has found every ship.
    void humanWinsFirst()
    {
        PcGame g(5, 3, 0);
        while (g.st.Winner == -1)
            QVERIFY(g.humanFires(true));
        QCOMPARE(g.st.Winner, 0);
        QCOMPARE(g.st.Tries[1], 0);
        QVERIFY(!g.game.DXTimer_Computer.Enabled());

        std::int64_t lastEvent = g.now();
        while (g.game.DXTimer.Enabled()) {
            QVERIFY(!g.step());
            QVERIFY(g.now() - lastEvent <= 2000);
        }
        QCOMPARE(g.now() - lastEvent, std::int64_t(2000));
        QCOMPARE(g.st.CurrentPlayer, 1);
        QVERIFY(g.game.DXTimer_Computer.Enabled());

        lastEvent = g.now();
        int misses = 0;
        while (g.st.GamePhase != gpFinished) {
            QVERIFY2(g.now() - lastEvent <= 3000, "the computer must fire once per thinking time");
            if (!g.step())
                continue;
            QCOMPARE(g.now() - lastEvent, std::int64_t(3000));
            lastEvent = g.now();
            const CellPos shot = g.st.LastShot[0];
            if (g.st.ControlField[1].at(shot.x, shot.y) == cfWater) {
                ++misses;
                QCOMPARE(g.st.CurrentPlayer, 1);
                QVERIFY(g.game.DXTimer_Computer.Enabled());
            }
        }
        QVERIFY(misses > 0);
        QCOMPARE(g.st.Winner, 1);
        QCOMPARE(Game::CountShips(g.st.ControlField[1], 1), fullFleet());
        QVERIFY(g.fx.log.contains(QStringLiteral("banner game-end")));
        QCOMPARE(g.fx.status, Texts::InfoText(18));
        QVERIFY(!g.game.DXTimer_Computer.Enabled());
        QCOMPARE(g.game.timers.polled(), nullptr);

        const int shots = g.st.Tries[1];
        for (int i = 0; i < 100; ++i)
            QVERIFY(!g.step());
        QCOMPARE(g.st.Tries[1], shots);
    }

    // The human's own fleet never influences where the computer fires.
    void playFieldIgnored_data()
    {
        QTest::addColumn<QStringList>("control");
        QTest::addColumn<QPoint>("lastHit");
        const QStringList empty(10, QStringLiteral(".........."));
        QStringList single = empty, line = empty, sunk = empty;
        single[4] = QStringLiteral("1...2.....");
        line[2] = QStringLiteral("..1.22.1..");
        sunk[6] = QStringLiteral("...1333.1.");
        QTest::newRow("game start") << empty << QPoint(-1, -1);
        QTest::newRow("single hit") << single << QPoint(4, 4);
        QTest::newRow("line of hits") << line << QPoint(5, 2);
        QTest::newRow("after a sunk ship") << sunk << QPoint(6, 6);
    }

    void playFieldIgnored()
    {
        QFETCH(QStringList, control);
        QFETCH(QPoint, lastHit);
        const Grid controlGrid = GridFromRows(control);

        // All water, a ship wherever the computer has not fired yet, a fleet.
        Grid water, ships, fleet;
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                ships.at(x, y) = controlGrid.at(x, y) == cfUnknown ? pfShip : pfShipHit;
        ClockSeededRandom placing(3);
        Game::PlaceShipsRandomly(fleet, placing);

        std::optional<CellPos> firstShot;
        std::vector<int> firstDraws;
        for (const Grid &human : {water, ships, fleet}) {
            NullEffects fx;
            ScriptedRandom rng({}, 42);
            ManualClock clock;
            Game game(fx, rng, clock);
            ComputerPlayer cp(game);
            game.st.GameMode = gmPCMode;
            game.st.GamePhase = gpFiring;
            game.st.CurrentPlayer = 1;
            game.st.ControlField[1] = controlGrid;
            game.st.ComputerLastHit = {lastHit.x(), lastHit.y()};
            game.st.PlayField[0] = human;
            cp.DXTimer_ComputerTimer();
            QCOMPARE(game.st.Tries[1], 1);
            std::vector<int> draws;
            for (const auto &d : rng.log)
                draws.push_back(d.n * 1000 + d.result);
            if (!firstShot) {
                firstShot = game.st.LastShot[0];
                firstDraws = draws;
            } else {
                QCOMPARE(game.st.LastShot[0], *firstShot);
                QCOMPARE(draws, firstDraws);
            }
        }
    }

    // Steps of one tick: the timer runs on only after a hit, or throughout
    // once the human has finished; out of turn nothing is fired.
    void tickKeepsTimer_data()
    {
        QTest::addColumn<int>("winner");
        QTest::addColumn<bool>("hit");
        QTest::addColumn<bool>("enabledAfter");
        QTest::addColumn<int>("playerAfter");
        QTest::newRow("miss, nobody finished") << -1 << false << false << 0;
        QTest::newRow("hit, nobody finished") << -1 << true << true << 1;
        QTest::newRow("miss, human finished") << 0 << false << true << 1;
        QTest::newRow("hit, human finished") << 0 << true << true << 1;
    }

    void tickKeepsTimer()
    {
        QFETCH(int, winner);
        QFETCH(bool, hit);
        QFETCH(bool, enabledAfter);
        QFETCH(int, playerAfter);
        NullEffects fx;
        ScriptedRandom rng({0}); // hunt: the first cell, (0, 0)
        ManualClock clock;
        Game game(fx, rng, clock);
        ComputerPlayer cp(game);
        game.st.GameMode = gmPCMode;
        game.st.GamePhase = gpFiring;
        game.st.CurrentPlayer = 1;
        game.st.Winner = winner;
        game.st.PlayField[0].at(0, 0) = hit ? pfShip : pfWater;
        game.st.PlayField[0].at(0, 1) = pfShip; // keeps the ship of (0, 0) afloat
        game.DXTimer_Computer.enable();
        cp.DXTimer_ComputerTimer();
        QCOMPARE(game.st.Tries[1], 1);
        QCOMPARE(game.st.LastShot[0], (CellPos{0, 0}));
        QCOMPARE(game.DXTimer_Computer.Enabled(), enabledAfter);
        QCOMPARE(game.st.CurrentPlayer, playerAfter);
    }

    void tickOutOfTurnFiresNothing()
    {
        NullEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game(fx, rng, clock);
        ComputerPlayer cp(game);
        game.st.GameMode = gmPCMode;
        game.st.GamePhase = gpFiring;
        game.st.CurrentPlayer = 0;
        game.DXTimer_Computer.enable();
        cp.DXTimer_ComputerTimer();
        QCOMPARE(game.st.Tries[0], 0);
        QCOMPARE(game.st.Tries[1], 0);
        QVERIFY(rng.log.empty());
        QVERIFY(!game.DXTimer_Computer.Enabled());
    }
};

QTEST_GUILESS_MAIN(tst_computergame)
#include "tst_computergame.moc"
