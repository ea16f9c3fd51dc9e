#include "support/GameTestAccess.h"
#include "game/Texts.h"
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

    // Whole searches at every level against random and hand-made fleets:
    // every shot is new and on the field, no draw from an empty list, all but
    // "Schwer" fire beside the hits while a ship is hit, and every ship is
    // found within 100 shots.
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
            GameTestAccess::state(game).GameMode = gmPCMode;
            if (fleet.isEmpty())
                Game::PlaceShipsRandomly(GameTestAccess::state(game).PlayField[0], rng);
            else
                GameTestAccess::state(game).PlayField[0] = GridFromRows(fleet);
            QVERIFY(Game::IsCompleteFleet(Game::CountShips(game.st.PlayField[0], 0)));
            GameTestAccess::state(game).GamePhase = gpFiring;
            GameTestAccess::state(game).CurrentPlayer = 1;
            GameTestAccess::state(game).Winner = 0; // the human finished: misses keep its turn
            for (int shots = 1; game.st.GamePhase != gpFinished; ++shots) {
                QVERIFY(shots <= 100);
                const Grid &control = GameTestAccess::state(game).ControlField[1];
                const CellPos cell =
                    ComputerPlayer::ChooseCell(ComputerLevelT(level), control, game.st.ComputerLastHit, rng);
                QVERIFY(cell.x >= 0 && cell.x <= 9 && cell.y >= 0 && cell.y <= 9);
                QVERIFY(control.at(cell.x, cell.y) == cfUnknown);
                const bool besideHit =
                    control.get(cell.x - 1, cell.y) == cfHit || control.get(cell.x + 1, cell.y) == cfHit ||
                    control.get(cell.x, cell.y - 1) == cfHit || control.get(cell.x, cell.y + 1) == cfHit;
                if (level != clHard)
                    QCOMPARE(besideHit, std::count(control.cells.begin(), control.cells.end(), cfHit) > 0);
                QVERIFY(game.ClickControlField(cell.x, cell.y));
            }
            QVERIFY(std::all_of(rng.log.begin(), rng.log.end(), [](auto d) { return d.n >= 1; }));
        }
    }

    // "Schwer" on positions worked out by hand: the cells' weights, and the
    // draw among the cells of the highest weight (x outer, y inner).
    void hardChoice_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("script");
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<QList<int>>("draws");
        // Only the 4 afloat; a hit at (3, 2): (2, 2), (3, 3) and (4, 2) lie
        // on three of its seven placements, every other cell on fewer.
        const QString open = "||...2|||........33||333.333.33||3.3.3.3.33";
        QTest::newRow("single hit: the neighbours on most placements")
            << open << 1 << QPoint(3, 3) << QList<int>{3};
        // The 4 and a 3 afloat, water at (5, 2): to the right of the two hits
        // lie three placements, to the left two.
        QTest::newRow("two hits: the end with more room")
            << "||.22..1|||........33||333.111.33||3.3.3.3.33" << 0 << QPoint(3, 2) << QList<int>{1};
        // Only the 4 afloat, a hit at (2, 8), water at (5, 8): (1, 8), (3, 8),
        // (2, 7) and (2, 6) each lie on two of its four placements; (2, 6)
        // also on one that does not touch the hit, the others on none, since
        // a ship beside a hit must contain it.
        QTest::newRow("hit: a placement away from it decides")
            << withRow(kOnlyFourAfloat, 8, "..2..1") << 0 << QPoint(2, 6) << QList<int>{1};
        // Only a 1 afloat: (4, 1) touches a sunk ship along an edge, (5, 1)
        // touches two at their corners only.
        QTest::newRow("corners of sunk ships stay open")
            << "1111313131|1111..1111|1111113331|1111111111|1111331333|1111111111|1111331331|"
               "1111111111|3333111111|1111111111"
            << 0 << QPoint(5, 1) << QList<int>{1};
        QTest::newRow("all ships sunk")
            << withRow(kOnlyFourAfloat, 9, "3333") << 0 << QPoint(-1, -1) << QList<int>{};
    }
    void hardChoice()
    {
        QFETCH(QString, rows);
        QFETCH(int, script);
        QFETCH(QPoint, expected);
        QFETCH(QList<int>, draws);
        ScriptedRandom rng({script});
        const CellPos cell = ComputerPlayer::ChooseHardCell(GridOf(rows), rng);
        QCOMPARE(QPoint(cell.x, cell.y), expected);
        QList<int> sizes;
        for (const auto &d : rng.log)
            sizes << d.n;
        QCOMPARE(sizes, draws);
    }
};

QTEST_GUILESS_MAIN(tst_computerchoice)
#include "tst_computerchoice.moc"
