#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

// The flow of whole games: the Enter key, the change-over countdown and the
// hand-over after a victory screen, "Neu", and complete games in all three
// modes played through the engine alone.
class tst_gameflow : public QObject {
    Q_OBJECT
private slots:
    void enterKey_data();
    void enterKey();
    void countdownAfterAMiss_data();
    void countdownAfterAMiss();
    void enterDuringACountdownStartsItAgain();
    void countdownWaitsInTheBackground();
    void abandonGame();
    void lateTickAfterTheEndHandsNothingOver();
    void wholeGameTwoAtOne();
    void wholeGameComputerFinishesFirst();
    void wholeGameHumanFinishesFirst();
    void wholeGameNetwork();
};

namespace {

const QString kAllMissing = QStringLiteral(" Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.");

QString digitsOf(const QStringList &rows)
{
    QString d;
    for (const QString &row : rows)
        d += QString(row).replace(u'#', u'2').replace(u'.', u'0');
    return d;
}

QList<CellPos> waterCells(const Grid &grid)
{
    QList<CellPos> cells;
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if (grid.at(x, y) == 0)
                cells << CellPos{x, y};
    return cells;
}

QString sendLine(CellPos c)
{
    return QStringLiteral("send %1%2").arg(c.x).arg(c.y);
}

void click(Game &g, CellPos c, bool rightBoard = true)
{
    const QPoint p = rightBoard ? RightBoardPixel(c.x, c.y) : LeftBoardPixel(c.x, c.y);
    g.DXDrawMouseDown(MouseButton::Left, p.x(), p.y());
}

// A stand-in for the computer player: stops its timer unless the human has
// finished, then fires at the next cell of its list.
struct ScriptedComputer {
    Game &g;
    QList<CellPos> shots;
    int ticks = 0;

    explicit ScriptedComputer(Game &game) : g(game)
    {
        g.DXTimer_Computer.OnTimer = [this](int) {
            ++ticks;
            g.DXTimer_Computer.setEnabled(g.st.Winner == 0);
            if (!shots.isEmpty())
                g.ClickControlField(shots.first().x, shots.first().y), shots.removeFirst();
        };
    }
};

QStringList firstFinisherLog(const QString &status, bool computer = false)
{
    QStringList l{QStringLiteral("sound 101")};
    if (computer)
        l << QStringLiteral("DXTimer_Computer on");
    l << QStringLiteral("status ") + status << QStringLiteral("draw") << QStringLiteral("info")
      << QStringLiteral("sound 301") << QStringLiteral("banner found-all") << QStringLiteral("DXTimer on")
      << QStringLiteral("present");
    return l;
}

QStringList secondFinisherLog(const QString &status, bool computerTimerOn = false)
{
    QStringList l{QStringLiteral("sound 101"), QStringLiteral("status ") + status, QStringLiteral("draw"),
                  QStringLiteral("info")};
    if (computerTimerOn)
        l << QStringLiteral("DXTimer_Computer off");
    l << QStringLiteral("banner game-end") << QStringLiteral("close")
      << QStringLiteral("status ") + Texts::InfoText(18) << QStringLiteral("present");
    return l;
}

} // namespace

void tst_gameflow::enterKey_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("placementDone");
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("netStart");
    QTest::addColumn<int>("key");
    QTest::addColumn<QList<int>>("script");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("phaseAfter");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<int>("placementDoneAfter");

    const QStringList nothing;
    const QString status = QStringLiteral("status ");
    const QStringList backToTitle{status + Texts::InfoText(0), "draw present", "DXTimer_Info on"};
    const int TwoAtOne = gmTwoAtOne, Net = gmTwoAtTwo, PC = gmPCMode;
    const QString hostFleet = digitsOf(StandardFleetRows());
    const QString guestFleet =
        digitsOf({"..........", "..........", "#.#.#.#.#.", "..........", "##.##.##..", "..........",
                  "###.###...", "..........", "####......", ".........."});

    QTest::newRow("no game") << PC << int(gpNoGame) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 0 << 0
                             << 0;
    QTest::newRow("other key") << PC << int(gpFinished) << 0 << 0 << 0 << 32 << QList<int>{} << nothing << 6
                               << 0 << 0;
    QTest::newRow("line feed is no Enter")
        << PC << int(gpPlaced1) << 0 << 0 << 0 << 10 << QList<int>{} << nothing << 2 << 0 << 0;
    QTest::newRow("finished, two at one")
        << TwoAtOne << int(gpFinished) << 0 << 0 << 0 << 13 << QList<int>{} << backToTitle << 0 << 0 << 0;
    QTest::newRow("finished, network")
        << Net << int(gpFinished) << 3 << 1 << 0 << 13 << QList<int>{} << backToTitle << 0 << 1 << 3;
    QTest::newRow("finished, computer")
        << PC << int(gpFinished) << 0 << 0 << 0 << 13 << QList<int>{} << backToTitle << 0 << 0 << 0;

    QTest::newRow("two at one, fleet incomplete")
        << TwoAtOne << int(gpPlacing1) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 1 << 0 << 0;
    QTest::newRow("two at one, first placer done")
        << TwoAtOne << int(gpPlaced1) << 0 << 0 << 0 << 13 << QList<int>{}
        << QStringList{status + "Bert, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein "
                                "sollen.",
                       "draw present", "info"}
        << 3 << 1 << 0;
    QTest::newRow("two at one, second placer incomplete")
        << TwoAtOne << int(gpPlacing2) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 3 << 0 << 0;
    QTest::newRow("two at one, second placer done")
        << TwoAtOne << int(gpPlaced2) << 0 << 0 << 0 << 13 << QList<int>{} << QStringList{"DXTimer on"} << 5
        << 0 << 0;
    QTest::newRow("two at one, firing") << TwoAtOne << int(gpFiring) << 0 << 0 << 0 << 13 << QList<int>{}
                                        << QStringList{"DXTimer on"} << 5 << 0 << 0;

    QTest::newRow("computer, incomplete")
        << PC << int(gpPlacing1) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 1 << 0 << 0;
    QTest::newRow("computer, phase 4")
        << PC << int(gpPlaced2) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 4 << 0 << 0;
    QTest::newRow("computer, firing")
        << PC << int(gpFiring) << 0 << 0 << 0 << 13 << QList<int>{} << nothing << 5 << 0 << 0;
    QTest::newRow("computer begins") << PC << int(gpPlaced1) << 0 << 0 << 0 << 13 << QList<int>{1}
                                     << QStringList{"DXTimer_Computer on", "draw present",
                                                    status + "Computer ist an der Reihe." + kAllMissing,
                                                    "info"}
                                     << 5 << 1 << 0;
    QTest::newRow("human begins") << PC << int(gpPlaced1) << 0 << 0 << 0 << 13 << QList<int>{0}
                                  << QStringList{"draw present",
                                                 status + "Sie sind an der Reihe." + kAllMissing, "info"}
                                  << 5 << 0 << 0;

    QTest::newRow("host first") << Net << int(gpPlaced1) << 0 << 0 << 0 << 13 << QList<int>{1}
                                << QStringList{"send " + hostFleet + "1",
                                               status + "Warten Sie, bis Bert die Schiffe aufgestellt hat.",
                                               "draw present"}
                                << 2 << 1 << 1;
    QTest::newRow("host second") << Net << int(gpPlaced1) << 2 << 0 << 0 << 13 << QList<int>{0}
                                 << QStringList{"send " + hostFleet + "0",
                                                status + "Sie sind an der Reihe." + kAllMissing,
                                                "draw present"}
                                 << 5 << 0 << 3;
    QTest::newRow("host second, guest begins")
        << Net << int(gpPlaced2) << 2 << 0 << 0 << 13 << QList<int>{1}
        << QStringList{"send " + hostFleet + "1", status + "Bert ist an der Reihe." + kAllMissing,
                       "draw present"}
        << 5 << 1 << 3;
    QTest::newRow("guest first") << Net << int(gpPlaced1) << 0 << 1 << 0 << 13 << QList<int>{}
                                 << QStringList{"send " + guestFleet,
                                                status + "Warten Sie, bis Anna die Schiffe aufgestellt hat.",
                                                "draw present"}
                                 << 2 << 1 << 1;
    QTest::newRow("guest second, host begins")
        << Net << int(gpPlaced1) << 2 << 1 << 0 << 13 << QList<int>{}
        << QStringList{"send " + guestFleet, status + "Anna ist an der Reihe." + kAllMissing, "draw present"}
        << 5 << 0 << 3;
    QTest::newRow("guest second, guest begins")
        << Net << int(gpPlaced1) << 2 << 1 << 1 << 13 << QList<int>{}
        << QStringList{"send " + guestFleet, status + "Sie sind an der Reihe." + kAllMissing, "draw present"}
        << 5 << 1 << 3;
    QTest::newRow("fleet already sent")
        << Net << int(gpPlaced1) << 1 << 0 << 0 << 13 << QList<int>{} << nothing << 2 << 0 << 1;
    QTest::newRow("network, incomplete")
        << Net << int(gpPlacing1) << 2 << 0 << 0 << 13 << QList<int>{} << nothing << 1 << 0 << 2;
    QTest::newRow("network, firing") << Net << int(gpFiring) << 3 << 0 << 0 << 13 << QList<int>{} << nothing
                                     << 5 << 0 << 3;
}

void tst_gameflow::enterKey()
{
    QFETCH(int, mode);
    QFETCH(int, phase);
    QFETCH(int, placementDone);
    QFETCH(int, local);
    QFETCH(int, netStart);
    QFETCH(int, key);
    QFETCH(QList<int>, script);
    QFETCH(QStringList, log);
    QFETCH(int, phaseAfter);
    QFETCH(int, currentAfter);
    QFETCH(int, placementDoneAfter);

    TestGame t;
    Game &g = t.game;
    g.st.GameMode = GameModeT(mode);
    g.st.GamePhase = phase;
    g.st.PlacementDone = placementDone;
    g.st.LocalPlayer = local;
    g.st.CurrentPlayer = mode == gmTwoAtTwo ? local : 0;
    g.st.NetStartPlayer = netStart;
    g.st.ChangingTime = 5;
    g.st.PlayerNames = {QStringLiteral("Anna"),
                        mode == gmPCMode ? QStringLiteral("Computer") : QStringLiteral("Bert")};
    g.st.PlayField[0] = GridFromRows(StandardFleetRows());
    g.st.PlayField[1] = GridFromRows({"..........", "..........", "#.#.#.#.#.", "..........", "##.##.##..",
                                      "..........", "###.###...", "..........", "####......", ".........."});
    for (int v : script)
        t.rng.push(v);

    g.FormKeyPress(key);

    QCOMPARE(t.fx.log, log);
    QCOMPARE(g.st.GamePhase, phaseAfter);
    QCOMPARE(g.st.CurrentPlayer, currentAfter);
    QCOMPARE(g.st.PlacementDone, placementDoneAfter);
    QCOMPARE(int(t.rng.log.size()), int(script.size()));
    if (log.contains(QStringLiteral("DXTimer on"))) {
        // The countdown starts from ChangingTime; its first frame comes a
        // second later.
        QCOMPARE(g.DXTimer.Tag, 5);
        QCOMPARE(g.DXTimer.Interval(), 1000);
    }
}

void tst_gameflow::countdownAfterAMiss_data()
{
    QTest::addColumn<int>("changingTime");
    QTest::newRow("change-over 1 s") << 2;
    QTest::newRow("change-over 3 s") << 4;
    QTest::newRow("change-over 20 s") << 21;
    QTest::newRow("ChangingTime 1: no countdown") << 1;
}

void tst_gameflow::countdownAfterAMiss()
{
    QFETCH(int, changingTime);
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.GamePhase = gpFiring;
    g.st.ChangingTime = changingTime;
    g.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    g.st.PlayField[1] = GridFromRows(StandardFleetRows());

    click(g, {9, 9});
    const int n = changingTime - 1;
    QStringList expected{"send 99", "sound 1", "status Anna ist an der Reihe." + kAllMissing, "info",
                         "DXTimer on"};
    if (n >= 1)
        expected << QStringLiteral("countdown %1").arg(n);
    else
        expected << "DXTimer off"
                 << "status Bert ist an der Reihe." + kAllMissing << "draw present"
                 << "info";
    QCOMPARE(t.fx.log, expected);
    // n, n - 1, ..., 1, one per second, the first at once; the hand-over n
    // seconds after the miss.
    for (int shown = n - 1; shown >= 0; --shown) {
        t.fx.clear();
        QCOMPARE(t.run(999), 0);
        QCOMPARE(g.st.CurrentPlayer, 0);
        QCOMPARE(t.run(1), 1);
        if (shown >= 1)
            QCOMPARE(t.fx.log, QStringList{QStringLiteral("countdown %1").arg(shown)});
    }
    if (n >= 1)
        QCOMPARE(t.fx.log, (QStringList{"DXTimer off", "status Bert ist an der Reihe." + kAllMissing,
                                        "draw present", "info"}));
    QCOMPARE(g.st.CurrentPlayer, 1);
    QVERIFY(!g.DXTimer.Enabled());
    QCOMPARE(g.DXTimer.Tag, std::min(changingTime, 1));
    // Clicks during the countdown were impossible; now Bert may fire.
    click(g, {0, 0});
    QCOMPARE(g.st.Tries[1], 1);
}

void tst_gameflow::enterDuringACountdownStartsItAgain()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.GamePhase = gpPlaced2;
    g.st.ChangingTime = 4;
    g.FormKeyPress(13);
    t.run(2000);
    QCOMPARE(t.fx.only("countdown"), (QStringList{"countdown 3", "countdown 2"}));
    t.run(500);
    g.FormKeyPress(13); // counter back to 4; the running interval goes on
    t.fx.clear();
    t.run(500);
    QCOMPARE(t.fx.log, QStringList{"countdown 3"});
    t.run(2000);
    QCOMPARE(t.fx.only("countdown"), (QStringList{"countdown 3", "countdown 2", "countdown 1"}));
    QVERIFY(g.DXTimer.Enabled());
    t.run(1000);
    QVERIFY(!g.DXTimer.Enabled());
}

void tst_gameflow::countdownWaitsInTheBackground()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.GamePhase = gpPlaced2;
    g.st.ChangingTime = 3;
    g.FormKeyPress(13);
    t.run(1000);
    QCOMPARE(t.fx.only("countdown"), QStringList{"countdown 2"});
    g.timers.setApplicationActive(false);
    t.run(60000, 100);
    QCOMPARE(t.fx.only("countdown"), QStringList{"countdown 2"});
    QCOMPARE(g.st.CurrentPlayer, 0);
    g.timers.setApplicationActive(true);
    t.run(1);
    QCOMPARE(t.fx.only("countdown"), (QStringList{"countdown 2", "countdown 1"}));
}

void tst_gameflow::abandonGame()
{
    TestGame t(true);
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.GamePhase = gpFiring;
    g.st.ChangingTime = 6;
    g.DXTimer_Info.enable();
    g.DXTimer_Computer.enable();
    // Cut a countdown short during a victory pause's interval.
    g.DXTimer.setInterval(2000);
    g.DXTimer.Tag = 6;
    g.DXTimer.enable();
    t.fx.clear();
    const Grid fleet = GridFromRows(StandardFleetRows());
    g.st.PlayField[0] = fleet;
    g.st.Tries = {3, 4};

    QVERIFY(g.GameRunning());
    g.AbandonGame();

    QCOMPARE(t.fx.log, (QStringList{"DXTimer off", "DXTimer_Computer off", "DXTimer_Info off",
                                    "status " + Texts::InfoText(0), "draw present"}));
    QCOMPARE(g.st.GamePhase, int(gpNoGame));
    QVERIFY(!g.GameRunning());
    QCOMPARE(g.timers.polled(), nullptr);
    // Grids and counters stay until the next game starts.
    QVERIFY(g.st.PlayField[0] == fleet);
    QCOMPARE(g.st.Tries[1], 4);
    // The next game's victory pause hands over at its first tick.
    QCOMPARE(g.DXTimer.Interval(), 1000);
    QVERIFY(g.DXTimer.Tag <= 1);
}

void tst_gameflow::lateTickAfterTheEndHandsNothingOver()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtTwo;
    g.st.GamePhase = gpFiring;
    g.DXTimer.setInterval(2000);
    g.DXTimer.enable();
    // The peer's finishing shot arrived during the pause.
    g.st.GamePhase = gpFinished;
    t.fx.clear();
    t.run(2000);
    QCOMPARE(t.fx.log, QStringList{"DXTimer off"});
    QCOMPARE(g.st.GamePhase, int(gpFinished));
    QCOMPARE(g.st.CurrentPlayer, 0);
    QCOMPARE(g.DXTimer.Interval(), 1000);
}

void tst_gameflow::wholeGameTwoAtOne()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    g.st.ChangingTime = 3; // a change-over of 2 s
    t.rng.push(1);
    g.StartGame();
    QCOMPARE(g.st.CurrentPlayer, 1); // Bert places first

    // Bert builds his fleet cell by cell.
    for (const CellPos &c : ShipCells(GridFromRows(StandardFleetRows())))
        click(g, c, false);
    QCOMPARE(g.st.GamePhase, int(gpPlaced1));
    QCOMPARE(t.fx.status, Texts::InfoText(2));
    QVERIFY(t.fx.only("balloon").isEmpty());
    g.FormKeyPress(13);
    QCOMPARE(g.st.GamePhase, int(gpPlacing2));
    QCOMPARE(
        t.fx.status,
        QStringLiteral("Anna, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."));
    QVERIFY(g.st.PlayField[0] == Grid{});
    g.MenuItem_SetShipsAutomaticallyClick();
    QCOMPARE(g.st.GamePhase, int(gpPlaced2));
    t.fx.clear();
    g.FormKeyPress(13);
    QCOMPARE(t.fx.log, QStringList{"DXTimer on"});
    QCOMPARE(t.run(1000), 1);
    QCOMPARE(t.fx.log.last(), QStringLiteral("countdown 2"));
    t.run(1000);
    QCOMPARE(t.fx.log.last(), QStringLiteral("countdown 1"));
    t.run(1000);
    QCOMPARE(g.st.CurrentPlayer, 1); // the first placer fires first
    QCOMPARE(t.fx.status, "Bert ist an der Reihe." + kAllMissing);

    // Bert: two hits, then a miss and the countdown.
    const QList<CellPos> annasShips = ShipCells(g.st.PlayField[0]);
    const QList<CellPos> annasWater = waterCells(g.st.PlayField[0]);
    click(g, annasShips[0]);
    click(g, annasShips[1]);
    t.fx.clear();
    click(g, annasWater[0]);
    QCOMPARE(t.fx.log.last(), QStringLiteral("countdown 2"));
    click(g, annasShips[2]); // ignored during the countdown
    QCOMPARE(g.st.Tries[1], 3);
    t.run(2000);
    QCOMPARE(g.st.CurrentPlayer, 0);
    QCOMPARE(g.st.LastShot[1], annasWater[0]);

    // Anna finds Bert's whole fleet without a miss.
    const QList<CellPos> bertsShips = ShipCells(g.st.PlayField[1]);
    for (int i = 0; i < bertsShips.size() - 1; ++i)
        click(g, bertsShips[i]);
    t.fx.clear();
    click(g, bertsShips.last());
    QCOMPARE(t.fx.log, QStringList{sendLine(bertsShips.last())} +
                           firstFinisherLog("Anna hat alle Schiffe von Bert gefunden."));
    QCOMPARE(g.st.Winner, 0);
    click(g, annasWater[1]); // ignored during the victory screen
    QCOMPARE(g.st.Tries[0], 20);
    QCOMPARE(t.run(1999), 0);
    QCOMPARE(t.run(1), 1);
    QCOMPARE(g.st.CurrentPlayer, 1);
    QVERIFY(t.fx.status.startsWith(QStringLiteral("Bert ist an der Reihe. Es fehlen: ")));

    // Bert fires alone: a miss keeps the turn, no countdown.
    t.fx.clear();
    click(g, annasWater[1]);
    QCOMPARE(g.st.CurrentPlayer, 1);
    QVERIFY(!g.DXTimer.Enabled());
    QVERIFY(t.fx.only("countdown").isEmpty());
    for (int i = 2; i < annasShips.size() - 1; ++i)
        click(g, annasShips[i]);
    t.fx.clear();
    click(g, annasShips.last());
    QCOMPARE(t.fx.log, QStringList{sendLine(annasShips.last())} +
                           secondFinisherLog("Bert hat alle Schiffe von Anna gefunden."));
    QCOMPARE(g.st.GamePhase, int(gpFinished));
    QCOMPARE(g.st.Winner, 1);
    QCOMPARE(g.st.Tries[1], 22);
    QCOMPARE(g.HitRatio(1), std::optional<int>(91)); // 20 of 22
    QCOMPARE(g.HitRatio(0), std::optional<int>(100));

    t.fx.clear();
    g.FormKeyPress(13);
    QCOMPARE(g.st.GamePhase, int(gpNoGame));
    QCOMPARE(t.fx.log, (QStringList{"status " + Texts::InfoText(0), "draw present", "DXTimer_Info on"}));
    t.fx.clear();
    g.FormKeyPress(13);
    QCOMPARE(t.fx.log, QStringList{});
}

void tst_gameflow::wholeGameComputerFinishesFirst()
{
    TestGame t;
    Game &g = t.game;
    ScriptedComputer computer(g);
    g.st.GameMode = gmPCMode;
    g.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
    g.st.ChangingTime = 2;
    g.StartGame();
    QCOMPARE(g.DXTimer_Computer.Interval(), 2000);
    g.MenuItem_SetShipsAutomaticallyClick();
    QCOMPARE(g.st.GamePhase, int(gpPlaced1));
    const QList<CellPos> annasShips = ShipCells(g.st.PlayField[0]);
    const QList<CellPos> annasWater = waterCells(g.st.PlayField[0]);
    const QList<CellPos> computersShips = ShipCells(g.st.PlayField[1]);
    const QList<CellPos> computersWater = waterCells(g.st.PlayField[1]);
    computer.shots << annasWater[0] << annasShips;

    t.rng.push(1); // the computer begins
    g.FormKeyPress(13);
    QVERIFY(g.DXTimer_Computer.Enabled());
    // Its first shot comes one think time later: a miss, the turn passes and
    // its timer stays off.
    QCOMPARE(t.run(1999), 0);
    t.fx.clear();
    QCOMPARE(t.run(1), 1);
    QCOMPARE(t.fx.log, (QStringList{"DXTimer_Computer off", "sound 1",
                                    "status Sie sind an der Reihe." + kAllMissing, "draw present", "info"}));
    QCOMPARE(g.st.LastShot[0], annasWater[0]);
    QCOMPARE(t.run(10000, 10), 0);

    // Anna: five hits, then a miss gives the turn to the computer.
    for (int i = 0; i < 5; ++i)
        click(g, computersShips[i]);
    t.fx.clear();
    click(g, computersWater[0]);
    QCOMPARE(t.fx.log,
             (QStringList{sendLine(computersWater[0]), "sound 1", "DXTimer_Computer on",
                          "status Computer ist an der Reihe." + kAllMissing, "draw present", "info"}));
    QCOMPARE(g.st.LastShot[0], annasWater[0]); // the human's own shots are not marked
    click(g, computersShips[5]);               // not Anna's turn
    QCOMPARE(g.st.Tries[0], 6);

    // The computer hits 19 times, one think time apart.
    for (int i = 0; i < 19; ++i) {
        QCOMPARE(t.run(1999, 1), 0);
        QCOMPARE(t.run(1), 1);
        QCOMPARE(g.st.ComputerLastHit, annasShips[i]);
        QCOMPARE(g.st.CurrentPlayer, 1);
    }
    // Its winning shot starts the victory pause, which silences its timer.
    t.fx.clear();
    t.run(2000);
    QCOMPARE(t.fx.log, QStringList{"DXTimer_Computer off"} +
                           firstFinisherLog("Computer hat alle Ihre Schiffe gefunden.", true));
    QCOMPARE(computer.ticks, 21);
    QVERIFY(g.DXTimer_Computer.Enabled());
    QCOMPARE(g.timers.polled(), &g.DXTimer);
    t.fx.clear();
    t.run(2000);
    QCOMPARE(computer.ticks, 21);
    QCOMPARE(t.fx.log.size(), 5);
    QCOMPARE(t.fx.log.mid(0, 2), (QStringList{"DXTimer off", "DXTimer_Computer off"}));
    QVERIFY(t.fx.log[2].startsWith(QStringLiteral("status Sie sind an der Reihe. Es fehlen: ")));
    QCOMPARE(t.fx.log.mid(3), (QStringList{"draw present", "info"}));
    QCOMPARE(g.st.CurrentPlayer, 0);
    QCOMPARE(t.run(10000, 10), 0);

    // Anna fires alone; a miss keeps the turn.
    click(g, computersWater[1]);
    QCOMPARE(g.st.CurrentPlayer, 0);
    for (int i = 5; i < computersShips.size() - 1; ++i)
        click(g, computersShips[i]);
    t.fx.clear();
    click(g, computersShips.last());
    QStringList expected = secondFinisherLog("Sie haben alle Schiffe von Computer gefunden.");
    expected.prepend(sendLine(computersShips.last()));
    QCOMPARE(t.fx.log, expected);
    QCOMPARE(g.st.GamePhase, int(gpFinished));
    QCOMPARE(g.timers.polled(), nullptr);
    QCOMPARE(g.st.Tries[0], 22);
    QCOMPARE(g.st.Tries[1], 21);
    QCOMPARE(t.run(10000, 10), 0);
}

void tst_gameflow::wholeGameHumanFinishesFirst()
{
    TestGame t;
    Game &g = t.game;
    ScriptedComputer computer(g);
    g.st.GameMode = gmPCMode;
    g.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
    g.st.ChangingTime = 1;
    g.StartGame();
    g.MenuItem_SetShipsAutomaticallyClick();
    const QList<CellPos> annasShips = ShipCells(g.st.PlayField[0]);
    const QList<CellPos> annasWater = waterCells(g.st.PlayField[0]);
    const QList<CellPos> computersShips = ShipCells(g.st.PlayField[1]);
    // After Anna has finished the computer keeps firing, misses included.
    computer.shots << annasWater[0] << annasWater[1] << annasShips;

    t.rng.push(0);
    g.FormKeyPress(13);
    QVERIFY(!g.DXTimer_Computer.Enabled());
    for (int i = 0; i < computersShips.size() - 1; ++i)
        click(g, computersShips[i]);
    t.fx.clear();
    click(g, computersShips.last());
    QStringList expected = firstFinisherLog("Sie haben alle Schiffe von Computer gefunden.");
    expected.prepend(sendLine(computersShips.last()));
    QCOMPARE(t.fx.log, expected);
    t.fx.clear();
    t.run(2000);
    QCOMPARE(t.fx.log,
             (QStringList{"DXTimer off", "DXTimer_Computer on",
                          "status Computer ist an der Reihe." + kAllMissing, "draw present", "info"}));
    QCOMPARE(g.timers.polled(), &g.DXTimer_Computer);
    // 22 shots, one a second, and the game is over.
    QCOMPARE(t.run(21000), 21);
    QCOMPARE(g.st.GamePhase, int(gpFiring));
    QCOMPARE(g.st.CurrentPlayer, 1);
    t.fx.clear();
    QCOMPARE(t.run(1000), 1);
    QCOMPARE(t.fx.log, secondFinisherLog("Computer hat alle Ihre Schiffe gefunden.", true));
    QCOMPARE(g.st.GamePhase, int(gpFinished));
    QVERIFY(!g.DXTimer_Computer.Enabled());
    QCOMPARE(t.run(10000, 10), 0);
    QCOMPARE(computer.ticks, 22);
}

namespace {

// Two engines joined by a test-local stand-in for the network messages:
// names and "%GO%" are left out, fleets and shots are delivered as the
// receiving side would take them.
struct NetSide : TestGame {
    explicit NetSide(int local)
    {
        game.st.GameMode = gmTwoAtTwo;
        game.st.LocalPlayer = local;
        game.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    }
    void receive(const QString &text)
    {
        GameState &st = game.st;
        if (st.GamePhase >= gpPlacing1 && st.GamePhase <= gpPlaced2) {
            for (int k = 0; k < 100; ++k)
                st.PlayField[st.LocalPlayer ^ 1].at(k % 10, k / 10) = std::uint8_t(text[k].digitValue());
            if (st.LocalPlayer == 1)
                st.NetStartPlayer = text[100] == u'1' ? 1 : 0;
            if (st.PlacementDone == 0) {
                st.PlacementDone = pdRemote;
            } else if (st.PlacementDone == pdLocal) {
                st.PlacementDone = pdLocal | pdRemote;
                st.GamePhase = gpFiring;
                if (st.LocalPlayer == 1)
                    st.CurrentPlayer = st.NetStartPlayer;
                game.SetInfoLabelCaption();
                game.DrawScreen(true);
            }
        } else if (st.GamePhase == gpFiring) {
            game.ClickControlField(text[0].digitValue(), text[1].digitValue());
        }
    }
};

} // namespace

void tst_gameflow::wholeGameNetwork()
{
    NetSide host(0), guest(1);
    // Every message goes across once the action that sent it has ended.
    QStringList hostSent, guestSent;
    auto pump = [&] {
        const QStringList h = host.fx.only(QStringLiteral("send "));
        const QStringList gs = guest.fx.only(QStringLiteral("send "));
        for (int i = hostSent.size(); i < h.size(); ++i) {
            hostSent << h[i];
            guest.receive(h[i].mid(5));
        }
        for (int i = guestSent.size(); i < gs.size(); ++i) {
            guestSent << gs[i];
            host.receive(gs[i].mid(5));
        }
    };
    host.game.StartGame();
    guest.game.StartGame();
    QCOMPARE(host.game.st.CurrentPlayer, 0);
    QCOMPARE(guest.game.st.CurrentPlayer, 1);
    host.game.MenuItem_SetShipsAutomaticallyClick();
    for (int i = 0; i < 5; ++i) // not the host's fleet again
        guest.rng.random(7);
    guest.game.MenuItem_SetShipsAutomaticallyClick();
    QVERIFY(guest.game.st.PlayField[1] != host.game.st.PlayField[0]);

    // The guest confirms first and waits; its fleet can no longer change.
    guest.game.FormKeyPress(13);
    pump();
    QCOMPARE(guest.fx.status, QStringLiteral("Warten Sie, bis Anna die Schiffe aufgestellt hat."));
    QCOMPARE(guestSent.first().size(), 5 + 100);
    QVERIFY(!guest.game.PlacementItemsVisible());
    QCOMPARE(host.game.st.PlacementDone, pdRemote);
    const Grid guestFleet = guest.game.st.PlayField[1];
    guest.game.DXDrawMouseDown(MouseButton::Right, 60, 100);
    QVERIFY(guest.game.st.PlayField[1] == guestFleet);

    // The host confirms; its draw (the guest begins) decides on both sides.
    host.rng.push(1);
    host.game.FormKeyPress(13);
    pump();
    QCOMPARE(hostSent.first().size(), 5 + 101);
    QVERIFY(hostSent.first().endsWith(u'1'));
    for (NetSide *s : {&host, &guest}) {
        QCOMPARE(s->game.st.GamePhase, int(gpFiring));
        QCOMPARE(s->game.st.PlacementDone, pdLocal | pdRemote);
        QCOMPARE(s->game.st.CurrentPlayer, 1);
        QVERIFY(s->game.st.PlayField == host.game.st.PlayField);
    }
    QCOMPARE(host.fx.status, "Bert ist an der Reihe." + kAllMissing);
    QCOMPARE(guest.fx.status, "Sie sind an der Reihe." + kAllMissing);

    // The host cannot fire in the guest's turn.
    click(host.game, {0, 0});
    QCOMPARE(host.game.st.Tries[0], 0);

    // The guest hits once and misses; the turn passes on both sides.
    const QList<CellPos> hostShips = ShipCells(host.game.st.PlayField[0]);
    const QList<CellPos> hostWater = waterCells(host.game.st.PlayField[0]);
    click(guest.game, hostShips[0]);
    pump();
    click(guest.game, hostWater[0]);
    pump();
    for (NetSide *s : {&host, &guest})
        QCOMPARE(s->game.st.CurrentPlayer, 0);
    QCOMPARE(host.game.st.LastShot[0], hostWater[0]); // the peer's shot is marked
    QCOMPARE(guest.game.st.LastShot[0], NoCell);

    // The host finds everything.
    const QList<CellPos> guestShips = ShipCells(guestFleet);
    for (int i = 0; i < guestShips.size() - 1; ++i) {
        click(host.game, guestShips[i]);
        pump();
    }
    // (the logs are never cleared here: the pump reads the sent lines from them)
    qsizetype hostMark = host.fx.log.size(), guestMark = guest.fx.log.size();
    click(host.game, guestShips.last());
    pump();
    QStringList hostLog = firstFinisherLog("Sie haben alle Schiffe von Bert gefunden.");
    hostLog.prepend(sendLine(guestShips.last()));
    QCOMPARE(host.fx.log.mid(hostMark), hostLog);
    QCOMPARE(guest.fx.log.mid(guestMark), firstFinisherLog("Anna hat alle Ihre Schiffe gefunden."));
    for (NetSide *s : {&host, &guest}) {
        QCOMPARE(s->game.st.Winner, 0);
        QCOMPARE(s->run(2000), 1);
        QCOMPARE(s->game.st.CurrentPlayer, 1);
    }

    // The guest fires alone to the end; both sides close.
    click(guest.game, hostWater[1]);
    pump();
    for (int i = 1; i < hostShips.size() - 1; ++i) {
        click(guest.game, hostShips[i]);
        pump();
    }
    hostMark = host.fx.log.size();
    guestMark = guest.fx.log.size();
    click(guest.game, hostShips.last());
    pump();
    QCOMPARE(host.fx.log.mid(hostMark), secondFinisherLog("Bert hat alle Ihre Schiffe gefunden."));
    QCOMPARE(guest.fx.log.mid(guestMark), QStringList{sendLine(hostShips.last())} +
                                              secondFinisherLog("Sie haben alle Schiffe von Anna gefunden."));
    for (NetSide *s : {&host, &guest}) {
        QCOMPARE(s->game.st.GamePhase, int(gpFinished));
        QCOMPARE(s->game.st.Winner, 1);
        QVERIFY(s->game.st.ControlField == host.game.st.ControlField);
        QVERIFY(s->game.st.PlayField == host.game.st.PlayField);
        QCOMPARE(s->game.st.Tries, (std::array<int, 2>{20, 22}));
    }
}

QTEST_GUILESS_MAIN(tst_gameflow)
#include "tst_gameflow.moc"
