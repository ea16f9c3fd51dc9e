#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

#include <climits>

// The mouse on the boards: placing ships on the left one (and the two menu
// commands), firing at the right one (shots' effects: in the whole games).

namespace {

const QString kAllNeeded = "benötigt: 4 1er, 3 2er, 2 3er, 1 4er", kNothing;

QString placed(const QString &status)
{
    return "status " + status + " | info | draw present";
}

} // namespace

class tst_placement : public QObject {
    Q_OBJECT
private slots:
    void mouseDown_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("log");
        const int L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
        const QString first = placed("benötigt: 3 1er, 3 2er, 2 3er, 1 4er");
        QTest::newRow("left on water") << "" << L << LeftBoardPixel(1, 1) << "|.#" << first;
        QTest::newRow("X = 40") << "" << L << QPoint(40, 100) << "" << kNothing;
        QTest::newRow("X = 41") << "" << L << QPoint(41, 100) << "#" << first;
        QTest::newRow("X = 439, Y = 479") << "" << L << QPoint(439, 479) << "|||||||||.........#" << first;
        QTest::newRow("Y = 480") << "" << L << QPoint(100, 480) << "" << kNothing;
        QTest::newRow("right board") << "" << L << RightBoardPixel(1, 1) << "" << kNothing;
        QTest::newRow("refused: balloon at the cell")
            << "...#|...#" << L << LeftBoardPixel(4, 1) << "...#|...#"
            << "balloon 4,1";
        QTest::newRow("left on a ship cell") << "...#" << L << LeftBoardPixel(3, 0) << "...#" << kNothing;
        QTest::newRow("right clears") << "..###" << R << LeftBoardPixel(3, 0) << "..#.#"
                                      << placed("benötigt: 2 1er, 3 2er, 2 3er, 1 4er");
        QTest::newRow("middle clears") << "..###" << M << LeftBoardPixel(4, 0) << "..##"
                                       << placed("benötigt: 4 1er, 2 2er, 2 3er, 1 4er");
        QTest::newRow("right on water refreshes")
            << "" << R << LeftBoardPixel(9, 9) << "" << placed(kAllNeeded);
    }
    void mouseDown()
    {
        QFETCH(QString, rows);
        QFETCH(int, button);
        QFETCH(QPoint, pixel);
        QFETCH(QString, after);
        QFETCH(QString, log);
        for (int player = 0; player < 2; ++player) {
            TestGame t;
            Game &g = t.game;
            t.st.gamePhase = gpPlacing1;
            t.st.currentPlayer = player;
            t.st.playField[player] = GridOf(rows);
            BoardGeometry::pressAt(g, Qt::MouseButton(button), pixel);
            QCOMPARE(GridRows(t.st.playField[player]), GridRows(GridOf(after)));
            QVERIFY(t.st.playField[player ^ 1] == Grid{});
            QCOMPARE(t.takeLog(), log);
        }
    }

    void dragAndHover()
    {
        TestGame t;
        Game &g = t.game;
        t.st.gameMode = gmPCMode;
        t.st.gamePhase = gpPlacing1;
        // Left held along row 4: four cells, the fifth refused with a balloon.
        for (int X = 45; X < 280; X += 13)
            BoardGeometry::moveTo(g, Qt::LeftButton, {X, 260});
        QCOMPARE(GridRows(t.st.playField[0])[4], QStringLiteral("2222020000"));
        QCOMPARE(t.fx.only("balloon").first(), QStringLiteral("balloon 4,4"));
        QCOMPARE(t.fx.only("draw").size(), 5); // one per cell set
        // Right held clears; with both held the left button wins.
        for (int X = 41; X < 440; X += 20)
            BoardGeometry::moveTo(g, Qt::RightButton, {X, 260});
        BoardGeometry::moveTo(g, Qt::LeftButton | Qt::RightButton, {45, 100});
        QVERIFY(t.st.playField[0] == GridOf("#"));

        // Hovering redraws only when the cell under the mouse changes.
        auto hoverAt = [&](int X, int Y) {
            BoardGeometry::moveTo(g, Qt::NoButton, {X, Y});
            return t.st.hoverCell;
        };
        t.fx.clear();
        QCOMPARE(hoverAt(79, 119), (CellPos{0, 0}));
        QCOMPARE(hoverAt(45, 85), (CellPos{0, 0}));
        QCOMPARE(hoverAt(439, 479), (CellPos{9, 9}));
        QCOMPARE(t.takeLog(), QStringLiteral("draw present | draw present"));
        QCOMPARE(hoverAt(500, 100), NoCell); // the right board counts only while firing
        t.st.gamePhase = gpFiring;
        QCOMPARE(hoverAt(481, 81), (CellPos{0, 0}));
        t.st.currentPlayer = 1; // the computer's turn
        QCOMPARE(hoverAt(521, 81), NoCell);
        t.st.currentPlayer = 0;
        GameTestAccess::changeOverTimer(g).enable();
        QCOMPARE(hoverAt(521, 81), NoCell);
    }

    // The two commands are offered, and the board takes clicks, exactly while
    // placing and the fleet is not sent yet.
    void menuCommands_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("placementDone");
        QTest::addColumn<bool>("random");
        QTest::addColumn<int>("phaseAfter"); // -1: the command is hidden
        QTest::newRow("random in 1") << int(gmTwoAtOne) << 1 << 0 << true << 2;
        QTest::newRow("random in 3") << int(gmTwoAtOne) << 3 << 0 << true << 4;
        QTest::newRow("clear in 2") << int(gmPCMode) << 2 << 0 << false << 1;
        QTest::newRow("clear in 4") << int(gmTwoAtOne) << 4 << 0 << false << 3;
        QTest::newRow("peer's fleet here") << int(gmTwoAtTwo) << 1 << pdRemote << true << 2;
        QTest::newRow("hidden: no game") << int(gmTwoAtOne) << 0 << 0 << true << -1;
        QTest::newRow("hidden: firing") << int(gmPCMode) << 5 << 0 << false << -1;
        QTest::newRow("hidden: fleet sent") << int(gmTwoAtTwo) << 2 << pdLocal << true << -1;
    }
    void menuCommands()
    {
        QFETCH(int, mode);
        QFETCH(int, phase);
        QFETCH(int, placementDone);
        QFETCH(bool, random);
        QFETCH(int, phaseAfter);
        TestGame t;
        Game &g = t.game;
        t.st.gameMode = GameModeT(mode);
        t.st.gamePhase = GamePhaseT(phase);
        t.st.placementDone = placementDone;
        t.st.currentPlayer = 1;
        t.st.playField[0] = GridFromRows(StandardFleetRows());
        t.st.playField[1] = GridOf("###|#...#"); // half built: the command starts from water
        const Grid before = t.st.playField[1];
        QCOMPARE(g.placementItemsVisible(), phaseAfter >= 0);
        random ? g.placeAllShipsRandomly() : g.removeAllShips();
        QVERIFY(t.st.playField[0] == GridFromRows(StandardFleetRows()));
        if (phaseAfter < 0) {
            QVERIFY(t.fx.log.isEmpty() && t.st.playField[1] == before);
            BoardGeometry::moveTo(g, Qt::RightButton, {60, 100}); // right held over a ship cell
            QVERIFY(t.fx.log.isEmpty() && t.st.playField[1] == before);
            return;
        }
        QCOMPARE(t.takeLog(), "hide balloon | draw present | status " +
                                  (random ? Texts::InfoText(2) : kAllNeeded) + " | info");
        QCOMPARE(t.st.gamePhase, phaseAfter);
        QCOMPARE(ShipCells(t.st.playField[1]).size(), random ? 20 : 0);
        t.st.playField[1].at(0, 0) = pfShip;
        BoardGeometry::moveTo(g, Qt::RightButton, {60, 100});
        QCOMPARE(t.st.playField[1].at(0, 0), std::uint8_t(pfWater));
    }

    // Player 1 has the standard fleet; (8, 0) was hit, (4, 8) missed, and at
    // (5, 5) the field says shot while the record does not.
    void mouseFiring_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("phase"); // 0: firing during a countdown
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QString>("shot"); // the cell fired at as two digits, or empty
        const int L = Qt::LeftButton, R = Qt::RightButton;
        const int One = gmTwoAtOne, PC = gmPCMode, F = gpFiring;
        QTest::newRow("two at one") << One << F << 1 << L << RightBoardPixel(3, 7) << "37";
        QTest::newRow("X = 480") << One << F << 0 << L << QPoint(480, 100) << "";
        QTest::newRow("X = 481") << One << F << 0 << L << QPoint(481, 100) << "00";
        QTest::newRow("X = 879, Y = 479") << One << F << 0 << L << QPoint(879, 479) << "99";
        QTest::newRow("Y = 480") << One << F << 0 << L << QPoint(500, 480) << "";
        QTest::newRow("left board") << One << F << 0 << L << LeftBoardPixel(3, 3) << "";
        QTest::newRow("right button") << One << F << 0 << R << RightBoardPixel(3, 3) << "";
        QTest::newRow("during a countdown") << One << 0 << 0 << L << RightBoardPixel(3, 3) << "";
        QTest::newRow("computer's turn") << PC << F << 1 << L << RightBoardPixel(3, 3) << "";
        QTest::newRow("water shot before") << PC << F << 0 << L << RightBoardPixel(4, 8) << "";
        QTest::newRow("hit before") << PC << F << 0 << L << RightBoardPixel(8, 0) << "";
        QTest::newRow("field says shot") << PC << F << 0 << L << RightBoardPixel(5, 5) << "";
        QTest::newRow("finished game") << One << int(gpFinished) << 0 << L << RightBoardPixel(0, 9) << "";
    }
    void mouseFiring()
    {
        QFETCH(int, mode);
        QFETCH(int, phase);
        QFETCH(int, current);
        QFETCH(int, button);
        QFETCH(QPoint, pixel);
        QFETCH(QString, shot);
        TestGame t;
        Game &g = t.game;
        t.st.gameMode = GameModeT(mode);
        t.st.gamePhase = phase ? GamePhaseT(phase) : gpFiring;
        t.st.currentPlayer = current;
        t.st.playField[0] = t.st.playField[1] = GridFromRows(StandardFleetRows());
        t.st.controlField[0] = GridOf("........2||||||||....1");
        t.st.playField[1].at(4, 8) = t.st.playField[1].at(5, 5) = pfWaterShot;
        t.st.playField[1].at(8, 0) = pfShipHit;
        t.st.tries = {5, 4};
        GameTestAccess::changeOverTimer(g).setEnabled(phase == 0);
        t.fx.clear();
        const GameState before = g.st;
        BoardGeometry::pressAt(g, Qt::MouseButton(button), pixel);
        // The shot goes to the peer first, then is carried out here.
        QCOMPARE(t.takeLog().left(15), shot.isEmpty() ? QString() : "send " + shot + " | sound");
        QCOMPARE(t.st.tries[current], before.tries[current] + !shot.isEmpty());
        // Off the field too nothing is carried out: nothing changes, plays or draws.
        for (const CellPos c : {CellPos{10, 0}, CellPos{0, -1}, CellPos{INT_MIN, INT_MAX}})
            QVERIFY(!g.fireAt(c.x, c.y));
        QVERIFY(phase != gpFinished || !g.fireAt(0, 9));
        if (shot.isEmpty())
            QVERIFY(t.st.playField == before.playField && t.st.controlField == before.controlField &&
                    t.st.tries == before.tries && t.fx.log.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_placement)
#include "tst_placement.moc"
