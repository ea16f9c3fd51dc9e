#include "game/Format.h"
#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>
#include <climits>

// The board model and the fleet rules: ship lengths and counts, where a ship
// cell may go, random fleets, the hit ratio, the texts and the status line.
// Grids are rows joined by '|' ('.' water, '#' ship, digits the cell codes).

namespace {

// Whatever a careless write leaves in the ring must read as 0.
Grid withDamagedRing(Grid g)
{
    for (int i = 0; i < 144; ++i)
        if (i < 12 || i >= 132 || i % 12 == 0 || i % 12 == 11)
            g.cells[i] = i % 3 ? 2 : 255;
    return g;
}

// The standard fleet as a control field with the ships of the given lengths sunk.
QString sunkOf(QList<int> lengths)
{
    const Grid fleet = GridFromRows(StandardFleetRows());
    QStringList rows(10, QString(10, u'.'));
    for (const CellPos &c : ShipCells(fleet))
        if (lengths.contains(Game::shipLength(fleet, c.x, c.y)))
            rows[c.y][c.x] = u'3';
    return rows.join(u'|');
}

const QString kFleet = StandardFleetRows().join(u'|');

struct StatusCase {
    const char *name;
    int mode, phase, current, local;
    QString rows, text;
    int after; // the phase after, or in gpFiring the winner
};

} // namespace

class tst_board : public QObject {
    Q_OBJECT
private slots:
    void shipLengthAndCount_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<CellPos>("cell");
        QTest::addColumn<int>("length");
        const QString partly = "22.3||333|||||2|2";
        QTest::newRow("fleet") << kFleet << 0 << QList<int>{4, 3, 2, 1} << CellPos{2, 0} << 4;
        QTest::newRow("fleet, sunk only") << kFleet << 1 << QList<int>{0, 0, 0, 0} << CellPos{4, 0} << 0;
        QTest::newRow("hit and sunk parts") << partly << 0 << QList<int>{1, 2, 1, 0} << CellPos{1, 0} << 2;
        QTest::newRow("sunk parts") << partly << 1 << QList<int>{1, 0, 1, 0} << CellPos{0, 8} << 2;
        QTest::newRow("start cell decides") << "32" << 1 << QList<int>{0, 1, 0, 0} << CellPos{-1, 0} << 0;
        QTest::newRow("vertical, right edge")
            << "||.........#|.........#|.........#" << 0 << QList<int>{0, 0, 1, 0} << CellPos{9, 3} << 3;
        QTest::newRow("corner touch is no ship")
            << "#|.#|..#" << 0 << QList<int>{3, 0, 0, 0} << CellPos{1, 1} << 1;
        QTest::newRow("runs over 4 not counted")
            << "#####.##||##########" << 0 << QList<int>{0, 1, 0, 0} << CellPos{9, 2} << 10;
        QTest::newRow("huge threshold")
            << kFleet << INT_MAX << QList<int>{0, 0, 0, 0} << CellPos{INT_MIN, 3} << 0;
    }
    void shipLengthAndCount()
    {
        QFETCH(QString, rows);
        QFETCH(int, threshold);
        QFETCH(QList<int>, counts);
        QFETCH(CellPos, cell);
        QFETCH(int, length);
        for (const Grid &g : {GridOf(rows), withDamagedRing(GridOf(rows))}) {
            const ShipCounts got = Game::countShips(g, threshold);
            QCOMPARE(got[0], 0); // the unused counter is never written
            QCOMPARE((QList<int>{got[1], got[2], got[3], got[4]}), counts);
            QCOMPARE(Game::shipLength(g, cell.x, cell.y), length);
        }
    }

    // The cell under test is marked '?'.
    void canSetShipCell_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("tolerant");
        QTest::newRow("free") << "|||....?" << true << true;
        QTest::newRow("corner touch only") << "||...#|....?" << true << true;
        QTest::newRow("beside a 1") << "||...#?" << false << true;
        QTest::newRow("beside a sunk part") << "|||...3?" << false << true;
        QTest::newRow("fifth behind a 4") << "..####?" << false << false;
        QTest::newRow("fifth, vertical") << "....#|....#|....#|....#|....?" << false << false;
        QTest::newRow("joins a 2 and a 1 into 4") << "##?#" << false << true;
        QTest::newRow("joins two 2s into 5") << "##?##" << false << false;
        QTest::newRow("joins above and below into 3") << "........#.|........?|........#" << false << true;
        QTest::newRow("corner: left and above") << ".....#|....#?" << false << false;
        QTest::newRow("three neighbours") << ".....#|....#?#" << false << false;
        QTest::newRow("L beside the lower end") << "...#|...#?" << false << false;
        QTest::newRow("L above a horizontal end") << "..?|..##" << false << false;
        QTest::newRow("T") << "...#|...#?|...#" << false << false;
        QTest::newRow("corner touch while extending") << "...##?|......#" << false << true;
    }
    void canSetShipCell()
    {
        QFETCH(QString, rows);
        QFETCH(bool, strict);
        QFETCH(bool, tolerant);
        const Grid g = GridOf(rows);
        const int at = rows.indexOf(u'?'), y = int(rows.left(at).count(u'|'));
        const int x = int(at - rows.lastIndexOf(u'|', at) - 1);
        QCOMPARE(Game::canSetShipCell(g, x, y, true), strict);
        QCOMPARE(Game::canSetShipCell(g, x, y, false), tolerant);
        // Occupied, shot at or off the field: never.
        for (const CellPos c :
             {CellPos{0, 0}, CellPos{1, 0}, CellPos{10, 0}, CellPos{0, -1}, CellPos{INT_MAX, 9}})
            QVERIFY(!Game::canSetShipCell(GridOf("#1"), c.x, c.y, false));
    }

    void randomFleets()
    {
        for (unsigned seed = 0; seed < 200; ++seed) {
            ClockSeededRandom rng(seed);
            Grid g;
            Game::placeShipsRandomly(g, rng);
            QVERIFY(Game::isCompleteFleet(Game::countShips(g, 0)));
            QCOMPARE(std::count(g.cells.begin(), g.cells.end(), 0), 144 - 20); // nothing in the ring
            for (const CellPos &c : ShipCells(g))
                QVERIFY(!((g.isShip(c.x - 1, c.y) || g.isShip(c.x + 1, c.y)) &&
                          (g.isShip(c.x, c.y - 1) || g.isShip(c.x, c.y + 1))));
        }
        // A crowded grid handed in by mistake must not hang.
        Grid crowded = GridOf(QStringList(10, "#.#.#.#.#.").join(u'|')), before = crowded;
        ClockSeededRandom rng(3);
        Game::placeShipsRandomly(crowded, rng);
        QVERIFY(crowded == before);
    }

    void hitRatio()
    {
        TestGame t;
        Game &g = t.game;
        QVERIFY(!g.hitRatio(0) && !g.hitRatio(2) && g.hits(-1) == 0); // nothing while no shot was fired
        t.st.controlField[1] = GridOf("2331|1111|1");
        const std::pair<int, int> triesAndRatios[] = {{8, 38}, {24, 12}, {3, 100}, {600, 0}, {9, 33}};
        for (const auto &[tries, ratio] : triesAndRatios) {
            t.st.tries[1] = tries;
            QCOMPARE(g.hits(1), 3);
            QCOMPARE(g.hitRatio(1), std::optional<int>(ratio)); // rounded half to even
        }
    }

    void formatText()
    {
        QCOMPARE(FormatText(Texts::InfoText(4), {"%s%d%%%n"}),
                 "%s%d%%%n ist an der Reihe."); // never a pattern
        QCOMPARE(FormatText("%s und %s", {"A"}), "A und %s");
        QCOMPARE(FormatText("100% %x %d%% %", {5}), "100% %x 5% %");
    }

    // The grid is the current player's playField while placing, else his
    // controlField; the other player's grids never count.
    void statusLine_data()
    {
        const int One = gmTwoAtOne, PC = gmPCMode;
        const QString all = Texts::InfoText(2), found = sunkOf({1, 2, 3, 4});
        const QString missing = " Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.";
        const QString needed = "benötigt: 4 1er, 3 2er, 2 3er, 1 4er";
        const QString row8 = StandardFleetRows().mid(0, 8).join(u'|') + u'|';
        const StatusCase cases[] = {
            {"empty, phase 4 falls back", One, 4, 1, 0, "", needed, 3},
            {"needed and surplus", One, 1, 1, 0, "#.#.#.#.#.",
             "benötigt: 3 2er, 2 3er, 1 4er; zu entfernen: 1 1er", 1},
            {"surplus", PC, 2, 0, 0, row8 + "##.##.###.", "zu entfernen: 2 2er, 1 3er", 1},
            {"a run of 5 is no ship", One, 2, 0, 0, row8 + "#####", all, 2},
            {"computer's turn", PC, 5, 1, 0, sunkOf({2}),
             "Computer ist an der Reihe. Es fehlen: 4 1er, 2 3er, 1 4er.", -1},
            {"two at one, never 'Sie'", One, 5, 1, 1, "", "Bert ist an der Reihe." + missing, -1},
            {"hit parts do not count", One, 5, 0, 0, "2220033300|" + sunkOf({1, 2, 3}).mid(11),
             "Anna ist an der Reihe. Es fehlen: 1 4er.", -1},
            {"no game", PC, 0, 0, 0, found, Texts::InfoText(0), 0},
            {"finished", PC, 6, 0, 0, found, Texts::InfoText(18), 6},
        };
        QTest::addColumn<StatusCase>("c");
        for (const StatusCase &c : cases)
            QTest::newRow(c.name) << c;
    }
    void statusLine()
    {
        QFETCH(StatusCase, c);
        TestGame t;
        t.st.gameMode = GameModeT(c.mode);
        t.st.gamePhase = GamePhaseT(c.phase);
        t.st.currentPlayer = c.current;
        t.st.localPlayer = c.local;
        t.st.playerNames = {QStringLiteral("Anna"), c.mode == gmPCMode ? "Computer" : "Bert"};
        (c.phase < gpFiring ? t.st.playField : t.st.controlField)[c.current] = GridOf(c.rows);
        t.st.playField[c.current ^ 1] = GridOf("##.##");
        t.st.controlField[c.current ^ 1] = GridOf(sunkOf({1, 2, 3, 4}));
        QCOMPARE(t.game.statusText(), c.text);
        // A change of the field while placing moves the phase within its
        // pair (water cleared stays water); a shot alone names a winner.
        t.game.pressCell(Board::Own, {9, 9}, CellPress::Clear);
        QCOMPARE(c.phase == gpFiring ? t.st.winner : t.st.gamePhase, c.after);
    }
};

QTEST_GUILESS_MAIN(tst_board)
#include "tst_board.moc"
