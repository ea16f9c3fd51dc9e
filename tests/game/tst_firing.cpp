#include "support/TestGame.h"

#include <QtTest>

#include <climits>

// Firing with the mouse, refused shots and the hit ratio. Shots with their
// effects are played in the whole games of tst_gameflow and tst_computergame.

class tst_firing : public QObject {
    Q_OBJECT
private slots:
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
        const int L = int(MouseButton::Left), R = int(MouseButton::Right);
        const int One = gmTwoAtOne, Net = gmTwoAtTwo, PC = gmPCMode, F = gpFiring;
        QTest::newRow("two at one") << One << F << 1 << L << RightBoardPixel(3, 7) << "37";
        QTest::newRow("X = 480") << One << F << 0 << L << QPoint(480, 100) << "";
        QTest::newRow("X = 481") << One << F << 0 << L << QPoint(481, 100) << "00";
        QTest::newRow("X = 879, Y = 479") << One << F << 0 << L << QPoint(879, 479) << "99";
        QTest::newRow("Y = 480") << One << F << 0 << L << QPoint(500, 480) << "";
        QTest::newRow("left board") << One << F << 0 << L << LeftBoardPixel(3, 3) << "";
        QTest::newRow("right button") << One << F << 0 << R << RightBoardPixel(3, 3) << "";
        QTest::newRow("during a countdown") << One << 0 << 0 << L << RightBoardPixel(3, 3) << "";
        QTest::newRow("human's turn") << PC << F << 0 << L << RightBoardPixel(3, 3) << "33";
        QTest::newRow("computer's turn") << PC << F << 1 << L << RightBoardPixel(3, 3) << "";
        QTest::newRow("network, peer's turn") << Net << F << 1 << L << RightBoardPixel(3, 3) << "";
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
        t.st.GameMode = GameModeT(mode);
        t.st.GamePhase = phase ? GamePhaseT(phase) : gpFiring;
        t.st.CurrentPlayer = current;
        t.st.PlayField[0] = t.st.PlayField[1] = GridFromRows(StandardFleetRows());
        t.st.ControlField[0] = GridOf("........2||||||||....1");
        t.st.PlayField[1].at(4, 8) = t.st.PlayField[1].at(5, 5) = pfWaterShot;
        t.st.PlayField[1].at(8, 0) = pfShipHit;
        t.st.Tries = {5, 4};
        g.DXTimer.setEnabled(phase == 0);
        t.fx.clear();
        const GameState before = g.st;
        g.DXDrawMouseDown(MouseButton(button), pixel.x(), pixel.y());
        // The shot goes to the peer first, then is carried out here.
        QCOMPARE(t.takeLog().left(15), shot.isEmpty() ? QString() : "send " + shot + " | sound");
        QCOMPARE(t.st.Tries[current], before.Tries[current] + !shot.isEmpty());
        // Off the field too nothing is carried out: nothing changes, plays or draws.
        for (const CellPos c : {CellPos{10, 0}, CellPos{0, -1}, CellPos{INT_MIN, INT_MAX}})
            QVERIFY(!g.ClickControlField(c.x, c.y));
        QVERIFY(phase != gpFinished || !g.ClickControlField(0, 9));
        if (shot.isEmpty())
            QVERIFY(t.st.PlayField == before.PlayField && t.st.ControlField == before.ControlField &&
                    t.st.Tries == before.Tries && t.fx.log.isEmpty());
    }

    void hitRatio()
    {
        TestGame t;
        Game &g = t.game;
        QVERIFY(!g.HitRatio(0) && !g.HitRatio(2) && g.Hits(-1) == 0); // nothing while no shot was fired
        t.st.ControlField[1] = GridOf("2331|1111|1");
        const std::pair<int, int> triesAndRatios[] = {{8, 38}, {24, 12}, {3, 100}, {600, 0}, {9, 33}};
        for (const auto &[tries, ratio] : triesAndRatios) {
            t.st.Tries[1] = tries;
            QCOMPARE(g.Hits(1), 3);
            QCOMPARE(g.HitRatio(1), std::optional<int>(ratio)); // rounded half to even
        }
    }
};

QTEST_GUILESS_MAIN(tst_firing)
#include "tst_firing.moc"
