#include "game/Game.h"
#include "presentation/BoardRenderer.h"

#include <QtTest>

namespace {

GameState gameState(int phase)
{
    GameState st;
    st.gameMode = gmTwoAtOne;
    st.gamePhase = GamePhaseT(phase);
    st.playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    return st;
}

QImage drawn(BoardRenderer &r, const GameState &st, bool timerRunning = false)
{
    QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
    r.drawScreen(img, st, timerRunning);
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

struct Fill {
    GameModeT mode;
    int current, local, viewed, code;
    std::uint32_t stored, shown; // stored 0: the default colour
};

struct Hover {
    int phase;
    bool timerRunning;
    int placementDone;
    bool shown;
};

} // namespace

Q_DECLARE_METATYPE(Fill)
Q_DECLARE_METATYPE(Hover)

// Pixel probes on composed board frames: what a player sees at known places.
class tst_boardrenderer : public QObject {
    Q_OBJECT
private slots:
    void titlePictureAndGrid()
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        img.fill(Qt::red);                     // what an earlier frame left
        r.drawScreen(img, GameState(), false); // gpNoGame
        QCOMPARE(img.copy(0, 0, 880, 480), r.picture(0).copy(0, 0, 880, 480));
        // The last column and row of the surface, beyond the picture, carry its edge on.
        QCOMPARE(img.pixel(880, 100), r.picture(0).pixel(879, 100));
        QCOMPARE(img.pixel(300, 480), r.picture(0).pixel(300, 479));
        QCOMPARE(img.pixel(880, 480), r.picture(0).pixel(879, 479));
        // The title screen is the renderer's one title frame, shared, not a copy of it.
        QImage again(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.drawScreen(again, GameState(), false);
        QCOMPARE(again.constBits(), img.constBits());

        img = drawn(r, gameState(gpPlacing1));
        // Thick border columns run from the top, the others start at row 1; thin row line at 120.
        for (QPoint p :
             {QPoint(439, 20), QPoint(441, 20), QPoint(400, 100), QPoint(300, 120), QPoint(300, 81)})
            QCOMPARE(rgb(img, p.x(), p.y()), 0u);
        for (QPoint p : {QPoint(400, 20), QPoint(399, 100), QPoint(300, 121)})
            QVERIFY(rgb(img, p.x(), p.y()) != 0u);
        QCOMPARE(img.pixel(100, 140), r.picture(1).pixel(100, 140)); // an empty cell
    }

    // Cells show the viewed player's boards (the current player at one PC, the local one over the
    // network, the human against the computer) in the stored colours, red in the low byte.
    void cellFills_data()
    {
        QTest::addColumn<Fill>("c");
        QTest::newRow("mixed channels; current player") << Fill{gmTwoAtOne, 1, 0, 1, 3, 0x123456, 0x563412};
        QTest::newRow("default water; local player") << Fill{gmTwoAtTwo, 0, 1, 1, 1, 0, 0x000080};
        QTest::newRow("default ship; the human") << Fill{gmPCMode, 1, 1, 0, 2, 0, 0xFFFF00};
    }
    void cellFills()
    {
        QFETCH(Fill, c);
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        st.gameMode = c.mode;
        st.currentPlayer = c.current;
        st.localPlayer = c.local;
        if (c.stored)
            st.cellColors[c.code] = c.stored;
        st.playField[c.viewed].at(0, 0) = std::uint8_t(c.code);
        st.controlField[c.viewed].at(9, 9) = std::uint8_t(c.code);
        const QImage img = drawn(r, st);
        // Left cell (0, 0) spans 40..80 x 80..120, filled from +1; right cell (9, 9) 840..880 x 440..480.
        for (QPoint p : {QPoint(60, 100), QPoint(41, 81), QPoint(79, 119), QPoint(860, 460)})
            QCOMPARE(rgb(img, p.x(), p.y()), c.shown);
        QCOMPARE(rgb(img, 80, 100), 0u); // the grid line beside it stays
    }

    // A 3-pixel frame inside (l+1, t+1)..(l+40, t+40), red blended into the square at 50/255.
    void hoverFrameAndTint_data()
    {
        QTest::addColumn<Hover>("c");
        QTest::newRow("placing: left board") << Hover{gpPlacing1, false, 0, true};
        QTest::newRow("firing: right board") << Hover{gpFiring, false, 0, true};
        QTest::newRow("countdown running") << Hover{gpFiring, true, 0, false};
        QTest::newRow("own fleet sent") << Hover{gpPlaced1, false, pdLocal, false};
        QTest::newRow("both fleets exchanged") << Hover{gpFiring, false, pdLocal | pdRemote, true};
    }
    void hoverFrameAndTint()
    {
        QFETCH(Hover, c);
        BoardRenderer r;
        GameState st = gameState(c.phase);
        st.placementDone = c.placementDone;
        st.hoverCell = {3, 4};
        const QImage img = drawn(r, st, c.timerRunning);
        const QRect cell = c.phase == gpFiring ? QRect(600, 240, 40, 40) : QRect(160, 240, 40, 40);
        const int l = cell.x(), t = cell.y();
        const QRgb bg = r.picture(1).pixel(l + 20, t + 20);
        for (QPoint p : {QPoint(1, 20), QPoint(39, 20), QPoint(20, 1), QPoint(20, 39)})
            QCOMPARE(isRed(img, l + p.x(), t + p.y()), c.shown);
        QVERIFY(near(img.pixel(l + 20, t + 20), bg, c.shown ? 0xFF0000 : bg, 50));
    }

    void lastShotFrameOfCornerCell()
    {
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        st.currentPlayer = 1; // the frame shows the opponent's (player 0's) last shot
        st.lastShot[0] = {0, 0};
        QImage img = drawn(r, st);
        // A 3-pixel pen along the rectangle (39, 79)-(82, 122), around the grid lines:
        // bands 38..40 and 80..82 across, 78..80 and 120..122 down, nothing else red.
        auto band = [](int v) { return (v >= 38 && v <= 40) || (v >= 80 && v <= 82); };
        for (int i = 30; i <= 130; ++i) {
            QCOMPARE(isRed(img, i, 100), band(i));
            QCOMPARE(isRed(img, 60, i), band(i - 40));
        }

        st.lastShot[0] = NoCell; // only the opponent's own slot counts
        st.lastShot[1] = {0, 0};
        img = drawn(r, st);
        QCOMPARE(redRows(img, 0, 440), 0);
    }

    void banners()
    {
        BoardRenderer r;
        GameState st = gameState(gpFiring);
        QImage img = drawn(r, st);
        const QImage before = img;
        r.drawInfoRectangle(img, BoardRenderer::Width - 50, BoardRenderer::Height - 100);
        // Outline one pixel outside the box (25, 50)..(856, 431), white blended in at 150/255.
        for (QPoint p : {QPoint(24, 300), QPoint(856, 300), QPoint(300, 49), QPoint(300, 431)})
            QCOMPARE(rgb(img, p.x(), p.y()), 0u);
        QCOMPARE(img.pixel(23, 300), before.pixel(23, 300));
        QVERIFY(near(img.pixel(100, 300), before.pixel(100, 300), 0xFFFFFF, 150));

        QImage a = drawn(r, st, true), b = drawn(r, st), c = drawn(r, st);
        r.drawChangeOverBanner(a, st, 7);
        r.drawGameEndBanner(c);
        QVERIFY(redRows(a) > 150);                   // three tall lines
        QVERIFY(redRows(c) > 20 && redRows(c) < 80); // one line
        // A long name is shortened to stay inside the box, centred.
        st.gameMode = gmPCMode;
        st.currentPlayer = 1;
        st.playerNames[1] = QString(40, QLatin1Char('W'));
        r.drawFoundAllBanner(b, st);
        QVERIFY(redRows(b) > 80); // two lines
        QCOMPARE(redRows(b, 0, 50) + redRows(b, 832, BoardRenderer::Width), 0);
        QVERIFY(redRows(b, 60, 90) > 0 && redRows(b, 790, 820) > 0);
        // The banners leave the board font selected.
        QCOMPARE(r.screenFont().pixelSize(), 27);
        QCOMPARE(r.screenFontColor(), QColor(Qt::black));
    }

    // The longest prefix that fits, with "...", dropping at least two characters.
    void fitTextWithEllipsis()
    {
        const QFont font = BoardRenderer::arialFont(40, true);
        const QFontMetrics fm(font);
        const QString text = QStringLiteral("BertholdWW");
        const int width = fm.horizontalAdvance(text);
        QCOMPARE(BoardRenderer::fitTextWithEllipsis(text, font, width), text);
        for (int maxWidth : {width - 1, width / 2}) {
            const QString fitted = BoardRenderer::fitTextWithEllipsis(text, font, maxWidth),
                          kept = fitted.chopped(3);
            QVERIFY(fitted.endsWith("...") && text.startsWith(kept) &&
                    fm.horizontalAdvance(fitted) <= maxWidth);
            QVERIFY(kept.size() == text.size() - 2 ||
                    (kept.size() < text.size() - 2 &&
                     fm.horizontalAdvance(text.left(kept.size() + 1) + "...") > maxWidth));
        }
    }

    // On a high-density screen the frame is composed at device resolution: the
    // double-size title is drawn pixel for pixel, and the grid's lines and the
    // hover frame cover exactly the device pixels of their logical places.
    void deviceResolution_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }
    void deviceResolution()
    {
        QFETCH(qreal, ratio);
        BoardRenderer r;
        QImage img(std::ceil(BoardRenderer::Width * ratio), std::ceil(BoardRenderer::Height * ratio),
                   QImage::Format_RGB32);
        img.setDevicePixelRatio(ratio);
        r.drawScreen(img, GameState(), false);
        QCOMPARE(img.devicePixelRatio(), ratio);
        if (ratio == 2.0) {
            const QImage large =
                QImage(QStringLiteral(":/assets/title@2x.png")).convertToFormat(QImage::Format_RGB32);
            for (QPoint p : {QPoint(1201, 401), QPoint(1500, 700), QPoint(33, 901)})
                QCOMPARE(img.pixel(p), large.pixel(p));
        }

        GameState st = gameState(gpPlacing1);
        st.hoverCell = {2, 3}; // left board, frame from (121, 201) to (159, 239)
        r.drawScreen(img, st, false);
        // Device pixels wholly inside a logical span, and the first ones outside it.
        const auto from = [&](int x) { return int(std::ceil(x * ratio)); };
        const auto to = [&](int x) { return int(std::floor(x * ratio)); };
        const int y = to(100);
        // The thin line at x = 80 (one logical pixel) and its neighbours.
        for (int x = from(80); x < to(81); ++x)
            QCOMPARE(rgb(img, x, y), 0u);
        QVERIFY(rgb(img, from(80) - 1, y) != 0u && rgb(img, from(81), y) != 0u);
        // The hover frame's left edge, 3 logical pixels wide from x = 120.
        for (int x = from(120); x < to(123); ++x)
            QVERIFY(isRed(img, x, to(220)));
        QVERIFY(!isRed(img, from(120) - 1, to(220)) && !isRed(img, from(123), to(220)));
    }
};

QTEST_MAIN(tst_boardrenderer)
#include "tst_boardrenderer.moc"
