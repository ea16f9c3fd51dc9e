#include "game/Game.h"
#include "presentation/BoardRenderer.h"

#include <QtTest>

namespace {

QImage frame()
{
    return QImage(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
}

GameState gameState(int phase)
{
    GameState st;
    st.GameMode = gmTwoAtOne;
    st.GamePhase = phase;
    st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    return st;
}

QImage drawn(BoardRenderer &r, const GameState &st, bool timerRunning = false)
{
    QImage img = frame();
    r.DrawScreen(img, st, timerRunning);
    return img;
}

QRgb rgb(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}
bool isRed(const QImage &img, int x, int y)
{
    return rgb(img, x, y) == 0xFF0000;
}
// Rows holding reddish (antialiased red) banner text.
int redRows(const QImage &img, int x0 = 0, int x1 = BoardRenderer::Width)
{
    int rows = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = x0; x < x1; ++x) {
            const QRgb c = img.pixel(x, y);
            if (qRed(c) > 180 && qGreen(c) < 140 && qBlue(c) < 140) {
                ++rows;
                break;
            }
        }
    return rows;
}
bool near(QRgb got, QRgb under, QRgb over, int alpha) // `over` blended onto `under` at alpha/255
{
    auto ch = [&](int g, int u, int o) { return qAbs(g - (u * (255 - alpha) + o * alpha) / 255) <= 2; };
    return ch(qRed(got), qRed(under), qRed(over)) && ch(qGreen(got), qGreen(under), qGreen(over)) &&
           ch(qBlue(got), qBlue(under), qBlue(over));
}

} // namespace

// Pixel probes on composed board frames: what a player sees at known places.
class tst_boardrenderer : public QObject {
    Q_OBJECT
private slots:
    void titlePictureAndGrid()
    {
        BoardRenderer r;
        QImage img = frame();
        img.fill(Qt::black);
        r.DrawScreen(img, GameState(), false); // gpNoGame
        QCOMPARE(img.copy(0, 0, 880, 480), r.Picture(0).copy(0, 0, 880, 480));

        img = drawn(r, gameState(gpPlacing1));
        // Thick border columns run from the top, the others start at row 1; thin row line at 120.
        for (QPoint p :
             {QPoint(439, 20), QPoint(441, 20), QPoint(400, 100), QPoint(300, 120), QPoint(300, 81)})
            QCOMPARE(rgb(img, p.x(), p.y()), 0u);
        for (QPoint p : {QPoint(400, 20), QPoint(399, 100), QPoint(300, 121)})
            QVERIFY(rgb(img, p.x(), p.y()) != 0u);
        QCOMPARE(img.pixel(100, 140), r.Picture(1).pixel(100, 140)); // an empty cell
    }

    void cellFills_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<uint>("stored");
        QTest::addColumn<uint>("shown");
        QTest::newRow("stored $0000FF is red") << 2 << 0x0000FFu << 0xFF0000u;
        QTest::newRow("mixed channels") << 3 << 0x123456u << 0x563412u;
        QTest::newRow("default water") << 1 << 0u << 0x000080u;
    }
    void cellFills()
    {
        QFETCH(int, code);
        QFETCH(uint, stored);
        QFETCH(uint, shown);
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        if (stored)
            st.CellColors[code] = stored;
        st.PlayField[0].at(0, 0) = std::uint8_t(code);
        st.ControlField[0].at(9, 9) = std::uint8_t(code);
        const QImage img = drawn(r, st);
        // Left cell (0, 0) spans 40..80 x 80..120, filled from +1; right cell (9, 9) 840..880 x 440..480.
        for (QPoint p : {QPoint(60, 100), QPoint(41, 81), QPoint(79, 119), QPoint(860, 460)})
            QCOMPARE(rgb(img, p.x(), p.y()), shown);
        QCOMPARE(rgb(img, 80, 100), 0u); // the grid line beside it stays
    }

    // The boards of the player at the screen: the current one at one PC, the
    // local one over the network, the human against the computer.
    void viewedPlayersBoards_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("local");
        QTest::addColumn<int>("viewed");
        QTest::newRow("two at one") << int(gmTwoAtOne) << 1 << 0 << 1;
        QTest::newRow("network") << int(gmTwoAtTwo) << 0 << 1 << 1;
        QTest::newRow("computer") << int(gmPCMode) << 1 << 1 << 0;
    }
    void viewedPlayersBoards()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, local);
        QFETCH(int, viewed);
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        st.GameMode = GameModeT(mode);
        st.CurrentPlayer = current;
        st.LocalPlayer = local;
        st.PlayField[viewed].at(2, 2) = pfShip;
        st.ControlField[viewed].at(3, 3) = cfWater;
        const QImage img = drawn(r, st);
        const QPoint own = BoardRenderer::LeftCellRect(2, 2).center(),
                     shot = BoardRenderer::RightCellRect(3, 3).center();
        QCOMPARE(rgb(img, own.x(), own.y()), 0xFFFF00u);
        QCOMPARE(rgb(img, shot.x(), shot.y()), 0x000080u);
    }

    void hoverFrameAndTint_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("timerRunning");
        QTest::addColumn<int>("placementDone");
        QTest::addColumn<bool>("shown");
        QTest::newRow("placing: left board") << int(gpPlacing1) << false << 0 << true;
        QTest::newRow("firing: right board") << int(gpFiring) << false << 0 << true;
        QTest::newRow("countdown running") << int(gpFiring) << true << 0 << false;
        QTest::newRow("own fleet sent") << int(gpPlaced1) << false << int(pdLocal) << false;
        QTest::newRow("both fleets exchanged") << int(gpFiring) << false << int(pdLocal | pdRemote) << true;
    }
    void hoverFrameAndTint()
    {
        QFETCH(int, phase);
        QFETCH(bool, timerRunning);
        QFETCH(int, placementDone);
        QFETCH(bool, shown);
        BoardRenderer r;
        GameState st = gameState(phase);
        st.PlacementDone = placementDone;
        st.HoverCell = {3, 4};
        const QImage img = drawn(r, st, timerRunning);
        const QRect cell =
            phase == gpFiring ? BoardRenderer::RightCellRect(3, 4) : BoardRenderer::LeftCellRect(3, 4);
        const int l = cell.x(), t = cell.y();
        const QRgb bg = r.Picture(1).pixel(l + 20, t + 20);
        // A 3-pixel frame inside (l+1, t+1)..(l+40, t+40), red blended into the square at 50/255.
        QCOMPARE(isRed(img, l + 1, t + 20), shown);
        QCOMPARE(isRed(img, l + 39, t + 20), shown);
        QCOMPARE(isRed(img, l + 20, t + 1), shown);
        QCOMPARE(isRed(img, l + 20, t + 39), shown);
        QVERIFY(near(img.pixel(l + 20, t + 20), bg, shown ? 0xFF0000 : bg, 50));
    }

    void lastShotFrameOfCornerCell()
    {
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        st.CurrentPlayer = 1; // the frame shows the opponent's (player 0's) last shot
        st.LastShot[0] = {0, 0};
        QImage img = drawn(r, st);
        // Three pixels wide from (39, 79) to (82, 122), around the grid lines.
        for (int i = 79; i <= 121; ++i) {
            QVERIFY2(isRed(img, 39, i) && isRed(img, 81, i), qPrintable(QString::number(i)));
            QVERIFY2(isRed(img, i - 40, 79) && isRed(img, i - 40, 121), qPrintable(QString::number(i)));
        }
        QVERIFY(!isRed(img, 84, 100) && !isRed(img, 60, 100));

        st.LastShot[0] = NoCell; // only the opponent's own slot counts
        st.LastShot[1] = {0, 0};
        img = drawn(r, st);
        QCOMPARE(redRows(img, 0, 440), 0);
    }

    void banners()
    {
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        QImage img = drawn(r, st);
        const QImage before = img;
        r.DrawInfoRectangle(img, BoardRenderer::Width - 50, BoardRenderer::Height - 100);
        // Outline one pixel outside the box (25, 50)..(856, 431), white blended in at 150/255.
        for (QPoint p : {QPoint(24, 300), QPoint(856, 300), QPoint(300, 49), QPoint(300, 431)})
            QCOMPARE(rgb(img, p.x(), p.y()), 0u);
        QCOMPARE(img.pixel(23, 300), before.pixel(23, 300));
        QVERIFY(near(img.pixel(100, 300), before.pixel(100, 300), 0xFFFFFF, 150));

        QImage a = drawn(r, st, true), b = drawn(r, st), c = drawn(r, st);
        r.DrawChangeOverBanner(a, st, 7);
        r.DrawGameEndBanner(c);
        QVERIFY(redRows(a) > 150);                   // three tall lines
        QVERIFY(redRows(c) > 20 && redRows(c) < 80); // one line
        // A long name is shortened to stay inside the box, centred.
        st.GameMode = gmPCMode;
        st.CurrentPlayer = 1;
        st.PlayerNames[1] = QString(40, QLatin1Char('W'));
        r.DrawFoundAllBanner(b, st);
        QVERIFY(redRows(b) > 80); // two lines
        QCOMPARE(redRows(b, 0, 50) + redRows(b, 832, BoardRenderer::Width), 0);
        QVERIFY(redRows(b, 60, 90) > 0 && redRows(b, 790, 820) > 0);
        // The banners leave the board font selected.
        QCOMPARE(r.ScreenFont().pixelSize(), 27);
        QCOMPARE(r.ScreenFontColor(), QColor(Qt::black));
    }

    void fitTextWithEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("spare"); // pixels beyond the text's own width
        QTest::newRow("exactly fits") << QStringLiteral("Bert") << 0;
        QTest::newRow("one pixel short") << QStringLiteral("Bertholdinchen") << -1;
        QTest::newRow("far too long") << QStringLiteral("Wilhelmina-Augusta") << -250;
    }
    void fitTextWithEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(int, spare);
        const QFont font = BoardRenderer::ArialFont(40, true);
        const QFontMetrics fm(font);
        const int maxWidth = fm.horizontalAdvance(text) + spare;
        const QString fitted = BoardRenderer::FitTextWithEllipsis(text, font, maxWidth);
        if (spare >= 0) {
            QCOMPARE(fitted, text);
            return;
        }
        const QString kept = fitted.chopped(3);
        QVERIFY(fitted.endsWith(QStringLiteral("...")) && text.startsWith(kept));
        QVERIFY(kept.size() <= text.size() - 2); // at least two characters go
        QVERIFY(fm.horizontalAdvance(fitted) <= maxWidth);
        if (kept.size() < text.size() - 2) // the longest prefix that fits
            QVERIFY(fm.horizontalAdvance(text.left(kept.size() + 1) + QStringLiteral("...")) > maxWidth);
    }
};

QTEST_MAIN(tst_boardrenderer)
#include "tst_boardrenderer.moc"
