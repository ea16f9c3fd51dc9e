#include "game/Game.h"
#include "opponents/ComputerPlayer.h"
#include "support/RecordingEffects.h"

#include <QtTest>

// The computer's choice of cell from its ControlField alone: target mode,
// hunt mode and the exact sequence of draws it makes.
// Grid rows: '.' or '0' not shot, '1' water, '2' hit, '3' sunk.

namespace {

// Every ship sunk except the one of length 4 (16 cells in columns 4..9).
const QStringList onlyFourAfloat = {
    "....3.3.3.", //
    "..........", //
    "....3.333.", //
    "..........", //
    "....33.333", //
    "..........", //
    "....33.33.", //
    "..........", //
    "..........", //
    "..........",
};

QStringList withRows(QStringList rows, const QList<QPair<int, QString>> &changes)
{
    for (const auto &c : changes)
        rows[c.first] = c.second;
    return rows;
}

const QStringList empty(10, QStringLiteral(".........."));

QList<int> drawSizes(const ScriptedRandom &rng)
{
    QList<int> sizes;
    for (const auto &d : rng.log)
        sizes << d.n;
    return sizes;
}

} // namespace

class tst_computerchoice : public QObject {
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QPoint>("lastHit");
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<QList<int>>("draws"); // the n of every random(n), in order

        // Target mode, a line of hits: the ends are tested with the tolerant rule.
        QTest::newRow("line: cell behind the last hit is water")
            << withRows(empty, {{4, "....221..."}}) << QPoint(5, 4) << QList<int>{} << QPoint(3, 4)
            << QList<int>{};
        QTest::newRow("line: cell beyond the other end is water")
            << withRows(empty, {{4, "...122...."}}) << QPoint(5, 4) << QList<int>{} << QPoint(6, 4)
            << QList<int>{};
        QTest::newRow("line: both ends free, draw 0 takes the cell behind")
            << withRows(empty, {{4, "....22...."}}) << QPoint(5, 4) << QList<int>{0} << QPoint(6, 4)
            << QList<int>{2};
        QTest::newRow("line: both ends free, draw 1 takes the cell beyond")
            << withRows(empty, {{4, "....22...."}}) << QPoint(5, 4) << QList<int>{1} << QPoint(3, 4)
            << QList<int>{2};
        QTest::newRow("line: last hit on the top edge, followed downwards")
            << withRows(empty, {{0, "..2......."}, {1, "..2......."}, {2, "..2......."}}) << QPoint(2, 0)
            << QList<int>{} << QPoint(2, 3) << QList<int>{};
        QTest::newRow("line: cell behind touches a sunk ship")
            << withRows(empty, {{3, "......3..."}, {4, "....22...."}}) << QPoint(5, 4) << QList<int>{}
            << QPoint(3, 4) << QList<int>{};
        // A last hit inside its line (not reached in play) shows the neighbour order.
        QTest::newRow("line: left neighbour followed before the right one")
            << withRows(empty, {{4, "...222...."}}) << QPoint(4, 4) << QList<int>{} << QPoint(2, 4)
            << QList<int>{};
        QTest::newRow("line: upper neighbour followed before the lower one")
            << withRows(empty, {{3, "....2....."}, {4, "....2....."}, {5, "....2....."}}) << QPoint(4, 4)
            << QList<int>{} << QPoint(4, 2) << QList<int>{};

        // Target mode, a single hit: strict neighbours on open axes.
        QTest::newRow("single: corner, draw decides (down)")
            << withRows(empty, {{0, "2........."}}) << QPoint(0, 0) << QList<int>{0} << QPoint(0, 1)
            << QList<int>{2};
        QTest::newRow("single: corner, draw decides (right)")
            << withRows(empty, {{0, "2........."}}) << QPoint(0, 0) << QList<int>{1} << QPoint(1, 0)
            << QList<int>{2};
        QTest::newRow("single: corner with water beside it, forced but drawn")
            << withRows(empty, {{0, "21........"}}) << QPoint(0, 0) << QList<int>{} << QPoint(0, 1)
            << QList<int>{1};
        QTest::newRow("single: next to a sunk ship, left")
            << withRows(empty, {{5, ".....2...."}, {7, "....33...."}}) << QPoint(5, 5) << QList<int>{0}
            << QPoint(4, 5) << QList<int>{3};
        QTest::newRow("single: next to a sunk ship, right")
            << withRows(empty, {{5, ".....2...."}, {7, "....33...."}}) << QPoint(5, 5) << QList<int>{2}
            << QPoint(6, 5) << QList<int>{3};
        QTest::newRow("single: row too short for the ship afloat")
            << withRows(onlyFourAfloat, {{5, ".2.1......"}}) << QPoint(1, 5) << QList<int>{1} << QPoint(1, 6)
            << QList<int>{2};
        QTest::newRow("single: no axis open, hunts instead")
            << withRows(onlyFourAfloat, {{3, ".1........"}, {5, ".2.1......"}, {7, ".1........"}})
            << QPoint(1, 5) << QList<int>{0} << QPoint(0, 0) << QList<int>{80};

        // Hunt mode: the list runs x-outer, y-inner; drawn cells are removed.
        QTest::newRow("hunt: game start")
            << empty << QPoint(-1, -1) << QList<int>{0} << QPoint(0, 0) << QList<int>{100};
        QTest::newRow("hunt: last cell of the list")
            << empty << QPoint(-1, -1) << QList<int>{99} << QPoint(9, 9) << QList<int>{100};
        QTest::newRow("hunt: below a sunk ship skipped")
            << withRows(empty, {{0, "3........."}}) << QPoint(0, 0) << QList<int>{0, 0} << QPoint(0, 2)
            << QList<int>{99, 98};
        QTest::newRow("hunt: beside a sunk ship skipped, diagonal allowed")
            << withRows(empty, {{0, "3........."}}) << QPoint(0, 0) << QList<int>{9, 9} << QPoint(1, 1)
            << QList<int>{99, 98};
        QTest::newRow("hunt: pocket too short for the ship of 4 skipped")
            << withRows(onlyFourAfloat, {{7, "1........."}, {9, "..1......."}}) << QPoint(-1, -1)
            << QList<int>{8, 0} << QPoint(0, 0) << QList<int>{82, 81};
        QTest::newRow("hunt: same pocket taken while ships of 1 are afloat")
            << withRows(empty, {{7, "1........."}, {9, "..1......."}}) << QPoint(-1, -1) << QList<int>{8}
            << QPoint(0, 9) << QList<int>{98};

        // Nothing left to find: no shot and no draw.
        QTest::newRow("all ships sunk") << withRows(onlyFourAfloat, {{9, "3333......"}}) << QPoint(0, 9)
                                        << QList<int>{} << QPoint(-1, -1) << QList<int>{};
    }

    void choice()
    {
        QFETCH(QStringList, rows);
        QFETCH(QPoint, lastHit);
        QFETCH(QList<int>, script);
        QFETCH(QPoint, expected);
        QFETCH(QList<int>, draws);

        const Grid control = GridFromRows(rows);
        ScriptedRandom rng(std::vector<int>(script.begin(), script.end()));
        const CellPos cell = ComputerPlayer::ChooseCell(control, {lastHit.x(), lastHit.y()}, rng);
        QCOMPARE(QPoint(cell.x, cell.y), expected);
        QCOMPARE(drawSizes(rng), draws);
        QCOMPARE(rng.pending(), std::size_t(0));
    }

    void shipsAfloat_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("afloat"); // lengths 1..4

        QTest::newRow("nothing sunk") << empty << QList<int>{4, 3, 2, 1};
        QTest::newRow("hits do not count") << withRows(empty, {{0, "22.2......"}}) << QList<int>{4, 3, 2, 1};
        QTest::newRow("only the ship of 4 left") << onlyFourAfloat << QList<int>{0, 0, 0, 1};
    }

    void shipsAfloat()
    {
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, afloat);
        const ShipCounts counts = ComputerPlayer::ShipsAfloat(GridFromRows(rows));
        QCOMPARE((QList<int>{counts[1], counts[2], counts[3], counts[4]}), afloat);
    }

    // Whole searches against random fleets: every shot is new, hunting never
    // lands beside a hit or sunk cell, target shots stay beside the hits, and
    // no draw is ever made from an empty list.
    void consistentPlay()
    {
        NullEffects fx;
        ClockSeededRandom rng(20240611);
        ManualClock clock;
        for (int round = 0; round < 300; ++round) {
            Game game(fx, rng, clock);
            game.st.GameMode = gmPCMode;
            Game::PlaceShipsRandomly(game.st.PlayField[0], rng);
            game.st.GamePhase = gpFiring;
            game.st.CurrentPlayer = 1;
            game.st.Winner = 0; // the computer searches alone: misses keep its turn
            int shots = 0;
            while (game.st.GamePhase != gpFinished) {
                const Grid &control = game.st.ControlField[1];
                const CellPos last = game.st.ComputerLastHit;
                const bool target = last != NoCell && control.at(last.x, last.y) == cfHit;
                // Only the end of a line of hits is judged by the tolerant rule,
                // which lets it touch a sunk ship along the line.
                bool line = false;
                for (const auto &d : {QPoint(-1, 0), QPoint(0, -1), QPoint(0, 1), QPoint(1, 0)})
                    line = line || (target && control.get(last.x + d.x(), last.y + d.y()) == cfHit);
                ScriptedRandom draws({}, static_cast<unsigned>(round * 1000 + shots));
                const CellPos cell = ComputerPlayer::ChooseCell(control, last, draws);
                QVERIFY(cell != NoCell);
                QCOMPARE(control.at(cell.x, cell.y), std::uint8_t(cfUnknown));
                for (const auto &d : draws.log)
                    QVERIFY(d.n >= 1);
                int hitNeighbours = 0;
                for (const auto &d : {QPoint(-1, 0), QPoint(0, -1), QPoint(0, 1), QPoint(1, 0)}) {
                    const int v = control.get(cell.x + d.x(), cell.y + d.y());
                    QVERIFY2(line || v != cfSunk, "never beside a sunk ship");
                    if (v == cfHit)
                        ++hitNeighbours;
                }
                QCOMPARE(hitNeighbours > 0, target);
                QVERIFY(game.ClickControlField(cell.x, cell.y));
                QVERIFY(++shots <= 100);
            }
            QCOMPARE(Game::CountShips(game.st.ControlField[1], 1), Game::CountShips(game.st.PlayField[0], 0));
        }
    }
};

QTEST_GUILESS_MAIN(tst_computerchoice)
#include "tst_computerchoice.moc"
