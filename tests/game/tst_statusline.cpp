#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

// The status line: the text for every phase, the move within the placement
// pair and Winner while firing.
class tst_statusline : public QObject {
    Q_OBJECT
private slots:
    void placement_data();
    void placement();
    void firing_data();
    void firing();
    void otherPhases_data();
    void otherPhases();
    void completingAndBreakingTheFleet();
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

QStringList fleetPlus(int y, const QString &row)
{
    QStringList rows = StandardFleetRows();
    rows[y] = row;
    return rows;
}

// A control field on which the ships of the given lengths of the standard
// fleet are sunk (and nothing else is known).
QStringList sunkOf(std::initializer_list<int> lengths)
{
    const QStringList fleet = StandardFleetRows();
    const Grid g = GridFromRows(fleet);
    QStringList rows;
    for (int y = 0; y < 10; ++y) {
        QString row;
        for (int x = 0; x < 10; ++x) {
            const int len = Game::GetShipLength(g, x, y);
            row += len > 0 && std::find(lengths.begin(), lengths.end(), len) != lengths.end() ? u'3' : u'0';
        }
        rows << row;
    }
    return rows;
}

} // namespace

void tst_statusline::placement_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("phase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("phaseAfter");

    const QString all = Texts::InfoText(2);
    const QStringList empty = rowsWith({});
    QTest::newRow("empty") << empty << 1 << "benötigt: 4 1er, 3 2er, 2 3er, 1 4er" << 1;
    QTest::newRow("empty, phase 2 falls back") << empty << 2 << "benötigt: 4 1er, 3 2er, 2 3er, 1 4er" << 1;
    QTest::newRow("empty, phase 4 falls back") << empty << 4 << "benötigt: 4 1er, 3 2er, 2 3er, 1 4er" << 3;
    QTest::newRow("five ships of 1") << rowsWith({{0, "#.#.#.#.#."}}) << 1
                                     << "benötigt: 3 2er, 2 3er, 1 4er; zu entfernen: 1 1er" << 1;
    QTest::newRow("fleet") << StandardFleetRows() << 1 << all << 2;
    QTest::newRow("fleet, phase 2 stays") << StandardFleetRows() << 2 << all << 2;
    QTest::newRow("fleet, second placer") << StandardFleetRows() << 3 << all << 4;
    QTest::newRow("fleet plus a 1") << fleetPlus(8, ".........#") << 2 << "zu entfernen: 1 1er" << 1;
    QTest::newRow("fleet plus a 1, second placer")
        << fleetPlus(8, ".........#") << 4 << "zu entfernen: 1 1er" << 3;
    QTest::newRow("a 4 too many, a 3 missing")
        << fleetPlus(2, "####.##.##") << 1 << "benötigt: 1 3er; zu entfernen: 1 4er" << 1;
    QStringList checker;
    for (int y = 0; y < 10; ++y)
        checker << (y % 2 ? ".#.#.#.#.#" : "#.#.#.#.#.");
    QTest::newRow("50 ships of 1") << checker << 1 << "benötigt: 3 2er, 2 3er, 1 4er; zu entfernen: 46 1er"
                                   << 1;
    QTest::newRow("only the 4") << rowsWith({{9, "......####"}}) << 1 << "benötigt: 4 1er, 3 2er, 2 3er" << 1;
    QTest::newRow("surplus only, several")
        << fleetPlus(8, "##.##.###.") << 2 << "zu entfernen: 2 2er, 1 3er" << 1;
    // A run too long to be a ship is not counted at all.
    QTest::newRow("fleet plus a run of 5") << fleetPlus(8, "#####.....") << 2 << all << 2;
}

void tst_statusline::placement()
{
    QFETCH(QStringList, rows);
    QFETCH(int, phase);
    QFETCH(QString, text);
    QFETCH(int, phaseAfter);

    for (int current = 0; current < 2; ++current) {
        TestGame t;
        Game &g = t.game;
        g.st.GameMode = gmTwoAtOne;
        g.st.GamePhase = phase;
        g.st.CurrentPlayer = current;
        g.st.PlayField[current] = GridFromRows(rows);
        // The other player's field does not count.
        g.st.PlayField[current ^ 1] = GridFromRows(rowsWith({{5, "##.##....."}}));
        QCOMPARE(g.SetInfoLabelCaption(), text);
        QCOMPARE(t.fx.log, QStringList{QStringLiteral("status ") + text});
        QCOMPARE(g.st.GamePhase, phaseAfter);
        QCOMPARE(g.st.Winner, -1);
    }
}

void tst_statusline::firing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("local");
    QTest::addColumn<QStringList>("control"); // of the current player
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("winner");

    const QStringList none = rowsWith({});
    const QString missingAll = QStringLiteral(" Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.");
    const QStringList all = sunkOf({1, 2, 3, 4});

    QTest::newRow("computer game, first shot")
        << int(gmPCMode) << 0 << 0 << none << "Sie sind an der Reihe." + missingAll << -1;
    QTest::newRow("computer's turn") << int(gmPCMode) << 1 << 0 << sunkOf({2})
                                     << "Computer ist an der Reihe. Es fehlen: 4 1er, 2 3er, 1 4er." << -1;
    QTest::newRow("two at one, all but the 4")
        << int(gmTwoAtOne) << 0 << 0 << sunkOf({1, 2, 3}) << "Anna ist an der Reihe. Es fehlen: 1 4er." << -1;
    QTest::newRow("two at one, never 'Sie'")
        << int(gmTwoAtOne) << 1 << 1 << none << "Bert ist an der Reihe." + missingAll << -1;
    QTest::newRow("network, own turn") << int(gmTwoAtTwo) << 1 << 1 << sunkOf({4})
                                       << "Sie sind an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er." << -1;
    QTest::newRow("network, peer's turn") << int(gmTwoAtTwo) << 0 << 1 << sunkOf({1})
                                          << "Anna ist an der Reihe. Es fehlen: 3 2er, 2 3er, 1 4er." << -1;
    // Hit parts of a ship not yet sunk do not count.
    QStringList hitOnly = sunkOf({1, 2, 3});
    hitOnly[0] = "2220033300";
    QTest::newRow("a 4 hit three times")
        << int(gmTwoAtOne) << 0 << 0 << hitOnly << "Anna ist an der Reihe. Es fehlen: 1 4er." << -1;
    // More sunk ships of a length than required (a damaged record) leave the
    // length out.
    QTest::newRow("too many sunk 1s") << int(gmPCMode) << 0 << 0 << rowsWith({{9, "3.3.3.3.3."}})
                                      << "Sie sind an der Reihe. Es fehlen: 3 2er, 2 3er, 1 4er." << -1;
    QTest::newRow("two at one, found all")
        << int(gmTwoAtOne) << 1 << 0 << all << "Bert hat alle Schiffe von Anna gefunden." << 1;
    QTest::newRow("computer game, human found all")
        << int(gmPCMode) << 0 << 0 << all << "Sie haben alle Schiffe von Computer gefunden." << 0;
    QTest::newRow("computer game, computer found all")
        << int(gmPCMode) << 1 << 0 << all << "Computer hat alle Ihre Schiffe gefunden." << 1;
    QTest::newRow("network, local found all")
        << int(gmTwoAtTwo) << 0 << 0 << all << "Sie haben alle Schiffe von Bert gefunden." << 0;
    QTest::newRow("network, peer found all")
        << int(gmTwoAtTwo) << 1 << 0 << all << "Bert hat alle Ihre Schiffe gefunden." << 1;
}

void tst_statusline::firing()
{
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, local);
    QFETCH(QStringList, control);
    QFETCH(QString, text);
    QFETCH(int, winner);

    TestGame t;
    Game &g = t.game;
    g.st.GameMode = GameModeT(mode);
    g.st.GamePhase = gpFiring;
    g.st.CurrentPlayer = current;
    g.st.LocalPlayer = local;
    g.st.PlayerNames = {QStringLiteral("Anna"),
                        mode == gmPCMode ? QStringLiteral("Computer") : QStringLiteral("Bert")};
    g.st.ControlField[current] = GridFromRows(control);
    // The other player's record does not count.
    g.st.ControlField[current ^ 1] = GridFromRows(sunkOf({1, 2, 3, 4}));
    QCOMPARE(g.SetInfoLabelCaption(), text);
    QCOMPARE(t.fx.log, QStringList{QStringLiteral("status ") + text});
    QCOMPARE(g.st.Winner, winner);
    QCOMPARE(g.st.GamePhase, int(gpFiring));
    // Whatever Winner held, a refresh after the current player found
    // everything sets it to him.
    if (winner >= 0) {
        g.st.Winner = winner ^ 1;
        QCOMPARE(g.SetInfoLabelCaption(), text);
        QCOMPARE(g.st.Winner, winner);
    }
}

void tst_statusline::otherPhases_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<QString>("text");
    QTest::newRow("no game") << int(gpNoGame) << Texts::InfoText(0);
    QTest::newRow("finished") << int(gpFinished) << Texts::InfoText(18);
    QTest::newRow("7") << 7 << QString();
    QTest::newRow("-1") << -1 << QString();
}

void tst_statusline::otherPhases()
{
    QFETCH(int, phase);
    QFETCH(QString, text);
    TestGame t;
    Game &g = t.game;
    g.st.GamePhase = phase;
    g.st.PlayField[0] = GridFromRows(StandardFleetRows());
    g.st.ControlField[0] = GridFromRows(sunkOf({1, 2, 3, 4}));
    QCOMPARE(g.SetInfoLabelCaption(), text);
    QCOMPARE(t.fx.log, QStringList{QStringLiteral("status ") + text});
    QCOMPARE(g.st.GamePhase, phase);
    QCOMPARE(g.st.Winner, -1);
    // Drawing in gpNoGame refreshes the line first.
    if (phase == gpNoGame) {
        t.fx.clear();
        g.DrawScreen(true);
        QCOMPARE(t.fx.log, (QStringList{QStringLiteral("status ") + text, QStringLiteral("draw present")}));
    }
}

void tst_statusline::completingAndBreakingTheFleet()
{
    TestGame t;
    Game &g = t.game;
    g.st.GameMode = gmPCMode;
    g.st.GamePhase = gpPlacing1;
    QStringList rows = StandardFleetRows();
    rows[6] = "..........";
    g.st.PlayField[0] = GridFromRows(rows);
    // The last ship of 1 by a click completes the fleet ...
    const QPoint p = LeftBoardPixel(0, 6);
    g.DXDrawMouseDown(MouseButton::Left, p.x(), p.y());
    QCOMPARE(g.st.GamePhase, int(gpPlaced1));
    QCOMPARE(t.fx.status, Texts::InfoText(2));
    // ... removing any cell breaks it again.
    const QPoint q = LeftBoardPixel(2, 0);
    g.DXDrawMouseDown(MouseButton::Right, q.x(), q.y());
    QCOMPARE(g.st.GamePhase, int(gpPlacing1));
    QCOMPARE(t.fx.status, QStringLiteral("benötigt: 1 4er; zu entfernen: 1 1er, 1 2er"));
}

QTEST_GUILESS_MAIN(tst_statusline)
#include "tst_statusline.moc"
