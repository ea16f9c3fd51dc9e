#include "support/GameTestAccess.h"
#include "game/Texts.h"
#include "opponents/ComputerPlayer.h"
#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>

// The computer player: its choice of cell (and its draws) from its controlField,
// whole searches at every level, and whole games against it with a hand-set
// clock. Grids are rows joined by '|': '.' not shot, '1' water, '2' hit, '3' sunk.

namespace {

// Every ship sunk but the one of 4.
const QString kOnlyFourAfloat = "....3.3.3.||....3.333.||....33.333||....33.33.";

QString withRow(const QString &rows, int y, const QString &row)
{
    QStringList list = rows.split(u'|');
    while (list.size() < 10)
        list << QString();
    list[y] = row;
    return list.join(u'|');
}

// The values the draws give in script, the n of every random(n) in draws.
struct ChoiceCase {
    const char *name;
    ComputerLevelT level;
    QString rows;
    CellPos lastHit;
    std::vector<int> script;
    CellPos expected;
    QList<int> draws;
};

// A game against the computer, fleets placed, firing begun.
struct PcGame : TestGame {
    ComputerPlayer cp{game};

    PcGame(unsigned seed, int thinkingSeconds, int firstPlayer) : TestGame(true)
    {
        rng = ScriptedRandom({}, seed);
        st.gameMode = gmPCMode;
        st.changingTime = thinkingSeconds;
        st.playerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
        game.startGame();
        game.placeAllShipsRandomly();
        rng.push(firstPlayer);
        game.confirm();
        fx.clear();
    }
    // The human fires at the first free cell (in reading order) that is (not) a
    // ship; NoCell when there is none or the shot is refused.
    CellPos humanFires(bool atShip)
    {
        for (int k = 0; k < 100; ++k)
            if (st.controlField[0].at(k % 10, k / 10) == cfUnknown &&
                st.playField[1].isShip(k % 10, k / 10) == atShip) {
                game.pressCell(Board::Control, {k % 10, k / 10}, CellPress::Set);
                return st.controlField[0].at(k % 10, k / 10) == cfUnknown ? NoCell : CellPos{k % 10, k / 10};
            }
        return NoCell;
    }
    // The milliseconds (in steps of 100, at most limit) until the computer fires.
    int untilComputerFires(int limit)
    {
        const int tries = st.tries[1];
        int ms = 0;
        for (; st.tries[1] == tries && ms < limit; ms += 100)
            run(100, 100);
        return ms;
    }
    bool computerMissed() const
    {
        return st.controlField[1].at(st.lastShot[0].x, st.lastShot[0].y) == cfWater;
    }
};

const QString kAllFound = "Computer hat alle Ihre Schiffe gefunden.";

} // namespace

class tst_computergame : public QObject {
    Q_OBJECT
private slots:
    void choice_data()
    {
        const QString four = kOnlyFourAfloat;
        const ComputerLevelT N = clNormal, H = clHard;
        const ChoiceCase cases[] = {
            // Target mode, a line of hits: its ends by the tolerant rule.
            {"line, one end water: the other", N, "||||....221", {5, 4}, {}, {3, 4}, {}},
            {"line, both ends free: a draw", N, "||||....22", {5, 4}, {0}, {6, 4}, {2}},
            {"line from the top edge, downwards", N, "..2|..2|..2", {2, 0}, {}, {2, 3}, {}},
            {"line end touching a sunk ship", N, "|||......3|....22", {5, 4}, {}, {3, 4}, {}},
            // Target mode, a single hit: strict neighbours on the axes a ship afloat fits.
            {"single in the corner: a draw", N, "2", {0, 0}, {0}, {0, 1}, {2}},
            {"single in the corner, water beside: forced, still drawn", N, "21", {0, 0}, {}, {0, 1}, {1}},
            {"single next to a sunk ship", N, "|||||.....2||.....3", {5, 5}, {0}, {4, 5}, {3}},
            {"single, row too short for the 4", N, withRow(four, 5, ".2.1"), {1, 5}, {1}, {1, 6}, {2}},
            {"single, a 1 afloat keeps the short axis open", N,
             withRow(withRow(four, 0, "....3.3..."), 5, ".2.1"), {1, 5}, {0}, {0, 5}, {4}},
            {"single, no axis open: hunts instead", N,
             withRow(withRow(withRow(four, 3, ".1"), 5, ".2.1"), 7, ".1"), {1, 5}, {0}, {0, 0}, {80}},
            // Hunt mode: the list runs x-outer, y-inner; drawn cells are removed.
            {"hunt: below a sunk ship skipped", N, "3", {0, 0}, {0, 0}, {0, 2}, {99, 98}},
            {"hunt: beside a sunk ship skipped, diagonal taken", N, "3", {0, 0}, {9, 9}, {1, 1}, {99, 98}},
            {"hunt: pocket too short for the 4 skipped", N, withRow(withRow(four, 7, "1"), 9, "..1"), NoCell,
             {8, 0}, {0, 0}, {82, 81}},
            {"hunt: the same pocket while 1s are afloat", N, "|||||||1||..1", NoCell, {8}, {0, 9}, {98}},
            // Nothing left to find: no shot and no draw.
            {"all ships sunk", N, withRow(four, 9, "3333"), {0, 9}, {}, NoCell, {}},
            {"hard, all ships sunk", H, withRow(four, 9, "3333"), NoCell, {}, NoCell, {}},
            // "Schwer": a draw among the cells on most placements of the ships
            // afloat (x outer, y inner). Only the 4 afloat, a hit at (3, 2):
            // (2, 2), (3, 3) and (4, 2) lie on three of its seven placements.
            {"hard, single hit: the neighbours on most placements", H,
             "||...2|||........33||333.333.33||3.3.3.3.33", NoCell, {1}, {3, 3}, {3}},
            // The 4 and a 3 afloat, water at (5, 2): to the right of the two
            // hits lie three placements, to the left two.
            {"hard, two hits: the end with more room", H, "||.22..1|||........33||333.111.33||3.3.3.3.33",
             NoCell, {0}, {3, 2}, {1}},
            // Only the 4 afloat, a hit at (2, 8), water at (5, 8): (1, 8), (3, 8),
            // (2, 7) and (2, 6) each lie on two of its four placements, (2, 6) on
            // one more away from the hit (a ship beside a hit must contain it).
            {"hard, a placement off the hit counts", H, withRow(four, 8, "..2..1"), NoCell, {0}, {2, 6}, {1}},
            // Only a 1 afloat: (4, 1) touches a sunk ship along an edge, (5, 1)
            // touches two at their corners only.
            {"hard, corners of sunk ships stay open", H,
             "1111313131|1111..1111|1111113331|1111111111|1111331333|1111111111|1111331331|"
             "1111111111|3333111111|1111111111", NoCell, {0}, {5, 1}, {1}},
        };
        QTest::addColumn<ChoiceCase>("c");
        for (const ChoiceCase &c : cases)
            QTest::newRow(c.name) << c;
    }
    void choice()
    {
        QFETCH(ChoiceCase, c);
        ScriptedRandom rng(c.script);
        const CellPos cell = ComputerPlayer::chooseCell(c.level, GridOf(c.rows), c.lastHit, rng);
        QCOMPARE(cell, c.expected);
        QList<int> sizes;
        for (const auto &d : rng.log)
            sizes << d.n;
        QCOMPARE(sizes, c.draws);
        QCOMPARE(rng.pending(), std::size_t(0));
    }

    // Whole searches at every level: every shot new and on the field, no draw
    // from an empty list, all but "Schwer" fire beside the hits while a ship
    // is hit, and every ship found within 100 shots.
    void consistentPlay_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QStringList>("fleet"); // empty: a random fleet per round
        QTest::addColumn<int>("rounds");
        const QStringList border{"####.###.#", "",           "#........#", ".........#", ".........#",
                                 "#",          "#........#", ".........#", "",           "#.##.....#"};
        for (int level : {clEasy, clNormal, clHard}) {
            const QByteArray name = Texts::ComputerLevelName(level).toUtf8();
            QTest::newRow(name + ", random") << level << QStringList() << (level == clNormal ? 300 : 150);
            QTest::newRow(name + ", packed") << level << StandardFleetRows() << 40;
            QTest::newRow(name + ", on the border") << level << border << 40;
        }
    }
    void consistentPlay()
    {
        QFETCH(int, level);
        QFETCH(QStringList, fleet);
        QFETCH(int, rounds);
        NullEffects fx;
        ManualClock clock;
        for (int round = 1; round <= rounds; ++round) {
            ScriptedRandom rng({}, round);
            Game game(fx, rng, clock);
            GameTestAccess::state(game).gameMode = gmPCMode;
            if (fleet.isEmpty())
                Game::placeShipsRandomly(GameTestAccess::state(game).playField[0], rng);
            else
                GameTestAccess::state(game).playField[0] = GridFromRows(fleet);
            QVERIFY(Game::isCompleteFleet(Game::countShips(game.st.playField[0], 0)));
            GameTestAccess::state(game).gamePhase = gpFiring;
            GameTestAccess::state(game).currentPlayer = 1;
            GameTestAccess::state(game).winner = 0; // the human finished: misses keep its turn
            for (int shots = 1; game.st.gamePhase != gpFinished; ++shots) {
                QVERIFY(shots <= 100);
                const Grid &control = GameTestAccess::state(game).controlField[1];
                const CellPos cell =
                    ComputerPlayer::chooseCell(ComputerLevelT(level), control, game.st.computerLastHit, rng);
                QVERIFY(cell.x >= 0 && cell.x <= 9 && cell.y >= 0 && cell.y <= 9);
                QVERIFY(control.at(cell.x, cell.y) == cfUnknown);
                const bool besideHit =
                    control.get(cell.x - 1, cell.y) == cfHit || control.get(cell.x + 1, cell.y) == cfHit ||
                    control.get(cell.x, cell.y - 1) == cfHit || control.get(cell.x, cell.y + 1) == cfHit;
                if (level != clHard)
                    QCOMPARE(besideHit, std::count(control.cells.begin(), control.cells.end(), cfHit) > 0);
                QVERIFY(game.fireAt(cell.x, cell.y));
            }
            QVERIFY(std::all_of(rng.log.begin(), rng.log.end(), [](auto d) { return d.n >= 1; }));
        }
    }

    // The human only misses; the computer fires once per thinking time and
    // nothing after its winning shot; after the pause the human finishes alone.
    // Switching away and back in the pause gives the hook to the computer's
    // timer: its tick must neither fire nor strand the pause.
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
        while (g.st.winner == -1) {
            if (g.st.currentPlayer == 0) {
                QVERIFY(!GameTestAccess::computerTimer(g.game).isEnabled());
                QVERIFY(g.humanFires(false) != NoCell);
                QVERIFY(g.st.currentPlayer == 1 && GameTestAccess::computerTimer(g.game).isEnabled());
                continue;
            }
            g.fx.clear();
            QCOMPARE(g.untilComputerFires(60000), 1000);
            misses += g.computerMissed();
            QCOMPARE(g.st.currentPlayer, g.computerMissed() ? 0 : 1); // a miss hands the turn back at once
        }
        QVERIFY(misses > 0);
        QCOMPARE(Game::countShips(g.st.controlField[1], 1), (ShipCounts{0, 4, 3, 2, 1}));
        QCOMPARE(g.takeLog(),
                 "computerTimer off | sound 101 | computerTimer on 1000 | status " + kAllFound +
                     " | draw | info | sound 301 | banner found-all | changeOverTimer on 2000 | present");

        // The pause silences the computer; then the turn passes and its timer is off.
        const int shots = g.st.tries[1];
        const std::size_t draws = g.rng.log.size();
        if (switchedAway) {
            g.game.timerHub().setApplicationActive(false);
            g.clock.advance(300);
            g.game.timerHub().setApplicationActive(true);
            QCOMPARE(g.game.timerHub().polled(), &GameTestAccess::computerTimer(g.game));
        }
        QCOMPARE(g.run(switchedAway ? 1699 : 1999), switchedAway ? 1 : 0);
        QCOMPARE(g.run(1), 1);
        QCOMPARE(
            g.takeLog(),
            (switchedAway ? "computerTimer off | changeOverTimer off" : "changeOverTimer off | computerTimer off") +
                QString(" | status Sie sind an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er. | "
                        "draw present | info"));
        QVERIFY(g.st.tries[1] == shots && g.rng.log.size() == draws);
        QVERIFY(g.st.currentPlayer == 0 && !GameTestAccess::computerTimer(g.game).isEnabled());

        // The human finishes alone, misses included; the computer stays silent.
        g.humanFires(false);
        QCOMPARE(g.st.currentPlayer, 0);
        while (g.st.gamePhase != gpFinished)
            QVERIFY(g.humanFires(true) != NoCell);
        QCOMPARE(g.fx.status, Texts::InfoText(18));
        QCOMPARE(g.run(10000, 100), 0);
        QCOMPARE(g.st.tries[1], shots);
    }

    // The human sinks everything first; after the pause the computer fires
    // once per thinking time, misses included, until it has found every ship.
    void humanWinsFirst()
    {
        PcGame g(5, 3, 0);
        // A tick out of turn fires nothing, draws nothing and stops the timer.
        const std::size_t draws = g.rng.log.size();
        GameTestAccess::computerTimer(g.game).enable();
        g.cp.takeTurn();
        QVERIFY(g.st.tries[1] == 0 && g.rng.log.size() == draws && !GameTestAccess::computerTimer(g.game).isEnabled());
        while (g.st.winner == -1)
            QVERIFY(g.humanFires(true) != NoCell);
        QVERIFY(g.st.tries[1] == 0 && !GameTestAccess::computerTimer(g.game).isEnabled());
        QCOMPARE(g.run(1999), 0);
        QCOMPARE(g.run(1), 1);
        QVERIFY(g.st.currentPlayer == 1 && GameTestAccess::computerTimer(g.game).isEnabled());
        int misses = 0;
        while (g.st.gamePhase != gpFinished) {
            g.fx.clear();
            QCOMPARE(g.untilComputerFires(60000), 3000);
            misses += g.computerMissed();
            QVERIFY(g.st.currentPlayer == 1 &&
                    GameTestAccess::computerTimer(g.game).isEnabled() != (g.st.gamePhase == gpFinished));
        }
        QVERIFY(misses > 0);
        QCOMPARE(Game::countShips(g.st.controlField[1], 1), (ShipCounts{0, 4, 3, 2, 1}));
        QCOMPARE(g.takeLog(),
                 "sound 101 | status " + kAllFound +
                     " | draw | info | computerTimer off | banner game-end | close | status " +
                     Texts::InfoText(18) + " | present");
        QCOMPARE(g.game.timerHub().polled(), nullptr);
        QCOMPARE(g.run(10000, 100), 0);
    }
};

QTEST_GUILESS_MAIN(tst_computergame)
#include "tst_computergame.moc"
