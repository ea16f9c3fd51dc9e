#include "support/GameTestAccess.h"
#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>
#include <climits>

// One shot with its effects in order, sunk ships, refused shots, firing with
// the mouse, and the hit ratio. The finishers are played in tst_gameflow.

namespace {

const QString kAllMissing = " Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.";

// Both fleets in place, firing: player 0 has the standard fleet, player 1 the
// same mirrored (the 4 at (6..9, 0), 3s at (2..4, 0) and (7..9, 2), 1s at
// (6, 4) and (9, 6)).
void setUpFiring(Game &g, int mode, int current, int local = 0)
{
    GameTestAccess::state(g).GameMode = GameModeT(mode);
    GameTestAccess::state(g).GamePhase = gpFiring;
    GameTestAccess::state(g).CurrentPlayer = current;
    GameTestAccess::state(g).LocalPlayer = local;
    GameTestAccess::state(g).ChangingTime = 4;
    GameTestAccess::state(g).PlayerNames = {QStringLiteral("Anna"), mode == gmPCMode ? "Computer" : "Bert"};
    QStringList mirrored = StandardFleetRows();
    for (QString &row : mirrored)
        std::reverse(row.begin(), row.end());
    GameTestAccess::state(g).PlayField[0] = GridFromRows(StandardFleetRows());
    GameTestAccess::state(g).PlayField[1] = GridFromRows(mirrored);
}

struct ShotCase {
    const char *name;
    int mode, current, local, winner;
    CellPos cell;
    QString log;
    int currentAfter;
    CellPos lastShot0, lastShot1, computerLastHit;
};

} // namespace

class tst_firing : public QObject {
    Q_OBJECT
private slots:
    void shot_data()
    {
        const CellPos water{4, 8}, ship0{0, 0} /* on player 0's field */, ship1{9, 0} /* on player 1's */;
        const QString turn = "status %1 ist an der Reihe." + kAllMissing + " | ";
        const QString own = "status Sie sind an der Reihe." + kAllMissing + " | draw present | info";
        const QString drawn = "draw present | info";
        const int Net = gmTwoAtTwo, PC = gmPCMode;
        const ShotCase cases[] = {
            {"computer game, human misses", PC, 0, 0, -1, water,
             "sound 1 | DXTimer_Computer on | " + turn.arg("Computer") + drawn, 1, NoCell, NoCell, NoCell},
            {"computer game, computer misses", PC, 1, 0, -1, water, "sound 1 | " + own, 0, water, NoCell,
             NoCell},
            {"computer game, computer hits", PC, 1, 0, -1, ship0,
             "sound 101 | DXTimer_Computer on | " + turn.arg("Computer") + drawn, 1, ship0, NoCell, ship0},
            {"network, own miss", Net, 0, 0, -1, water, "sound 1 | " + turn.arg("Bert") + drawn, 1, NoCell,
             NoCell, NoCell},
            {"network, the peer's hit on the guest", Net, 0, 1, -1, ship1,
             "sound 101 | " + turn.arg("Anna") + drawn, 0, ship1, NoCell, NoCell},
        };
        QTest::addColumn<ShotCase>("c");
        for (const ShotCase &c : cases)
            QTest::newRow(c.name) << c;
    }
    void shot()
    {
        QFETCH(ShotCase, c);
        TestGame t;
        Game &g = t.game;
        setUpFiring(g, c.mode, c.current, c.local);
        GameTestAccess::state(g).Winner = c.winner;
        if (c.winner >= 0) // the finisher has sunk everything
            for (const CellPos &s : ShipCells(g.st.PlayField[c.winner ^ 1]))
                GameTestAccess::state(g).ControlField[c.winner].at(s.x, s.y) = cfSunk;
        const bool hit = g.st.PlayField[c.current ^ 1].at(c.cell.x, c.cell.y) == pfShip;

        QVERIFY(g.ClickControlField(c.cell.x, c.cell.y));

        QCOMPARE(t.takeLog(), c.log);
        QCOMPARE(g.st.CurrentPlayer, c.currentAfter);
        QCOMPARE(g.st.Tries[c.current], 1);
        QCOMPARE(g.st.Tries[c.current ^ 1], 0);
        QCOMPARE(g.st.LastShot[0], c.lastShot0);
        QCOMPARE(g.st.LastShot[1], c.lastShot1);
        QCOMPARE(g.st.ComputerLastHit, c.computerLastHit);
        QCOMPARE(g.st.Winner, c.winner);
        QCOMPARE(g.st.PlayField[c.current ^ 1].at(c.cell.x, c.cell.y),
                 std::uint8_t(hit ? pfShipHit : pfWaterShot));
        QCOMPARE(g.st.ControlField[c.current].at(c.cell.x, c.cell.y), std::uint8_t(hit ? cfHit : cfWater));
    }

    // Shots of player 0 at player 1's field.
    void sunk_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<CellPos>("cell");
        QTest::addColumn<QString>("after");
        QTest::newRow("ship of 1 at once") << "" << CellPos{6, 4} << "||||......3";
        QTest::newRow("3, last part in the middle") << "..2.2" << CellPos{3, 0} << "..333";
        QTest::newRow("3, last part at the start") << "||........22" << CellPos{7, 2} << "||.......333";
        QTest::newRow("4 in the corner, others untouched")
            << "......222|......1|........22||........33" << CellPos{9, 0}
            << "......3333|......1|........22||........33";
    }
    void sunk()
    {
        QFETCH(QString, control);
        QFETCH(CellPos, cell);
        QFETCH(QString, after);
        TestGame t;
        Game &g = t.game;
        setUpFiring(g, gmTwoAtTwo, 0);
        GameTestAccess::state(g).ControlField[0] = GridOf(control);
        for (int k = 0; k < 100; ++k)
            if (const int c = g.st.ControlField[0].at(k % 10, k / 10))
                GameTestAccess::state(g).PlayField[1].at(k % 10, k / 10) = c == cfWater ? pfWaterShot : pfShipHit;
        Grid field = g.st.PlayField[1];
        field.at(cell.x, cell.y) = pfShipHit; // the target keeps "hit" on a sunk ship
        QVERIFY(g.ClickControlField(cell.x, cell.y));
        QCOMPARE(GridRows(g.st.ControlField[0]), GridRows(GridOf(after)));
        QCOMPARE(GridRows(g.st.PlayField[1]), GridRows(field));
    }

    // A cell shot before, off the field, or any shot after the game: nothing
    // changes, nothing is played or drawn.
    void refusedShot_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<CellPos>("cell");
        QTest::newRow("water shot before") << int(gpFiring) << CellPos{4, 8};
        QTest::newRow("hit before") << int(gpFiring) << CellPos{8, 0};
        QTest::newRow("field says shot, record does not") << int(gpFiring) << CellPos{5, 5};
        QTest::newRow("x = 10") << int(gpFiring) << CellPos{10, 0};
        QTest::newRow("y = -1") << int(gpFiring) << CellPos{0, -1};
        QTest::newRow("far off") << int(gpFiring) << CellPos{INT_MIN, INT_MAX};
        QTest::newRow("finished game") << int(gpFinished) << CellPos{0, 9};
    }
    void refusedShot()
    {
        QFETCH(int, phase);
        QFETCH(CellPos, cell);
        TestGame t;
        Game &g = t.game;
        setUpFiring(g, gmTwoAtOne, 0);
        GameTestAccess::state(g).GamePhase = GamePhaseT(phase);
        GameTestAccess::state(g).ControlField[0] = GridOf("........2||||||||....1");
        GameTestAccess::state(g).PlayField[1].at(4, 8) = GameTestAccess::state(g).PlayField[1].at(5, 5) = pfWaterShot;
        GameTestAccess::state(g).PlayField[1].at(8, 0) = pfShipHit;
        GameTestAccess::state(g).Tries = {5, 4};
        const GameState before = g.st;
        QVERIFY(!g.ClickControlField(cell.x, cell.y));
        QCOMPARE(t.fx.log, QStringList{});
        QVERIFY(g.st.PlayField == before.PlayField && g.st.ControlField == before.ControlField);
        QCOMPARE(g.st.Tries, before.Tries);
        QVERIFY(g.st.CurrentPlayer == 0 && g.st.GamePhase == phase && !g.DXTimer.Enabled());
    }

    void mouseFiring_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("countdown");
        QTest::addColumn<QString>("shot"); // the cell fired at as two digits, or empty
        const int L = int(MouseButton::Left), R = int(MouseButton::Right);
        const int One = gmTwoAtOne, Net = gmTwoAtTwo, PC = gmPCMode;
        QTest::newRow("two at one") << One << 1 << L << RightBoardPixel(3, 7) << false << "37";
        QTest::newRow("X = 480") << One << 0 << L << QPoint(480, 100) << false << "";
        QTest::newRow("X = 481") << One << 0 << L << QPoint(481, 100) << false << "00";
        QTest::newRow("X = 879, Y = 479") << One << 0 << L << QPoint(879, 479) << false << "99";
        QTest::newRow("Y = 480") << One << 0 << L << QPoint(500, 480) << false << "";
        QTest::newRow("left board") << One << 0 << L << LeftBoardPixel(3, 3) << false << "";
        QTest::newRow("right button") << One << 0 << R << RightBoardPixel(3, 3) << false << "";
        QTest::newRow("during a countdown") << One << 0 << L << RightBoardPixel(3, 3) << true << "";
        QTest::newRow("human's turn") << PC << 0 << L << RightBoardPixel(3, 3) << false << "33";
        QTest::newRow("computer's turn") << PC << 1 << L << RightBoardPixel(3, 3) << false << "";
        QTest::newRow("network, peer's turn") << Net << 1 << L << RightBoardPixel(3, 3) << false << "";
        QTest::newRow("cell shot before") << PC << 0 << L << RightBoardPixel(5, 5) << false << "";
    }
    void mouseFiring()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, button);
        QFETCH(QPoint, pixel);
        QFETCH(bool, countdown);
        QFETCH(QString, shot);
        TestGame t;
        Game &g = t.game;
        setUpFiring(g, mode, current);
        GameTestAccess::state(g).ControlField[0].at(5, 5) = cfWater;
        GameTestAccess::state(g).PlayField[1].at(5, 5) = pfWaterShot;
        g.DXTimer.setEnabled(countdown);
        t.fx.clear();
        g.DXDrawMouseDown(MouseButton(button), pixel.x(), pixel.y());
        QCOMPARE(g.st.Tries[current], shot.isEmpty() ? 0 : 1);
        // The shot goes to the peer first, then is carried out here.
        QCOMPARE(t.takeLog().left(15), shot.isEmpty() ? QString() : "send " + shot + " | sound");
    }

    void hitRatio()
    {
        TestGame t;
        Game &g = t.game;
        QVERIFY(!g.HitRatio(0) && !g.HitRatio(2) && g.Hits(-1) == 0); // nothing while no shot was fired
        GameTestAccess::state(g).ControlField[1] = GridOf("2331|1111|1");
        const std::pair<int, int> triesAndRatios[] = {{8, 38}, {24, 12}, {3, 100}, {600, 0}, {9, 33}};
        for (const auto &[tries, ratio] : triesAndRatios) {
            GameTestAccess::state(g).Tries[1] = tries;
            QCOMPARE(g.Hits(1), 3);
            QCOMPARE(g.HitRatio(1), std::optional<int>(ratio)); // rounded half to even
        }
    }
};

QTEST_GUILESS_MAIN(tst_firing)
#include "tst_firing.moc"
