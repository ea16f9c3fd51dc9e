#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

#include <algorithm>

// The fleet rules and placing ships: CanSetShipCell, random placement,
// clicks and drags on the left board, the two menu commands.
class tst_placement : public QObject {
    Q_OBJECT
private slots:
    void canSetShipCell_data();
    void canSetShipCell();
    void randomFleetIsAlwaysTheFleet();
    void randomDrawOrder();
    void randomPlacementOnCrowdedGridEnds();
    void mouseDown_data();
    void mouseDown();
    void clicksIgnored_data();
    void clicksIgnored();
    void leftDragStopsAtTheFifthCell();
    void rightDragClears();
    void hover();
    void menuCommands_data();
    void menuCommands();
    void placementItemsVisible_data();
    void placementItemsVisible();
};

namespace {

QStringList rowsWith(std::initializer_list<std::pair<int, QString>> lines)
{
    QStringList rows;
    for (int i = 0; i < 10; ++i)
        rows << "..........";
    for (const auto &[y, text] : lines)
        rows[y] = text;
    return rows;
}

// The orthogonally connected groups of ship cells must be straight runs of
// 1 to 4; returns their lengths, sorted descending, or {} if a group is bent.
QList<int> shipGroups(const Grid &g)
{
    QList<int> lengths;
    bool seen[10][10] = {};
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            if (g.at(x, y) < 2 || seen[x][y])
                continue;
            QList<CellPos> stack{{x, y}}, group;
            seen[x][y] = true;
            while (!stack.isEmpty()) {
                const CellPos c = stack.takeLast();
                group << c;
                const int d[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (const auto &o : d) {
                    const int nx = c.x + o[0], ny = c.y + o[1];
                    if (nx >= 0 && nx < 10 && ny >= 0 && ny < 10 && g.at(nx, ny) >= 2 && !seen[nx][ny]) {
                        seen[nx][ny] = true;
                        stack << CellPos{nx, ny};
                    }
                }
            }
            const bool row =
                std::all_of(group.begin(), group.end(), [&](CellPos c) { return c.y == group[0].y; });
            const bool col =
                std::all_of(group.begin(), group.end(), [&](CellPos c) { return c.x == group[0].x; });
            if (!(row || col) || group.size() > 4)
                return {};
            lengths << int(group.size());
        }
    }
    std::sort(lengths.begin(), lengths.end(), std::greater<>());
    return lengths;
}

const QString kEmptyStatus = QStringLiteral("status benötigt: 4 1er, 3 2er, 2 3er, 1 4er");

} // namespace

void tst_placement::canSetShipCell_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<bool>("tolerant");

    const QStringList empty = rowsWith({});
    QTest::newRow("free") << empty << 4 << 4 << true << true;
    QTest::newRow("corner cell") << empty << 0 << 0 << true << true;
    QTest::newRow("x = -1") << empty << -1 << 0 << false << false;
    QTest::newRow("x = 10") << empty << 10 << 0 << false << false;
    QTest::newRow("y = -1") << empty << 0 << -1 << false << false;
    QTest::newRow("y = 10") << empty << 0 << 10 << false << false;
    QTest::newRow("far off") << empty << INT_MAX << INT_MIN << false << false;

    const QStringList fleet = StandardFleetRows();
    QTest::newRow("occupied") << fleet << 0 << 0 << false << false;
    const QStringList shot = rowsWith({{3, "...1..3..."}});
    QTest::newRow("shot water is no free cell") << shot << 3 << 3 << false << false;
    QTest::newRow("beside shot water") << shot << 4 << 3 << true << true;
    QTest::newRow("beside a code 3") << shot << 5 << 3 << false << true;

    QTest::newRow("corner touch only") << rowsWith({{2, "...#......"}}) << 4 << 3 << true << true;
    QTest::newRow("beside a 1, left") << rowsWith({{2, "...#......"}}) << 4 << 2 << false << true;
    QTest::newRow("beside a 1, above") << rowsWith({{2, "...#......"}}) << 3 << 3 << false << true;
    QTest::newRow("extends a 3 to 4") << rowsWith({{5, "..###....."}}) << 5 << 5 << false << true;
    QTest::newRow("extends a 3 to 4, front") << rowsWith({{5, "..###....."}}) << 1 << 5 << false << true;
    QTest::newRow("fifth in line behind a 4") << rowsWith({{5, "..####...."}}) << 6 << 5 << false << false;
    QTest::newRow("fifth in line before a 4") << rowsWith({{5, "..####...."}}) << 1 << 5 << false << false;
    QTest::newRow("fifth in line, vertical")
        << rowsWith({{1, "....#....."}, {2, "....#....."}, {3, "....#....."}, {4, "....#....."}}) << 4 << 5
        << false << false;
    QTest::newRow("joins a 2 and a 1 into 4") << rowsWith({{7, "##.#......"}}) << 2 << 7 << false << true;
    QTest::newRow("joins two 2s into 5") << rowsWith({{7, "##.##....."}}) << 2 << 7 << false << false;
    QTest::newRow("joins above and below into 3")
        << rowsWith({{0, "........#."}, {2, "........#."}}) << 8 << 1 << false << true;
    QTest::newRow("joins along the right edge into 4")
        << rowsWith({{6, ".........#"}, {7, ".........#"}, {9, ".........#"}}) << 9 << 8 << false << true;
    QTest::newRow("corner: left and above")
        << rowsWith({{3, ".....#...."}, {4, "....#....."}}) << 5 << 4 << false << false;
    QTest::newRow("corner: above and right")
        << rowsWith({{3, ".....#...."}, {4, "......#..."}}) << 5 << 4 << false << false;
    QTest::newRow("three neighbours")
        << rowsWith({{3, ".....#...."}, {4, "....#.#..."}}) << 5 << 4 << false << false;
    QTest::newRow("four neighbours") << rowsWith({{3, ".....#...."}, {4, "....#.#..."}, {5, ".....#...."}})
                                     << 5 << 4 << false << false;
    // A neighbouring ship that runs across the line: an L or a T would form.
    QTest::newRow("L: vertical 2, click right of its lower end")
        << rowsWith({{2, "...#......"}, {3, "...#......"}}) << 4 << 3 << false << false;
    QTest::newRow("L: vertical 2, click left of its upper end")
        << rowsWith({{2, "...#......"}, {3, "...#......"}}) << 2 << 2 << false << false;
    QTest::newRow("L: horizontal 2, click below its right end")
        << rowsWith({{6, "..##......"}}) << 3 << 7 << false << false;
    QTest::newRow("L: horizontal 2, click above its left end")
        << rowsWith({{6, "..##......"}}) << 2 << 5 << false << false;
    QTest::newRow("T: click beside the middle of a vertical 3")
        << rowsWith({{2, "...#......"}, {3, "...#......"}, {4, "...#......"}}) << 4 << 3 << false << false;
    QTest::newRow("corner touch while extending")
        << rowsWith({{4, "...##....."}, {5, "......#..."}}) << 5 << 4 << false << true;
}

void tst_placement::canSetShipCell()
{
    QFETCH(QStringList, rows);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, strict);
    QFETCH(bool, tolerant);
    const Grid g = GridFromRows(rows);
    QCOMPARE(Game::CanSetShipCell(g, x, y, true), strict);
    QCOMPARE(Game::CanSetShipCell(g, x, y, false), tolerant);
}

void tst_placement::randomFleetIsAlwaysTheFleet()
{
    const QList<int> fleet{4, 3, 3, 2, 2, 2, 1, 1, 1, 1};
    for (unsigned seed = 0; seed < 500; ++seed) {
        ClockSeededRandom rng(seed);
        Grid g;
        Game::PlaceShipsRandomly(g, rng);
        QCOMPARE(shipGroups(g), fleet);
        int cells = 0;
        for (auto c : g.cells) {
            QVERIFY(c == 0 || c == pfShip);
            cells += c != 0;
        }
        QCOMPARE(cells, 20);
        QVERIFY(Game::IsCompleteFleet(Game::CountShips(g, 0)));
    }
}

// Direction once per ship, then x and y on every try; the ranges keep the
// ship inside the field; a try is tested against the ships placed before.
void tst_placement::randomDrawOrder()
{
    ScriptedRandom rng({
        1, 0, 0,             // 4 horizontal at (0, 0)
        0, 0, 0, 2, 1, 5, 0, // 3 vertical: (0, 0) taken, (2, 1) beside the 4, then (5, 0)
        1, 0, 2,             // 3 horizontal at (0, 2)
        0, 9, 0,             // 2 vertical at (9, 0)
        1, 7, 4,             // 2 horizontal at (7, 4)
        0, 1, 3, 0, 5,       // 2 vertical: (1, 3) under the 3, then (0, 5)
        1, 9, 9,             // 1 at (9, 9)
        0, 5, 3, 4, 4,       // 1: (5, 3) under the vertical 3, then (4, 4)
        1, 2, 8,             // 1 at (2, 8)
        0, 6, 8,             // 1 at (6, 8)
    });
    Grid g;
    Game::PlaceShipsRandomly(g, rng);

    QList<int> ranges;
    for (const auto &d : rng.log)
        ranges << d.n;
    const QList<int> expected{2, 7,  10,                // 4 horizontal
                              2, 10, 8,  10, 8,  10, 8, // 3 vertical, three tries
                              2, 8,  10,                // 3 horizontal
                              2, 10, 9,                 // 2 vertical
                              2, 9,  10,                // 2 horizontal
                              2, 10, 9,  10, 9,         // 2 vertical, two tries
                              2, 10, 10, 2,  10, 10, 10, 10, 2, 10, 10, 2, 10, 10};
    QCOMPARE(ranges, expected);
    QCOMPARE(rng.pending(), std::size_t(0));
    QCOMPARE(GridRows(g),
             (QStringList{"2222020002", "0000020002", "2220020000", "0000000000", "0000200220", "2000000000",
                          "2000000000", "0000000000", "0020002000", "0000000002"}));
}

void tst_placement::randomPlacementOnCrowdedGridEnds()
{
    // Callers pass an empty field; a crowded one must still not hang.
    Grid g;
    for (int x = 0; x < 10; x += 2)
        for (int y = 0; y < 10; y += 2)
            g.at(x, y) = pfShip;
    ClockSeededRandom rng(3);
    Game::PlaceShipsRandomly(g, rng);
    for (int x = 0; x < 10; x += 2)
        for (int y = 0; y < 10; y += 2)
            QCOMPARE(g.at(x, y), std::uint8_t(pfShip));
}

void tst_placement::mouseDown_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("log");

    const QStringList empty = rowsWith({});
    const QStringList firstShip = {QStringLiteral("status benötigt: 3 1er, 3 2er, 2 3er, 1 4er"),
                                   QStringLiteral("info"), QStringLiteral("draw present")};
    const QStringList unchanged = {kEmptyStatus, QStringLiteral("info"), QStringLiteral("draw present")};
    const int L = int(MouseButton::Left), R = int(MouseButton::Right), M = int(MouseButton::Middle);

    QTest::newRow("left on water") << empty << L << LeftBoardPixel(1, 1) << rowsWith({{1, ".#........"}})
                                   << firstShip;
    QTest::newRow("X = 40") << empty << L << QPoint(40, 100) << empty << QStringList{};
    QTest::newRow("X = 41") << empty << L << QPoint(41, 100) << rowsWith({{0, "#........."}}) << firstShip;
    QTest::newRow("X = 439") << empty << L << QPoint(439, 100) << rowsWith({{0, ".........#"}}) << firstShip;
    QTest::newRow("X = 440") << empty << L << QPoint(440, 100) << empty << QStringList{};
    QTest::newRow("Y = 80") << empty << L << QPoint(100, 80) << empty << QStringList{};
    QTest::newRow("Y = 81") << empty << L << QPoint(100, 81) << rowsWith({{0, ".#........"}}) << firstShip;
    QTest::newRow("Y = 479") << empty << L << QPoint(100, 479) << rowsWith({{9, ".#........"}}) << firstShip;
    QTest::newRow("Y = 480") << empty << L << QPoint(100, 480) << empty << QStringList{};
    QTest::newRow("cell edges 79/80")
        << empty << L << QPoint(80, 120) << rowsWith({{1, ".#........"}}) << firstShip;
    QTest::newRow("right board") << empty << L << RightBoardPixel(1, 1) << empty << QStringList{};
    QTest::newRow("far away") << empty << L << QPoint(-5000, 99999) << empty << QStringList{};

    const QStringList l2 = rowsWith({{2, "...#......"}, {3, "...#......"}});
    QTest::newRow("refused: balloon at the cell")
        << l2 << L << LeftBoardPixel(4, 3) << l2 << QStringList{QStringLiteral("balloon 4,3")};
    QTest::newRow("left on a ship cell") << l2 << L << LeftBoardPixel(3, 3) << l2 << QStringList{};
    const QStringList three = rowsWith({{5, "..###....."}});
    QTest::newRow("right on the middle of a 3")
        << three << R << LeftBoardPixel(3, 5) << rowsWith({{5, "..#.#....."}})
        << QStringList{QStringLiteral("status benötigt: 2 1er, 3 2er, 2 3er, 1 4er"), QStringLiteral("info"),
                       QStringLiteral("draw present")};
    QTest::newRow("middle button clears too")
        << three << M << LeftBoardPixel(4, 5) << rowsWith({{5, "..##......"}})
        << QStringList{QStringLiteral("status benötigt: 4 1er, 2 2er, 2 3er, 1 4er"), QStringLiteral("info"),
                       QStringLiteral("draw present")};
    QTest::newRow("right on water still refreshes")
        << empty << R << LeftBoardPixel(9, 9) << empty << unchanged;
    QTest::newRow("right outside") << three << R << QPoint(440, 300) << three << QStringList{};
}

void tst_placement::mouseDown()
{
    QFETCH(QStringList, rows);
    QFETCH(int, button);
    QFETCH(QPoint, pixel);
    QFETCH(QStringList, after);
    QFETCH(QStringList, log);

    for (int player = 0; player < 2; ++player) {
        TestGame t;
        Game &g = t.game;
        g.st.GameMode = gmTwoAtOne;
        g.st.GamePhase = gpPlacing1;
        g.st.CurrentPlayer = player;
        g.st.PlayField[player] = GridFromRows(rows);
        g.DXDrawMouseDown(MouseButton(button), pixel.x(), pixel.y());
        QCOMPARE(GridRows(g.st.PlayField[player]), GridRows(GridFromRows(after)));
        QVERIFY(g.st.PlayField[player ^ 1] == Grid{});
        QCOMPARE(t.fx.log, log);
    }
}

void tst_placement::clicksIgnored_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("placementDone");
    QTest::addColumn<bool>("countdown");
    QTest::addColumn<bool>("taken");

    QTest::newRow("no game") << int(gmPCMode) << int(gpNoGame) << 0 << false << false;
    QTest::newRow("finished") << int(gmPCMode) << int(gpFinished) << 0 << false << false;
    QTest::newRow("countdown running") << int(gmTwoAtOne) << int(gpPlacing2) << 0 << true << false;
    QTest::newRow("fleet sent") << int(gmTwoAtTwo) << int(gpPlaced1) << pdLocal << false << false;
    QTest::newRow("peer's fleet here") << int(gmTwoAtTwo) << int(gpPlacing1) << pdRemote << false << true;
    QTest::newRow("placed, still changeable") << int(gmPCMode) << int(gpPlaced1) << 0 << false << true;
    QTest::newRow("second placer") << int(gmTwoAtOne) << int(gpPlaced2) << 0 << false << true;
    QTest::newRow("unknown phase") << int(gmTwoAtOne) << 42 << 0 << false << false;
}

void tst_placement::clicksIgnored()
{
    QFETCH(int, mode);
    QFETCH(int, phase);
    QFETCH(int, placementDone);
    QFETCH(bool, countdown);
    QFETCH(bool, taken);

    for (bool drag : {false, true}) {
        TestGame t;
        Game &g = t.game;
        g.st.GameMode = GameModeT(mode);
        g.st.GamePhase = phase;
        g.st.PlacementDone = placementDone;
        if (countdown) {
            g.DXTimer.enable();
        }
        t.fx.clear();
        const QPoint p = LeftBoardPixel(2, 2);
        if (drag)
            g.DXDrawMouseMove(true, false, p.x(), p.y());
        else
            g.DXDrawMouseDown(MouseButton::Left, p.x(), p.y());
        QCOMPARE(g.st.PlayField[0].at(2, 2) == pfShip, taken);
        QCOMPARE(t.fx.log.isEmpty(), !taken);
        // Placement clicks never fire.
        QCOMPARE(g.st.Tries[0] + g.st.Tries[1], 0);
    }
}

void tst_placement::leftDragStopsAtTheFifthCell()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmPCMode;
    g.st.GamePhase = gpPlacing1;
    // Several moves inside each cell of row 4, from cell 0 to cell 5.
    for (int X = 45; X < 280; X += 13)
        g.DXDrawMouseMove(true, false, X, 260);
    QCOMPARE(GridRows(g.st.PlayField[0])[4], QStringLiteral("2222020000"));
    // Moves within cell 4 (X 200..239) each show the balloon again; moves
    // within a set cell do nothing.
    int movesInCell4 = 0;
    for (int X = 45; X < 280; X += 13)
        movesInCell4 += (X - 40) / 40 == 4;
    QCOMPARE(t.fx.only("balloon").size(), movesInCell4);
    QCOMPARE(t.fx.only("balloon").first(), QStringLiteral("balloon 4,4"));
    QCOMPARE(t.fx.only("draw").size(), 5); // one per cell set
    QCOMPARE(g.st.GamePhase, int(gpPlacing1));
}

void tst_placement::rightDragClears()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmPCMode;
    g.st.GamePhase = gpPlaced1;
    g.st.PlayField[0] = GridFromRows(StandardFleetRows());
    // Right held (the left one not) clears along the top row.
    for (int X = 41; X < 440; X += 20)
        g.DXDrawMouseMove(false, true, X, 85);
    QCOMPARE(GridRows(g.st.PlayField[0])[0], QStringLiteral("0000000000"));
    QCOMPARE(GridRows(g.st.PlayField[0])[2], QStringLiteral("2220220220"));
    QCOMPARE(g.st.GamePhase, int(gpPlacing1));
    QCOMPARE(t.fx.status, QStringLiteral("benötigt: 1 3er, 1 4er"));
    // Both held: the left button wins.
    g.DXDrawMouseMove(true, true, 45, 85);
    QCOMPARE(g.st.PlayField[0].at(0, 0), std::uint8_t(pfShip));
}

void tst_placement::hover()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmPCMode;
    g.st.GamePhase = gpPlacing1;
    g.DXDrawMouseMove(false, false, 45, 85);
    QCOMPARE(g.st.HoverCell, (CellPos{0, 0}));
    QCOMPARE(t.fx.log, QStringList{QStringLiteral("draw present")});
    g.DXDrawMouseMove(false, false, 79, 119); // same cell
    QCOMPARE(t.fx.log.size(), 1);
    g.DXDrawMouseMove(false, false, 439, 479);
    QCOMPARE(g.st.HoverCell, (CellPos{9, 9}));
    g.DXDrawMouseMove(false, false, 500, 100); // the right board does not count while placing
    QCOMPARE(g.st.HoverCell, NoCell);
    g.DXDrawMouseMove(false, false, 600, 100);
    QCOMPARE(t.fx.log.size(), 3);
    QCOMPARE(g.st.PlayField[0], Grid{});

    // Firing: the right board, and only in the local player's turn.
    g.st.GamePhase = gpFiring;
    g.DXDrawMouseMove(false, false, 481, 81);
    QCOMPARE(g.st.HoverCell, (CellPos{0, 0}));
    g.st.CurrentPlayer = 1;
    g.DXDrawMouseMove(false, false, 521, 81);
    QCOMPARE(g.st.HoverCell, NoCell);
    // Ignored while the countdown runs, and after the fleet was sent.
    g.st.CurrentPlayer = 0;
    g.DXTimer.enable();
    t.fx.clear();
    g.DXDrawMouseMove(false, false, 521, 81);
    QCOMPARE(g.st.HoverCell, NoCell);
    g.DXTimer.disable();
    g.st.GameMode = gmTwoAtTwo;
    g.st.GamePhase = gpPlaced1;
    g.st.PlacementDone = pdLocal;
    g.DXDrawMouseMove(false, false, 45, 85);
    QCOMPARE(g.st.HoverCell, NoCell);
    QCOMPARE(t.fx.log, QStringList{QStringLiteral("DXTimer off")});
}

void tst_placement::menuCommands_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<bool>("random");
    QTest::addColumn<int>("phaseAfter");

    QTest::newRow("random in 1") << int(gpPlacing1) << true << int(gpPlaced1);
    QTest::newRow("random in 2") << int(gpPlaced1) << true << int(gpPlaced1);
    QTest::newRow("random in 3") << int(gpPlacing2) << true << int(gpPlaced2);
    QTest::newRow("clear in 2") << int(gpPlaced1) << false << int(gpPlacing1);
    QTest::newRow("clear in 4") << int(gpPlaced2) << false << int(gpPlacing2);
    QTest::newRow("clear in 3") << int(gpPlacing2) << false << int(gpPlacing2);
}

void tst_placement::menuCommands()
{
    QFETCH(int, phase);
    QFETCH(bool, random);
    QFETCH(int, phaseAfter);

    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmTwoAtOne;
    g.st.GamePhase = phase;
    g.st.CurrentPlayer = 1;
    // Junk in the ring and a half-built fleet: the command starts from water.
    g.st.PlayField[1] = GridFromRows(rowsWith({{0, "###......."}, {1, "#...#....."}}));
    g.st.PlayField[1].at(-1, 4) = 2;
    g.st.PlayField[0] = GridFromRows(StandardFleetRows());
    if (random)
        g.MenuItem_SetShipsAutomaticallyClick();
    else
        g.MenuItem_DeleteAllShipsClick();
    const QString status = random ? QStringLiteral("status ") + Texts::InfoText(2) : kEmptyStatus;
    QCOMPARE(t.fx.log, (QStringList{QStringLiteral("hide balloon"), QStringLiteral("draw present"), status,
                                    QStringLiteral("info")}));
    QCOMPARE(g.st.GamePhase, phaseAfter);
    if (random)
        QCOMPARE(shipGroups(g.st.PlayField[1]), (QList<int>{4, 3, 3, 2, 2, 2, 1, 1, 1, 1}));
    else
        QCOMPARE(GridRows(g.st.PlayField[1]), GridRows(Grid{}));
    // The other player's field is untouched.
    QVERIFY(g.st.PlayField[0] == GridFromRows(StandardFleetRows()));
}

void tst_placement::placementItemsVisible_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("placementDone");
    QTest::addColumn<bool>("visible");

    for (int phase = gpNoGame; phase <= gpFinished; ++phase) {
        const bool placing = phase >= gpPlacing1 && phase <= gpPlaced2;
        QTest::addRow("two at one, phase %d", phase) << int(gmTwoAtOne) << phase << 0 << placing;
        QTest::addRow("computer, phase %d", phase) << int(gmPCMode) << phase << 0 << placing;
    }
    QTest::newRow("network, nothing sent") << int(gmTwoAtTwo) << int(gpPlaced1) << 0 << true;
    QTest::newRow("network, fleet sent") << int(gmTwoAtTwo) << int(gpPlaced1) << pdLocal << false;
    QTest::newRow("network, peer's fleet here") << int(gmTwoAtTwo) << int(gpPlacing1) << pdRemote << true;
}

void tst_placement::placementItemsVisible()
{
    QFETCH(int, mode);
    QFETCH(int, phase);
    QFETCH(int, placementDone);
    QFETCH(bool, visible);

    TestGame t;
    Game &g = t.game;
    g.st.GameMode = GameModeT(mode);
    g.st.GamePhase = phase;
    g.st.PlacementDone = placementDone;
    QCOMPARE(g.PlacementItemsVisible(), visible);
    // Hidden commands cannot be chosen: nothing happens.
    g.MenuItem_SetShipsAutomaticallyClick();
    QCOMPARE(t.fx.log.isEmpty(), !visible);
    QCOMPARE(ShipCells(g.st.PlayField[0]).size(), visible ? 20 : 0);
}

QTEST_GUILESS_MAIN(tst_placement)
#include "tst_placement.moc"
