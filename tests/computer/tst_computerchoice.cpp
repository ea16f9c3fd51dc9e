#include "opponents/ComputerPlayer.h"
#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>

// The computer's choice of cell from its ControlField alone: target mode,
// hunt mode and the exact sequence of draws it makes. Grids are rows joined
// by '|': '.' not shot, '1' water, '2' hit, '3' sunk.

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

} // namespace

class tst_computerchoice : public QObject {
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QPoint>("lastHit");
        QTest::addColumn<QList<int>>("script"); // the values the draws give
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<QList<int>>("draws"); // the n of every random(n), in order
        const QString four = kOnlyFourAfloat;

        // Target mode, a line of hits: its ends by the tolerant rule.
        QTest::newRow("line, one end water: the other")
            << "||||....221" << QPoint(5, 4) << QList<int>{} << QPoint(3, 4) << QList<int>{};
        QTest::newRow("line, both ends free: a draw")
            << "||||....22" << QPoint(5, 4) << QList<int>{0} << QPoint(6, 4) << QList<int>{2};
        QTest::newRow("line from the top edge, downwards")
            << "..2|..2|..2" << QPoint(2, 0) << QList<int>{} << QPoint(2, 3) << QList<int>{};
        QTest::newRow("line end touching a sunk ship")
            << "|||......3|....22" << QPoint(5, 4) << QList<int>{} << QPoint(3, 4) << QList<int>{};
        // Target mode, a single hit: strict neighbours on the axes a ship afloat fits.
        QTest::newRow("single in the corner: a draw")
            << "2" << QPoint(0, 0) << QList<int>{0} << QPoint(0, 1) << QList<int>{2};
        QTest::newRow("single in the corner, water beside: forced, still drawn")
            << "21" << QPoint(0, 0) << QList<int>{} << QPoint(0, 1) << QList<int>{1};
        QTest::newRow("single next to a sunk ship")
            << "|||||.....2||.....3" << QPoint(5, 5) << QList<int>{0} << QPoint(4, 5) << QList<int>{3};
        QTest::newRow("single, row too short for the ship afloat")
            << withRow(four, 5, ".2.1") << QPoint(1, 5) << QList<int>{1} << QPoint(1, 6) << QList<int>{2};
        QTest::newRow("single, a 1 afloat keeps the short axis open")
            << withRow(withRow(four, 0, "....3.3..."), 5, ".2.1") << QPoint(1, 5) << QList<int>{0}
            << QPoint(0, 5) << QList<int>{4};
        QTest::newRow("single, no axis open: hunts instead")
            << withRow(withRow(withRow(four, 3, ".1"), 5, ".2.1"), 7, ".1") << QPoint(1, 5) << QList<int>{0}
            << QPoint(0, 0) << QList<int>{80};
        // Hunt mode: the list runs x-outer, y-inner; drawn cells are removed.
        QTest::newRow("hunt: below a sunk ship skipped")
            << "3" << QPoint(0, 0) << QList<int>{0, 0} << QPoint(0, 2) << QList<int>{99, 98};
        QTest::newRow("hunt: beside a sunk ship skipped, diagonal taken")
            << "3" << QPoint(0, 0) << QList<int>{9, 9} << QPoint(1, 1) << QList<int>{99, 98};
        QTest::newRow("hunt: pocket too short for the 4 skipped")
            << withRow(withRow(four, 7, "1"), 9, "..1") << QPoint(-1, -1) << QList<int>{8, 0} << QPoint(0, 0)
            << QList<int>{82, 81};
        QTest::newRow("hunt: the same pocket while 1s are afloat")
            << "|||||||1||..1" << QPoint(-1, -1) << QList<int>{8} << QPoint(0, 9) << QList<int>{98};
        // Nothing left to find: no shot and no draw.
        QTest::newRow("all ships sunk")
            << withRow(four, 9, "3333") << QPoint(0, 9) << QList<int>{} << QPoint(-1, -1) << QList<int>{};
    }
    void choice()
    {
        QFETCH(QString, rows);
        QFETCH(QPoint, lastHit);
        QFETCH(QList<int>, script);
        QFETCH(QPoint, expected);
        QFETCH(QList<int>, draws);
        ScriptedRandom rng(std::vector<int>(script.begin(), script.end()));
        const CellPos cell = ComputerPlayer::ChooseCell(GridOf(rows), {lastHit.x(), lastHit.y()}, rng);
        QCOMPARE(QPoint(cell.x, cell.y), expected);
        QList<int> sizes;
        for (const auto &d : rng.log)
            sizes << d.n;
        QCOMPARE(sizes, draws);
        QCOMPARE(rng.pending(), std::size_t(0));
    }

    // Whole searches against random fleets: every shot is new, no draw from
    // an empty list, target shots stay beside the hits, and every ship is
    // found within 100 shots.
    void consistentPlay()
    {
        NullEffects fx;
        ManualClock clock;
        for (unsigned round = 1; round <= 300; ++round) {
            ScriptedRandom rng({}, round);
            Game game(fx, rng, clock);
            game.st.GameMode = gmPCMode;
            Game::PlaceShipsRandomly(game.st.PlayField[0], rng);
            game.st.GamePhase = gpFiring;
            game.st.CurrentPlayer = 1;
            game.st.Winner = 0; // the human finished: misses keep its turn
            for (int shots = 1; game.st.GamePhase != gpFinished; ++shots) {
                QVERIFY(shots <= 100);
                const Grid &control = game.st.ControlField[1];
                const CellPos last = game.st.ComputerLastHit,
                              cell = ComputerPlayer::ChooseCell(control, last, rng);
                QVERIFY(cell != NoCell && control.at(cell.x, cell.y) == cfUnknown);
                const bool besideHit =
                    control.get(cell.x - 1, cell.y) == cfHit || control.get(cell.x + 1, cell.y) == cfHit ||
                    control.get(cell.x, cell.y - 1) == cfHit || control.get(cell.x, cell.y + 1) == cfHit;
                QCOMPARE(besideHit, last != NoCell && control.at(last.x, last.y) == cfHit);
                QVERIFY(game.ClickControlField(cell.x, cell.y));
            }
            QVERIFY(std::all_of(rng.log.begin(), rng.log.end(), [](auto d) { return d.n >= 1; }));
        }
    }

    // The human's own fleet never influences where the computer fires.
    void playFieldIgnored_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("lastHit");
        QTest::newRow("game start") << "" << QPoint(-1, -1);
        QTest::newRow("single hit") << "||||1...2" << QPoint(4, 4);
        QTest::newRow("line of hits") << "||..1.22.1" << QPoint(5, 2);
    }
    void playFieldIgnored()
    {
        QFETCH(QString, control);
        QFETCH(QPoint, lastHit);
        // All water, a ship wherever the computer has not fired yet, a fleet.
        Grid ships = GridOf(control), fleet;
        for (std::uint8_t &c : ships.cells)
            c = c == cfUnknown ? pfShip : pfShipHit;
        ClockSeededRandom placing(3);
        Game::PlaceShipsRandomly(fleet, placing);
        QStringList outcomes;
        for (const Grid &human : {Grid{}, ships, fleet}) {
            NullEffects fx;
            ScriptedRandom rng({}, 42);
            ManualClock clock;
            Game game(fx, rng, clock);
            game.st.GameMode = gmPCMode;
            game.st.GamePhase = gpFiring;
            game.st.CurrentPlayer = 1;
            game.st.ControlField[1] = GridOf(control);
            game.st.ComputerLastHit = {lastHit.x(), lastHit.y()};
            game.st.PlayField[0] = human;
            ComputerPlayer(game).DXTimer_ComputerTimer();
            QString outcome = QStringLiteral("%1,%2:").arg(game.st.LastShot[0].x).arg(game.st.LastShot[0].y);
            for (const auto &d : rng.log)
                outcome += QStringLiteral(" %1/%2").arg(d.result).arg(d.n);
            outcomes << outcome;
        }
        QVERIFY(!outcomes[0].startsWith("-1"));
        QCOMPARE(outcomes[1], outcomes[0]);
        QCOMPARE(outcomes[2], outcomes[0]);
    }
};

QTEST_GUILESS_MAIN(tst_computerchoice)
#include "tst_computerchoice.moc"
