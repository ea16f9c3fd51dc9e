#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>
#include <climits>

// Firing: one shot with all its effects in order, sunk ships, the two
// finishers, refused shots, the mouse branch and the statistics.
class tst_firing : public QObject {
    Q_OBJECT
private slots:
    void shot_data();
    void shot();
    void sunk_data();
    void sunk();
    void firstFinisher_data();
    void firstFinisher();
    void secondFinisher_data();
    void secondFinisher();
    void refusedShot_data();
    void refusedShot();
    void mouseFiring_data();
    void mouseFiring();
    void leftDragFiresUntilAMiss();
    void hitRatio_data();
    void hitRatio();
    void roundHalfToEven_data();
    void roundHalfToEven();
};

namespace {

const QString kAllMissing = QStringLiteral("Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.");

// Both fleets in place, firing, nobody finished.
void setUpFiring(Game &g, GameModeT mode, int current, int local = 0)
{
    g.st.GameMode = mode;
    g.st.GamePhase = gpFiring;
    g.st.CurrentPlayer = current;
    g.st.LocalPlayer = local;
    g.st.ChangingTime = 4;
    g.st.PlayerNames = {QStringLiteral("Anna"),
                        mode == gmPCMode ? QStringLiteral("Computer") : QStringLiteral("Bert")};
    g.st.PlayField[0] = GridFromRows(StandardFleetRows());
    QStringList mirrored;
    for (const QString &row : StandardFleetRows()) {
        QString r = row;
        std::reverse(r.begin(), r.end());
        mirrored << r;
    }
    g.st.PlayField[1] = GridFromRows(mirrored); // the 4 at (6..9, 0)
}

// The cells of the ship that holds c.
QList<CellPos> shipOf(const Grid &g, CellPos c)
{
    QList<CellPos> ship{c};
    for (int i = 0; i < ship.size(); ++i) {
        const CellPos a = ship[i];
        for (const CellPos n :
             {CellPos{a.x - 1, a.y}, CellPos{a.x + 1, a.y}, CellPos{a.x, a.y - 1}, CellPos{a.x, a.y + 1}})
            if (g.get(n.x, n.y) >= 2 && !ship.contains(n))
                ship << n;
    }
    return ship;
}

// Player p has found every ship of the other but the cell last: that ship's
// other parts are hit, every other ship is sunk.
void allButOne(Game &g, int p, CellPos last)
{
    Grid &target = g.st.PlayField[p ^ 1];
    const QList<CellPos> lastShip = shipOf(target, last);
    for (const CellPos &c : ShipCells(target)) {
        if (c == last)
            continue;
        g.st.ControlField[p].at(c.x, c.y) = lastShip.contains(c) ? cfHit : cfSunk;
        target.at(c.x, c.y) = pfShipHit;
    }
    g.st.Tries[p] = 30;
}

} // namespace

void tst_firing::shot_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("winner");
    QTest::addColumn<CellPos>("cell");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<QList<CellPos>>("lastShot");
    QTest::addColumn<CellPos>("computerLastHit");

    const CellPos water{4, 8}, ship0{0, 0} /* on player 0's field */, ship1{9, 0} /* on player 1's */;
    const QList<CellPos> none{NoCell, NoCell};
    const auto S = [](const char *s) { return QString::fromUtf8(s); };

    QTest::newRow("computer game, human misses")
        << int(gmPCMode) << 0 << 0 << -1 << water
        << QStringList{S("sound 1"), S("DXTimer_Computer on"),
                       S("status Computer ist an der Reihe. ") + kAllMissing, S("draw present"), S("info")}
        << 1 << none << NoCell;
    QTest::newRow("computer game, computer misses")
        << int(gmPCMode) << 1 << 0 << -1 << water
        << QStringList{S("sound 1"), S("status Sie sind an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 0 << QList<CellPos>{water, NoCell} << NoCell;
    QTest::newRow("computer game, human hits")
        << int(gmPCMode) << 0 << 0 << -1 << ship1
        << QStringList{S("sound 101"), S("status Sie sind an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 0 << none << NoCell;
    QTest::newRow("computer game, computer hits")
        << int(gmPCMode) << 1 << 0 << -1 << ship0
        << QStringList{S("sound 101"), S("DXTimer_Computer on"),
                       S("status Computer ist an der Reihe. ") + kAllMissing, S("draw present"), S("info")}
        << 1 << QList<CellPos>{ship0, NoCell} << ship0;
    QTest::newRow("two at one, miss starts the countdown")
        << int(gmTwoAtOne) << 1 << 0 << -1 << water
        << QStringList{S("sound 1"), S("status Bert ist an der Reihe. ") + kAllMissing, S("info"),
                       S("DXTimer on"), S("countdown 3")}
        << 1 << QList<CellPos>{NoCell, water} << NoCell;
    QTest::newRow("two at one, hit") << int(gmTwoAtOne) << 0 << 0 << -1 << ship1
                                     << QStringList{S("sound 101"),
                                                    S("status Anna ist an der Reihe. ") + kAllMissing,
                                                    S("draw present"), S("info")}
                                     << 0 << QList<CellPos>{ship1, NoCell} << NoCell;
    QTest::newRow("network, host misses")
        << int(gmTwoAtTwo) << 0 << 0 << -1 << water
        << QStringList{S("sound 1"), S("status Bert ist an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 1 << none << NoCell;
    QTest::newRow("network, guest's shot on the host")
        << int(gmTwoAtTwo) << 1 << 0 << -1 << water
        << QStringList{S("sound 1"), S("status Sie sind an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 0 << QList<CellPos>{water, NoCell} << NoCell;
    QTest::newRow("network, host's shot on the guest")
        << int(gmTwoAtTwo) << 0 << 1 << -1 << ship1
        << QStringList{S("sound 101"), S("status Anna ist an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 0 << QList<CellPos>{ship1, NoCell} << NoCell;
    QTest::newRow("after the first finisher a miss keeps the turn")
        << int(gmTwoAtOne) << 1 << 0 << 0 << water
        << QStringList{S("sound 1"), S("status Bert ist an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 1 << QList<CellPos>{NoCell, water} << NoCell;
    QTest::newRow("computer after the human finished")
        << int(gmPCMode) << 1 << 0 << 0 << water
        << QStringList{S("sound 1"), S("status Computer ist an der Reihe. ") + kAllMissing, S("draw present"),
                       S("info")}
        << 1 << QList<CellPos>{water, NoCell} << NoCell;
}

void tst_firing::shot()
{
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, local);
    QFETCH(int, winner);
    QFETCH(CellPos, cell);
    QFETCH(QStringList, log);
    QFETCH(int, currentAfter);
    QFETCH(QList<CellPos>, lastShot);
    QFETCH(CellPos, computerLastHit);

    TestGame t;
    Game &g = t.game;
    setUpFiring(g, GameModeT(mode), current, local);
    g.st.Winner = winner;
    if (winner >= 0) // the finisher has sunk everything
        for (const CellPos &c : ShipCells(g.st.PlayField[winner ^ 1]))
            g.st.ControlField[winner].at(c.x, c.y) = cfSunk;
    const std::uint8_t before = g.st.PlayField[current ^ 1].at(cell.x, cell.y);

    QVERIFY(g.ClickControlField(cell.x, cell.y));

    QCOMPARE(t.fx.log, log);
    QCOMPARE(g.st.CurrentPlayer, currentAfter);
    QCOMPARE(g.st.Tries[current], 1);
    QCOMPARE(g.st.Tries[current ^ 1], 0);
    QCOMPARE(g.st.LastShot[0], lastShot[0]);
    QCOMPARE(g.st.LastShot[1], lastShot[1]);
    QCOMPARE(g.st.ComputerLastHit, computerLastHit);
    QCOMPARE(g.st.Winner, winner);
    QCOMPARE(g.st.GamePhase, int(gpFiring));
    const bool hit = before == pfShip;
    QCOMPARE(g.st.PlayField[current ^ 1].at(cell.x, cell.y), std::uint8_t(hit ? pfShipHit : pfWaterShot));
    // A ship of 1 sinks at once; the others stay hit.
    const int expectedCode = !hit                                                                    ? cfWater
                             : Game::GetShipLength(g.st.PlayField[current ^ 1], cell.x, cell.y) == 1 ? cfSunk
                                                                                                     : cfHit;
    QCOMPARE(int(g.st.ControlField[current].at(cell.x, cell.y)), expectedCode);
}

void tst_firing::sunk_data()
{
    QTest::addColumn<QStringList>("control");
    QTest::addColumn<CellPos>("cell");
    QTest::addColumn<QStringList>("after");

    // Shots at player 1's field, the standard fleet mirrored: the 4 at
    // (6..9, 0), 3s at (2..4, 0) and (7..9, 2), 2s at (4..5, 2), (1..2, 2),
    // (8..9, 4), 1s at (6, 4), (4, 4), (2, 4) and (9, 6).
    QStringList empty;
    for (int i = 0; i < 10; ++i)
        empty << "0000000000";
    auto with = [&](int y, const char *row) {
        QStringList r = empty;
        r[y] = QString::fromLatin1(row);
        return r;
    };
    QTest::newRow("ship of 1 at once") << empty << CellPos{6, 4} << with(4, "0000003000");
    QTest::newRow("ship of 1 on the edge") << empty << CellPos{9, 6} << with(6, "0000000003");
    QTest::newRow("3, last part in the middle")
        << with(0, "0020200000") << CellPos{3, 0} << with(0, "0033300000");
    QTest::newRow("3, last part at the end")
        << with(2, "0000000220") << CellPos{9, 2} << with(2, "0000000333");
    QTest::newRow("3, last part at the start")
        << with(2, "0000000022") << CellPos{7, 2} << with(2, "0000000333");
    QTest::newRow("3, two of three") << with(0, "0020000000") << CellPos{3, 0} << with(0, "0022000000");
    QTest::newRow("4 in the corner") << with(0, "0000002220") << CellPos{9, 0} << with(0, "0000003333");
    // Another sunk ship and water shots stay as they are.
    QStringList mixed = with(2, "0000000220");
    mixed[1] = "0000001000";
    mixed[4] = "0000000033";
    QStringList mixedAfter = with(2, "0000000333");
    mixedAfter[1] = "0000001000";
    mixedAfter[4] = "0000000033";
    QTest::newRow("neighbours untouched") << mixed << CellPos{9, 2} << mixedAfter;
}

void tst_firing::sunk()
{
    QFETCH(QStringList, control);
    QFETCH(CellPos, cell);
    QFETCH(QStringList, after);

    TestGame t;
    Game &g = t.game;
    setUpFiring(g, gmTwoAtTwo, 0);
    g.st.ControlField[0] = GridFromRows(control);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if (g.st.ControlField[0].at(x, y) != cfUnknown)
                g.st.PlayField[1].at(x, y) =
                    g.st.ControlField[0].at(x, y) == cfWater ? pfWaterShot : pfShipHit;
    const Grid fieldBefore = g.st.PlayField[1];
    QVERIFY(g.ClickControlField(cell.x, cell.y));
    QCOMPARE(GridRows(g.st.ControlField[0]), after);
    // The target keeps "hit" on every part of a sunk ship.
    Grid expectedField = fieldBefore;
    expectedField.at(cell.x, cell.y) = pfShipHit;
    QCOMPARE(GridRows(g.st.PlayField[1]), GridRows(expectedField));
}

void tst_firing::firstFinisher_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("local");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("computerShot");

    QTest::newRow("two at one") << int(gmTwoAtOne) << 1 << 0 << "Bert hat alle Schiffe von Anna gefunden."
                                << false;
    QTest::newRow("computer game, human")
        << int(gmPCMode) << 0 << 0 << "Sie haben alle Schiffe von Computer gefunden." << false;
    QTest::newRow("computer game, computer")
        << int(gmPCMode) << 1 << 0 << "Computer hat alle Ihre Schiffe gefunden." << true;
    QTest::newRow("network, local player")
        << int(gmTwoAtTwo) << 1 << 1 << "Sie haben alle Schiffe von Anna gefunden." << false;
    QTest::newRow("network, peer") << int(gmTwoAtTwo) << 0 << 1 << "Anna hat alle Ihre Schiffe gefunden."
                                   << false;
}

void tst_firing::firstFinisher()
{
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, local);
    QFETCH(QString, status);
    QFETCH(bool, computerShot);

    TestGame t(true);
    Game &g = t.game;
    setUpFiring(g, GameModeT(mode), current, local);
    // The last cell: the end of the 4.
    const CellPos last = current == 0 ? CellPos{9, 0} : CellPos{3, 0};
    allButOne(g, current, last);
    const int x0 = current == 0 ? 6 : 0; // the 4 lies at (x0..x0+3, 0)
    QCOMPARE(g.st.ControlField[current].at(x0 + 1, 0), std::uint8_t(cfHit));
    // One second into the countdown's last frame is long over; DXTimer is
    // stopped, its count at 1.
    g.DXTimer.Tag = 1;

    QVERIFY(g.ClickControlField(last.x, last.y));

    QStringList expected{QStringLiteral("sound 101")};
    if (computerShot)
        expected << QStringLiteral("DXTimer_Computer on 1000");
    expected << QStringLiteral("status ") + status << QStringLiteral("draw") << QStringLiteral("info")
             << QStringLiteral("sound 301") << QStringLiteral("banner found-all")
             << QStringLiteral("DXTimer on 2000") << QStringLiteral("present");
    QCOMPARE(t.fx.log, expected);
    QCOMPARE(g.st.Winner, current);
    QCOMPARE(g.st.GamePhase, int(gpFiring));
    QCOMPARE(g.st.CurrentPlayer, current);
    QCOMPARE(g.DXTimer.Interval(), 2000);
    // The whole 4 is sunk.
    for (int x = x0; x < x0 + 4; ++x)
        QCOMPARE(g.st.ControlField[current].at(x, 0), std::uint8_t(cfSunk));
    // The pause silences the computer: DXTimer is the one polled.
    QCOMPARE(g.timers.polled(), &g.DXTimer);
    QCOMPARE(g.DXTimer_Computer.Enabled(), computerShot);

    // After 2000 ms the other player is to fire; the status line names him.
    t.fx.clear();
    int computerTicks = 0;
    g.DXTimer_Computer.OnTimer = [&](int) { ++computerTicks; };
    QCOMPARE(t.run(1999), 0);
    QCOMPARE(t.run(1), 1);
    QCOMPARE(computerTicks, 0);
    QCOMPARE(g.st.CurrentPlayer, current ^ 1);
    QCOMPARE(g.DXTimer.Interval(), 1000);
    QVERIFY(!g.DXTimer.Enabled());
    const bool computerNext = mode == gmPCMode && current == 0;
    QCOMPARE(g.DXTimer_Computer.Enabled(), computerNext);
    QCOMPARE(t.fx.log.first(), QStringLiteral("DXTimer off"));
    QVERIFY(t.fx.status.contains(QStringLiteral(" Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.")));
    QVERIFY(t.fx.log.endsWith(QStringLiteral("info")));
    QCOMPARE(t.fx.only("draw"), QStringList{QStringLiteral("draw present")});
}

void tst_firing::secondFinisher_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("local");
    QTest::addColumn<bool>("computerTimerOn");

    QTest::newRow("two at one") << int(gmTwoAtOne) << 0 << 0 << false;
    QTest::newRow("computer game, computer last") << int(gmPCMode) << 1 << 0 << true;
    QTest::newRow("computer game, human last") << int(gmPCMode) << 0 << 0 << false;
    QTest::newRow("network host") << int(gmTwoAtTwo) << 0 << 0 << false;
    QTest::newRow("network guest") << int(gmTwoAtTwo) << 0 << 1 << false;
}

void tst_firing::secondFinisher()
{
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, local);
    QFETCH(bool, computerTimerOn);

    TestGame t;
    Game &g = t.game;
    setUpFiring(g, GameModeT(mode), current, local);
    g.st.Winner = current ^ 1;
    for (const CellPos &c : ShipCells(g.st.PlayField[current]))
        g.st.ControlField[current ^ 1].at(c.x, c.y) = cfSunk;
    const CellPos last = current == 0 ? CellPos{9, 6} : CellPos{0, 6}; // a ship of 1
    allButOne(g, current, last);
    if (computerTimerOn)
        g.DXTimer_Computer.enable();
    t.fx.clear();

    QVERIFY(g.ClickControlField(last.x, last.y));

    QStringList expected{QStringLiteral("sound 101")};
    const QString status =
        mode == gmTwoAtOne ? QStringLiteral("Anna hat alle Schiffe von Bert gefunden.")
        : current == (mode == gmPCMode ? 0 : local)
            ? QStringLiteral("Sie haben alle Schiffe von %1 gefunden.").arg(g.st.PlayerNames[current ^ 1])
            : QStringLiteral("%1 hat alle Ihre Schiffe gefunden.").arg(g.st.PlayerNames[current]);
    expected << QStringLiteral("status ") + status << QStringLiteral("draw") << QStringLiteral("info");
    if (computerTimerOn)
        expected << QStringLiteral("DXTimer_Computer off");
    expected << QStringLiteral("banner game-end") << QStringLiteral("close")
             << QStringLiteral("status Drücken Sie die Eingabetaste, um das Spiel zu beenden.")
             << QStringLiteral("present");
    QCOMPARE(t.fx.log, expected);
    QCOMPARE(g.st.GamePhase, int(gpFinished));
    QCOMPARE(g.st.Winner, current);
    QVERIFY(!g.DXTimer_Computer.Enabled());
    QCOMPARE(g.timers.polled(), nullptr);
    QCOMPARE(g.st.Tries[current], 31);
}

void tst_firing::refusedShot_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<CellPos>("cell");

    QTest::newRow("water shot before") << int(gpFiring) << CellPos{4, 8};
    QTest::newRow("hit before") << int(gpFiring) << CellPos{8, 0};
    QTest::newRow("sunk before") << int(gpFiring) << CellPos{9, 6};
    QTest::newRow("field says shot, record does not") << int(gpFiring) << CellPos{5, 5};
    QTest::newRow("field says hit, record does not") << int(gpFiring) << CellPos{7, 0};
    QTest::newRow("x = -1") << int(gpFiring) << CellPos{-1, 0};
    QTest::newRow("x = 10") << int(gpFiring) << CellPos{10, 0};
    QTest::newRow("y = -1") << int(gpFiring) << CellPos{0, -1};
    QTest::newRow("y = 10") << int(gpFiring) << CellPos{0, 10};
    QTest::newRow("far off") << int(gpFiring) << CellPos{INT_MIN, INT_MAX};
    QTest::newRow("finished game") << int(gpFinished) << CellPos{0, 9};
}

void tst_firing::refusedShot()
{
    QFETCH(int, phase);
    QFETCH(CellPos, cell);

    for (int mode : {gmTwoAtOne, gmTwoAtTwo, gmPCMode}) {
        TestGame t;
        Game &g = t.game;
        setUpFiring(g, GameModeT(mode), 0);
        g.st.GamePhase = phase;
        g.st.ControlField[0] =
            GridFromRows({"0000000020", "", "", "", "", "", "0000000003", "", "0000100000"});
        g.st.PlayField[1].at(4, 8) = pfWaterShot;
        g.st.PlayField[1].at(8, 0) = pfShipHit;
        g.st.PlayField[1].at(9, 6) = pfShipHit;
        g.st.PlayField[1].at(5, 5) = pfWaterShot;
        g.st.PlayField[1].at(7, 0) = pfShipHit;
        g.st.Tries = {5, 4};
        const GameState before = g.st;

        QVERIFY(!g.ClickControlField(cell.x, cell.y));

        QCOMPARE(t.fx.log, QStringList{});
        QVERIFY(g.st.PlayField == before.PlayField);
        QVERIFY(g.st.ControlField == before.ControlField);
        QCOMPARE(g.st.Tries, before.Tries);
        QCOMPARE(g.st.CurrentPlayer, before.CurrentPlayer);
        QCOMPARE(g.st.LastShot, before.LastShot);
        QCOMPARE(g.st.Winner, before.Winner);
        QCOMPARE(g.st.GamePhase, before.GamePhase);
    }
}

void tst_firing::mouseFiring_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("countdown");
    QTest::addColumn<QString>("shot"); // the cell fired at as two digits, or empty

    const int L = int(MouseButton::Left), R = int(MouseButton::Right);
    QTest::newRow("two at one") << int(gmTwoAtOne) << 1 << L << RightBoardPixel(3, 7) << false << "37";
    QTest::newRow("X = 480") << int(gmTwoAtOne) << 0 << L << QPoint(480, 100) << false << "";
    QTest::newRow("X = 481") << int(gmTwoAtOne) << 0 << L << QPoint(481, 100) << false << "00";
    QTest::newRow("X = 879") << int(gmTwoAtOne) << 0 << L << QPoint(879, 100) << false << "90";
    QTest::newRow("X = 880") << int(gmTwoAtOne) << 0 << L << QPoint(880, 100) << false << "";
    QTest::newRow("Y = 80") << int(gmTwoAtOne) << 0 << L << QPoint(500, 80) << false << "";
    QTest::newRow("Y = 81") << int(gmTwoAtOne) << 0 << L << QPoint(500, 81) << false << "00";
    QTest::newRow("Y = 479") << int(gmTwoAtOne) << 0 << L << QPoint(500, 479) << false << "09";
    QTest::newRow("Y = 480") << int(gmTwoAtOne) << 0 << L << QPoint(500, 480) << false << "";
    QTest::newRow("left board") << int(gmTwoAtOne) << 0 << L << LeftBoardPixel(3, 3) << false << "";
    QTest::newRow("right button") << int(gmTwoAtOne) << 0 << R << RightBoardPixel(3, 3) << false << "";
    QTest::newRow("during a countdown") << int(gmTwoAtOne) << 0 << L << RightBoardPixel(3, 3) << true << "";
    QTest::newRow("human's turn") << int(gmPCMode) << 0 << L << RightBoardPixel(3, 3) << false << "33";
    QTest::newRow("computer's turn") << int(gmPCMode) << 1 << L << RightBoardPixel(3, 3) << false << "";
    QTest::newRow("network, own turn") << int(gmTwoAtTwo) << 0 << L << RightBoardPixel(9, 9) << false << "99";
    QTest::newRow("network, peer's turn")
        << int(gmTwoAtTwo) << 1 << L << RightBoardPixel(3, 3) << false << "";
    QTest::newRow("cell shot before") << int(gmPCMode) << 0 << L << RightBoardPixel(5, 5) << false << "";
}

void tst_firing::mouseFiring()
{
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, button);
    QFETCH(QPoint, pixel);
    QFETCH(bool, countdown);
    QFETCH(QString, shot);

    TestGame t;
    Game &g = t.game;
    setUpFiring(g, GameModeT(mode), current, 0);
    g.st.ControlField[0].at(5, 5) = cfWater;
    g.st.PlayField[1].at(5, 5) = pfWaterShot;
    if (countdown)
        g.DXTimer.enable();
    t.fx.clear();
    g.DXDrawMouseDown(MouseButton(button), pixel.x(), pixel.y());
    if (shot.isEmpty()) {
        QCOMPARE(t.fx.log, QStringList{});
        QCOMPARE(g.st.Tries[current], 0);
        return;
    }
    // The shot goes to the peer first, then is carried out here.
    QCOMPARE(t.fx.log.value(0), QStringLiteral("send ") + shot);
    QVERIFY(t.fx.log.value(1).startsWith(QStringLiteral("sound ")));
    QCOMPARE(g.st.Tries[current], 1);
    const int x = shot[0].digitValue(), y = shot[1].digitValue();
    QVERIFY(g.st.ControlField[current].at(x, y) != cfUnknown);
}

void tst_firing::leftDragFiresUntilAMiss()
{
    TestGame t;
    Game &g = t.game;
    setUpFiring(g, gmPCMode, 0);
    // Row 0 of the computer's field: "..###.####"; drag from (9, 0) leftwards.
    for (int X = 879; X > 480; X -= 10)
        g.DXDrawMouseMove(true, false, X, 100);
    // Four hits (the 4 sinks), then the miss at (5, 0) passes the turn; the
    // rest of the drag fires nothing.
    QCOMPARE(t.fx.only("send"), (QStringList{"send 90", "send 80", "send 70", "send 60", "send 50"}));
    QCOMPARE(GridRows(g.st.ControlField[0])[0], QStringLiteral("0000013333"));
    QCOMPARE(g.st.CurrentPlayer, 1);
    QCOMPARE(g.st.Tries[0], 5);
    QVERIFY(g.DXTimer_Computer.Enabled());
}

void tst_firing::hitRatio_data()
{
    QTest::addColumn<int>("tries");
    QTest::addColumn<int>("hitCells");
    QTest::addColumn<int>("sunkCells");
    QTest::addColumn<int>("ratio"); // -1: none

    QTest::newRow("no shot") << 0 << 0 << 0 << -1;
    QTest::newRow("1 of 8: 12.5") << 8 << 1 << 0 << 12;
    QTest::newRow("3 of 8: 37.5") << 8 << 0 << 3 << 38;
    QTest::newRow("0 of 8") << 8 << 0 << 0 << 0;
    QTest::newRow("1 of 1") << 1 << 0 << 1 << 100;
    QTest::newRow("1 of 3") << 3 << 1 << 0 << 33;
    QTest::newRow("2 of 3") << 3 << 1 << 1 << 67;
    QTest::newRow("1 of 40: 2.5") << 40 << 1 << 0 << 2;
    QTest::newRow("3 of 40: 7.5") << 40 << 2 << 1 << 8;
    QTest::newRow("1 of 200: 0.5") << 200 << 1 << 0 << 0;
    QTest::newRow("20 of 100") << 100 << 0 << 20 << 20;
}

void tst_firing::hitRatio()
{
    QFETCH(int, tries);
    QFETCH(int, hitCells);
    QFETCH(int, sunkCells);
    QFETCH(int, ratio);

    TestGame t;
    Game &g = t.game;
    // Hits are spread over the field; water shots do not count.
    int placed = 0;
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            Grid &c = g.st.ControlField[1];
            if (placed < hitCells)
                c.at(x, y) = cfHit;
            else if (placed < hitCells + sunkCells)
                c.at(x, y) = cfSunk;
            else
                c.at(x, y) = cfWater;
            ++placed;
        }
    }
    g.st.Tries[1] = tries;
    QCOMPARE(g.Hits(1), hitCells + sunkCells);
    QCOMPARE(g.HitRatio(1).value_or(-1), ratio);
    QCOMPARE(g.HitRatio(0).has_value(), false);
    // Players outside 0..1 have nothing.
    QCOMPARE(g.Hits(2), 0);
    QCOMPARE(g.Hits(-1), 0);
    QVERIFY(!g.HitRatio(2).has_value());
}

void tst_firing::roundHalfToEven_data()
{
    QTest::addColumn<int>("numerator");
    QTest::addColumn<int>("denominator");
    QTest::addColumn<int>("result");
    QTest::newRow("0.5") << 1 << 2 << 0;
    QTest::newRow("1.5") << 3 << 2 << 2;
    QTest::newRow("2.5") << 5 << 2 << 2;
    QTest::newRow("2.49") << 249 << 100 << 2;
    QTest::newRow("2.51") << 251 << 100 << 3;
    QTest::newRow("exact") << 300 << 3 << 100;
}

void tst_firing::roundHalfToEven()
{
    QFETCH(int, numerator);
    QFETCH(int, denominator);
    QFETCH(int, result);
    QCOMPARE(Game::RoundHalfToEven(numerator, denominator), result);
}

QTEST_GUILESS_MAIN(tst_firing)
#include "tst_firing.moc"
