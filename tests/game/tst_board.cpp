#include "game/Format.h"
#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

#include <climits>

// The game state and the board model: ship lengths, ship counts, the reset
// of a new game, the text table and the formatter.
class tst_board : public QObject {
    Q_OBJECT
private slots:
    void getShipLength_data();
    void getShipLength();
    void getShipLengthWholeShip();
    void countShips_data();
    void countShips();
    void damagedRingChangesNothing();
    void startGame_data();
    void startGame();
    void startGameKeepsNamesAndOtherTimers();
    void infoTexts_data();
    void infoTexts();
    void fixedTexts();
    void formatText_data();
    void formatText();
    void fleetDigits();
};

void tst_board::getShipLength_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("length");

    const QStringList fleet = StandardFleetRows();
    QTest::newRow("water") << fleet << 4 << 0 << 0;
    QTest::newRow("4 left end") << fleet << 0 << 0 << 4;
    QTest::newRow("4 inner") << fleet << 2 << 0 << 4;
    QTest::newRow("4 right end") << fleet << 3 << 0 << 4;
    QTest::newRow("3 middle") << fleet << 6 << 0 << 3;
    QTest::newRow("2 at x=8") << fleet << 8 << 2 << 2;
    QTest::newRow("1 on left edge") << fleet << 0 << 6 << 1;
    const QStringList edges = {"......####", "..........", ".........#", "#........#", "#........#",
                               "#.........", "..........", "..........", "#.........", "####....##"};
    QTest::newRow("top edge, right corner") << edges << 6 << 0 << 4;
    QTest::newRow("right edge vertical") << edges << 9 << 3 << 3;
    QTest::newRow("left edge vertical") << edges << 0 << 4 << 3;
    QTest::newRow("bottom left corner L junk") << edges << 0 << 9 << 2;
    QTest::newRow("bottom edge from inside") << edges << 3 << 9 << 4;
    QTest::newRow("bottom right corner") << edges << 9 << 9 << 2;
    const QStringList diag = {"#.........", ".#........", "..#.......", "..........", "..........",
                              "..........", "..........", "..........", "..........", ".........."};
    QTest::newRow("corner touch is no ship") << diag << 1 << 1 << 1;
    const QStringList codes = {"2332......", "..........", "1.........", "..........", "..........",
                               "..........", "..........", "..........", "..........", ".........."};
    QTest::newRow("hit parts count") << codes << 3 << 0 << 4;
    QTest::newRow("code 1 is no ship, but not 0") << codes << 0 << 2 << 1;
    const QStringList longRun = {"..........", "######....", "..........", "..........", "..........",
                                 "..........", "..........", "..........", "..........", "##########"};
    QTest::newRow("run of 6") << longRun << 5 << 1 << 6;
    QTest::newRow("full row") << longRun << 9 << 9 << 10;
    QTest::newRow("off the field left") << fleet << -1 << 0 << 0;
    QTest::newRow("off the field below") << fleet << 0 << 10 << 0;
    QTest::newRow("far off") << fleet << INT_MIN << INT_MAX << 0;
}

void tst_board::getShipLength()
{
    QFETCH(QStringList, rows);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, length);
    QCOMPARE(Game::GetShipLength(GridFromRows(rows), x, y), length);
}

// Every cell of every ship of a random fleet gives that ship's length.
void tst_board::getShipLengthWholeShip()
{
    for (unsigned seed = 1; seed <= 50; ++seed) {
        ClockSeededRandom rng(seed);
        Grid g;
        Game::PlaceShipsRandomly(g, rng);
        int sum = 0;
        for (const CellPos &c : ShipCells(g))
            sum += Game::GetShipLength(g, c.x, c.y);
        // 4*4 + 2*3*3 + 3*2*2 + 4*1*1
        QCOMPARE(sum, 16 + 18 + 12 + 4);
    }
}

void tst_board::countShips_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QList<int>>("counts");

    const QStringList empty;
    QTest::newRow("empty") << empty << 0 << QList<int>{0, 0, 0, 0};
    QTest::newRow("fleet") << StandardFleetRows() << 0 << QList<int>{4, 3, 2, 1};
    QTest::newRow("fleet, sunk only") << StandardFleetRows() << 1 << QList<int>{0, 0, 0, 0};
    // Two hit parts of a ship (not sunk) at the top left and at the left
    // edge, a sunk 1 and a sunk 3.
    const QStringList partly = {"22.3......", "..........", "333.......", "..........", "..........",
                                "..........", "..........", "2.........", "2.........", ".........."};
    QTest::newRow("control, sunk") << partly << 1 << QList<int>{1, 0, 1, 0};
    QTest::newRow("control, all found parts") << partly << 0 << QList<int>{1, 2, 1, 0};
    const QStringList sunk3 = {"..........", "..........", "..........", "..........", "....333...",
                               "..........", "..........", "..........", "..........", ".........."};
    QTest::newRow("control, 3 sunk") << sunk3 << 1 << QList<int>{0, 0, 1, 0};
    const QStringList sunkFirstHitLater = {"32........", "..........", "..........", "..........",
                                           "..........", "..........", "..........", "..........",
                                           "..........", ".........."};
    QTest::newRow("start cell decides") << sunkFirstHitLater << 1 << QList<int>{0, 1, 0, 0};
    const QStringList longRuns = {"#####.##..", "..........", "##########", "..........", "#.........",
                                  "#.........", "#.........", "#.........", "#.........", "#........."};
    QTest::newRow("runs longer than 4 not counted") << longRuns << 0 << QList<int>{0, 1, 0, 0};
    QStringList full;
    for (int i = 0; i < 10; ++i)
        full << "##########";
    QTest::newRow("all ships") << full << 0 << QList<int>{0, 0, 0, 0};
    QStringList checker;
    for (int y = 0; y < 10; ++y)
        checker << (y % 2 ? ".#.#.#.#.#" : "#.#.#.#.#.");
    QTest::newRow("50 ships of 1") << checker << 0 << QList<int>{50, 0, 0, 0};
    QTest::newRow("huge threshold") << StandardFleetRows() << INT_MAX << QList<int>{0, 0, 0, 0};
    QTest::newRow("lowest threshold") << StandardFleetRows() << INT_MIN << QList<int>{0, 0, 0, 0};
}

void tst_board::countShips()
{
    QFETCH(QStringList, rows);
    QFETCH(int, threshold);
    QFETCH(QList<int>, counts);
    const ShipCounts got = Game::CountShips(GridFromRows(rows), threshold);
    QCOMPARE(got[0], 0); // the unused counter is never written
    QCOMPARE((QList<int>{got[1], got[2], got[3], got[4]}), counts);
}

// Whatever lands in the ring (only a careless write can put it there), ship
// lengths and counts read the ring as 0.
void tst_board::damagedRingChangesNothing()
{
    Grid g = GridFromRows(StandardFleetRows());
    for (int i = -1; i <= 10; ++i) {
        g.at(i, -1) = 2;
        g.at(i, 10) = 255;
        g.at(-1, i) = 3;
        g.at(10, i) = 2;
    }
    QCOMPARE(Game::GetShipLength(g, 0, 0), 4);
    QCOMPARE(Game::GetShipLength(g, 0, 6), 1);
    const ShipCounts counts = Game::CountShips(g, 0);
    QCOMPARE((QList<int>{counts[1], counts[2], counts[3], counts[4]}), (QList<int>{4, 3, 2, 1}));
    QVERIFY(Game::CanSetShipCell(g, 9, 9, true));
}

void tst_board::startGame_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("localPlayer");
    QTest::addColumn<QList<int>>("script");
    QTest::addColumn<int>("currentPlayer");

    QTest::newRow("two at one, 0 drawn") << int(gmTwoAtOne) << 0 << QList<int>{0} << 0;
    QTest::newRow("two at one, 1 drawn") << int(gmTwoAtOne) << 1 << QList<int>{1} << 1;
    QTest::newRow("network host") << int(gmTwoAtTwo) << 0 << QList<int>{} << 0;
    QTest::newRow("network guest") << int(gmTwoAtTwo) << 1 << QList<int>{} << 1;
    QTest::newRow("computer") << int(gmPCMode) << 1 << QList<int>{} << 0;
}

void tst_board::startGame()
{
    QFETCH(int, mode);
    QFETCH(int, localPlayer);
    QFETCH(QList<int>, script);
    QFETCH(int, currentPlayer);

    TestGame t;
    Game &g = t.game;
    GameState &st = g.st;
    // Leave everything a previous game could have left behind, the ring included.
    for (int p = 0; p < 2; ++p) {
        st.PlayField[p].cells.fill(3);
        st.ControlField[p].cells.fill(2);
        st.Tries[p] = 17;
        st.LastShot[p] = {4, 5};
    }
    st.GamePhase = gpFinished;
    st.PlacementDone = pdLocal | pdRemote;
    st.Winner = 1;
    st.ComputerLastHit = {2, 2};
    st.HoverCell = {3, 3};
    st.GameMode = GameModeT(mode);
    st.LocalPlayer = localPlayer;
    st.CurrentPlayer = 1 - currentPlayer;
    st.ChangingTime = 7;
    for (int v : script)
        t.rng.push(v);

    g.StartGame();

    QCOMPARE(st.GamePhase, int(gpPlacing1));
    QCOMPARE(st.PlacementDone, 0);
    QCOMPARE(st.CurrentPlayer, currentPlayer);
    QCOMPARE(st.Winner, -1);
    QCOMPARE(st.ComputerLastHit, NoCell);
    QCOMPARE(st.HoverCell, NoCell);
    QCOMPARE(st.LastShot[0], NoCell);
    QCOMPARE(st.LastShot[1], NoCell);
    QCOMPARE(st.Tries[0], 0);
    QCOMPARE(st.Tries[1], 0);
    QVERIFY(st.ControlField[0] == Grid{});
    QVERIFY(st.ControlField[1] == Grid{});
    QVERIFY(st.PlayField[0] == Grid{});
    if (mode == gmPCMode) {
        const Grid &fleet = st.PlayField[1];
        QVERIFY(Game::IsCompleteFleet(Game::CountShips(fleet, 0)));
        QCOMPARE(ShipCells(fleet).size(), 20);
        int nonZero = 0;
        for (auto c : fleet.cells) {
            QVERIFY(c == 0 || c == pfShip);
            nonZero += c != 0;
        }
        QCOMPARE(nonZero, 20); // nothing in the ring
        QCOMPARE(g.DXTimer_Computer.Interval(), 7000);
    } else {
        QVERIFY(st.PlayField[1] == Grid{});
        QCOMPARE(g.DXTimer_Computer.Interval(), 1000);
        QCOMPARE(int(t.rng.log.size()), int(script.size()));
    }
    // No drawing, no status, no timer switched.
    QCOMPARE(t.fx.log, QStringList{});
    QVERIFY(!g.DXTimer.Enabled() && !g.DXTimer_Computer.Enabled() && !g.DXTimer_Info.Enabled());
}

void tst_board::startGameKeepsNamesAndOtherTimers()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmPCMode;
    g.st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Computer")};
    g.st.ChangingTime = 3;
    g.DXTimer_Info.enable();
    g.DXTimer.setInterval(2000);
    t.fx.clear();
    g.StartGame();
    QCOMPARE(g.st.PlayerNames[0], QStringLiteral("Anna"));
    QCOMPARE(g.st.PlayerNames[1], QStringLiteral("Computer"));
    QVERIFY(g.DXTimer_Info.Enabled());
    QCOMPARE(g.DXTimer.Interval(), 2000);
    QCOMPARE(g.DXTimer_Computer.Interval(), 3000);
    QCOMPARE(t.fx.log, QStringList{});

    // A think time beyond reason does not overflow the interval.
    g.st.ChangingTime = INT_MAX;
    g.StartGame();
    QCOMPARE(g.DXTimer_Computer.Interval(), INT_MAX);
    g.st.ChangingTime = -5;
    g.StartGame();
    QCOMPARE(g.DXTimer_Computer.Interval(), 0);
}

void tst_board::infoTexts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    const char *texts[] = {
        "Beginnen Sie ein neues Spiel über den Menüpunkt Spiel/Neu (Strg+N).",
        "%s, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen.",
        "Alle benötigten Schiffe sind vorhanden. Drücken Sie die Eingabetaste zum Fortfahren.",
        "Augen zu,",
        "%s ist an der Reihe.",
        "%s hat alle Schiffe von %s gefunden.",
        "Herzlichen Glückwunsch,",
        "Alle Schiffe wurden gefunden!",
        "Das Spiel ist beendet.",
        "Warten Sie, bis %s die Schiffe aufgestellt hat.",
        "Sie sind an der Reihe.",
        "%s hat alle Ihre Schiffe gefunden.",
        "Sie haben alle Schiffe von %s gefunden.",
        "hat alle Schiffe gefunden.",
        "bisher %d ",
        "Versuche",
        "Versuch",
        "Trefferquote: %d%%",
        "Drücken Sie die Eingabetaste, um das Spiel zu beenden.",
    };
    for (int i = 0; i < 19; ++i)
        QTest::addRow("%d", i) << i << QString::fromUtf8(texts[i]);
}

void tst_board::infoTexts()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(Texts::InfoText(index), text);
}

void tst_board::fixedTexts()
{
    QCOMPARE(QString::fromUtf8(Texts::CaptionPlayField), QStringLiteral("Spielfeld"));
    QCOMPARE(QString::fromUtf8(Texts::CaptionControlField), QStringLiteral("Kontrollfeld"));
    QCOMPARE(QString::fromUtf8(Texts::NetStartWord), QStringLiteral("%GO%"));
    QCOMPARE(QString::fromUtf8(Texts::BalloonTitle), QStringLiteral("Ungültige Schiffposition"));
    QCOMPARE(
        Texts::BalloonText(),
        QStringLiteral("Hier kann kein Schiff platziert werden.\r\n\r\nBeachten Sie, dass sich die Schiffe "
                       "weder horizontal noch vertikal berühren dürfen."));
}

void tst_board::formatText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("result");

    QTest::newRow("name") << "%s ist an der Reihe." << QVariantList{"Anna"} << "Anna ist an der Reihe.";
    QTest::newRow("two names") << "%s hat alle Schiffe von %s gefunden." << QVariantList{"A", "B"}
                               << "A hat alle Schiffe von B gefunden.";
    QTest::newRow("percent") << "Trefferquote: %d%%" << QVariantList{38} << "Trefferquote: 38%";
    QTest::newRow("shot") << "%d%d" << QVariantList{3, 7} << "37";
    QTest::newRow("entry") << "%d %der, " << QVariantList{4, 1} << "4 1er, ";
    // A name is never read as a pattern.
    QTest::newRow("name with placeholders")
        << "%s ist an der Reihe." << QVariantList{"%s%d%%%n"} << "%s%d%%%n ist an der Reihe.";
    QTest::newRow("missing argument") << "%s und %s" << QVariantList{"A"} << "A und %s";
    QTest::newRow("other percent") << "100% %x %" << QVariantList{} << "100% %x %";
}

void tst_board::formatText()
{
    QFETCH(QString, pattern);
    QFETCH(QVariantList, args);
    QFETCH(QString, result);
    QString got;
    switch (args.size()) {
    case 0:
        got = FormatText(pattern, {});
        break;
    case 1:
        got = FormatText(pattern, {args[0]});
        break;
    default:
        got = FormatText(pattern, {args[0], args[1]});
        break;
    }
    QCOMPARE(got, result);
}

void tst_board::fleetDigits()
{
    QString expected;
    for (const QString &row : StandardFleetRows())
        expected += QString(row).replace(u'#', u'2').replace(u'.', u'0');
    QCOMPARE(Game::FleetDigits(GridFromRows(StandardFleetRows())), expected);
}

QTEST_GUILESS_MAIN(tst_board)
#include "tst_board.moc"
