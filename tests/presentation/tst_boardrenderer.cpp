#include "game/Game.h"
#include "presentation/BoardRenderer.h"

#include <QtTest>

// Pixel probes on composed board frames: what a player sees at known places.
class tst_boardrenderer : public QObject {
    Q_OBJECT

    static QImage frame()
    {
        return QImage(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
    }
    static GameState placingState()
    {
        GameState st;
        st.GameMode = gmTwoAtOne;
        st.GamePhase = gpPlacing1;
        st.PlayerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
        return st;
    }
    static QRgb rgb(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
    static bool isRed(const QImage &img, int x, int y) { return rgb(img, x, y) == 0xFF0000; }
    // Reddish text pixels (antialiased red over a light box).
    static bool isBannerText(QRgb c) { return qRed(c) > 180 && qGreen(c) < 140 && qBlue(c) < 140; }

private slots:
    void titlePictureWhileNoGame()
    {
        BoardRenderer r;
        GameState st; // gpNoGame
        QImage img = frame();
        img.fill(Qt::red); // what an earlier frame left
        r.DrawScreen(img, st, false);
        QCOMPARE(img.copy(0, 0, 880, 480), r.Picture(0).copy(0, 0, 880, 480));
        // The last column and row of the surface, beyond the picture, carry
        // its edge on, not the earlier frame.
        QCOMPARE(img.pixel(880, 100), r.Picture(0).pixel(879, 100));
        QCOMPARE(img.pixel(300, 480), r.Picture(0).pixel(300, 479));
        QCOMPARE(img.pixel(880, 480), r.Picture(0).pixel(879, 479));
    }

    void gridLinesAndWidths()
    {
        BoardRenderer r;
        QImage img = frame();
        r.DrawScreen(img, placingState(), false);
        // Thick border columns run from the top, the others start at row 1.
        QCOMPARE(rgb(img, 440, 20), 0u);
        QCOMPARE(rgb(img, 439, 20), 0u);
        QCOMPARE(rgb(img, 441, 20), 0u);
        QVERIFY(rgb(img, 400, 20) != 0u);
        QCOMPARE(rgb(img, 400, 100), 0u);
        QVERIFY(rgb(img, 399, 100) != 0u);
        // Thin row line at y = 120, thick one at y = 80.
        QCOMPARE(rgb(img, 300, 120), 0u);
        QVERIFY(rgb(img, 300, 121) != 0u);
        QCOMPARE(rgb(img, 300, 81), 0u);
        QCOMPARE(rgb(img, 300, 479), 0u);
        // An empty cell shows the board background.
        QCOMPARE(img.pixel(100, 140), r.Picture(1).pixel(100, 140));
    }

    void cellFills_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<uint>("stored");
        QTest::addColumn<uint>("shown");
        QTest::newRow("stored $0000FF is red") << 2 << 0x0000FFu << 0xFF0000u;
        QTest::newRow("default water dark blue") << 1 << 0x800000u << 0x000080u;
        QTest::newRow("default partly found yellow") << 2 << 0x00FFFFu << 0xFFFF00u;
        QTest::newRow("default sunk grey") << 3 << 0x808080u << 0x808080u;
        QTest::newRow("mixed channels") << 3 << 0x123456u << 0x563412u;
    }
    void cellFills()
    {
        QFETCH(int, code);
        QFETCH(uint, stored);
        QFETCH(uint, shown);
        BoardRenderer r;
        GameState st = placingState();
        st.GamePhase = gpFiring;
        st.CellColors[code] = stored;
        st.PlayField[0].at(0, 0) = static_cast<std::uint8_t>(code);
        st.ControlField[0].at(9, 9) = static_cast<std::uint8_t>(code);
        QImage img = frame();
        r.DrawScreen(img, st, false);
        // Left board cell (0, 0) spans 40..80 x 80..120; filled from +1.
        QCOMPARE(rgb(img, 60, 100), shown);
        QCOMPARE(rgb(img, 41, 81), shown);
        QCOMPARE(rgb(img, 79, 119), shown);
        QCOMPARE(rgb(img, 80, 100), 0u); // the grid line beside it stays
        // Right board cell (9, 9) spans 840..880 x 440..480.
        QCOMPARE(rgb(img, 860, 460), shown);
        QCOMPARE(BoardRenderer::SwapRedBlue(stored), shown);
    }

    void viewedPlayersBoards_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("local");
        QTest::addColumn<int>("viewed");
        QTest::newRow("two at one: current player") << int(gmTwoAtOne) << 1 << 0 << 1;
        QTest::newRow("network: local player") << int(gmTwoAtTwo) << 0 << 1 << 1;
        QTest::newRow("computer: player 0") << int(gmPCMode) << 1 << 1 << 0;
    }
    void viewedPlayersBoards()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, local);
        QFETCH(int, viewed);
        BoardRenderer r;
        GameState st = placingState();
        st.GameMode = static_cast<GameModeT>(mode);
        st.GamePhase = gpFiring;
        st.CurrentPlayer = current;
        st.LocalPlayer = local;
        st.PlayField[viewed].at(2, 2) = pfShip;
        st.ControlField[viewed].at(3, 3) = cfWater;
        QImage img = frame();
        r.DrawScreen(img, st, false);
        const QRect own = BoardRenderer::LeftCellRect(2, 2);
        const QRect shot = BoardRenderer::RightCellRect(3, 3);
        QCOMPARE(rgb(img, own.center().x(), own.center().y()), 0xFFFF00u);
        QCOMPARE(rgb(img, shot.center().x(), shot.center().y()), 0x000080u);
    }

    void hoverFrameAndTint_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("timerRunning");
        QTest::addColumn<int>("placementDone");
        QTest::addColumn<bool>("rightBoard");
        QTest::addColumn<bool>("shown");
        QTest::newRow("placing, left board") << int(gpPlacing1) << false << 0 << false << true;
        QTest::newRow("firing, right board") << int(gpFiring) << false << 0 << true << true;
        QTest::newRow("countdown running") << int(gpFiring) << true << 0 << true << false;
        QTest::newRow("own fleet sent") << int(gpPlaced1) << false << pdLocal << false << false;
        QTest::newRow("both fleets exchanged")
            << int(gpFiring) << false << (pdLocal | pdRemote) << true << true;
    }
    void hoverFrameAndTint()
    {
        QFETCH(int, phase);
        QFETCH(bool, timerRunning);
        QFETCH(int, placementDone);
        QFETCH(bool, rightBoard);
        QFETCH(bool, shown);
        BoardRenderer r;
        GameState st = placingState();
        st.GamePhase = phase;
        st.PlacementDone = placementDone;
        st.HoverCell = {3, 4};
        QImage img = frame();
        r.DrawScreen(img, st, timerRunning);
        const QRect cell =
            rightBoard ? BoardRenderer::RightCellRect(3, 4) : BoardRenderer::LeftCellRect(3, 4);
        const int l = cell.x(), t = cell.y();
        const QRgb bg = r.Picture(1).pixel(l + 20, t + 20);
        if (!shown) {
            QCOMPARE(img.pixel(l + 20, t + 20), bg);
            QVERIFY(!isRed(img, l + 1, t + 20));
            return;
        }
        // The 3-pixel frame around (l+1, t+1)..(l+40, t+40).
        QVERIFY(isRed(img, l + 1, t + 20));
        QVERIFY(isRed(img, l + 39, t + 20));
        QVERIFY(isRed(img, l + 20, t + 1));
        QVERIFY(isRed(img, l + 20, t + 39));
        // Red blended into the square at 50/255.
        const QRgb tinted = img.pixel(l + 20, t + 20);
        QVERIFY(qAbs(qRed(tinted) - (qRed(bg) * 205 + 255 * 50) / 255) <= 2);
        QVERIFY(qAbs(qGreen(tinted) - qGreen(bg) * 205 / 255) <= 2);
        QVERIFY(qAbs(qBlue(tinted) - qBlue(bg) * 205 / 255) <= 2);
    }

    void lastShotFrameOfCornerCell()
    {
        BoardRenderer r;
        GameState st = placingState();
        st.GamePhase = gpFiring;
        st.CurrentPlayer = 1; // the frame shows the opponent's (player 0's) last shot
        st.LastShot[0] = {0, 0};
        QImage img = frame();
        r.DrawScreen(img, st, false);
        // The frame runs from (39, 79) to (82, 122), around the grid lines.
        for (int y = 79; y <= 121; ++y) {
            QVERIFY2(isRed(img, 39, y), qPrintable(QString::number(y)));
            QVERIFY2(isRed(img, 81, y), qPrintable(QString::number(y)));
        }
        for (int x = 39; x <= 81; ++x) {
            QVERIFY(isRed(img, x, 79));
            QVERIFY(isRed(img, x, 121));
        }
        QVERIFY(!isRed(img, 60, 100));
        QVERIFY(!isRed(img, 84, 100));

        // Another slot, or no shot: no frame anywhere on the left board.
        st.LastShot[0] = NoCell;
        st.LastShot[1] = {0, 0};
        r.DrawScreen(img, st, false);
        for (int y = 40; y < 481; ++y)
            for (int x = 0; x < 440; ++x)
                QVERIFY(!isRed(img, x, y));
    }

    void bannerBox()
    {
        BoardRenderer r;
        GameState st = placingState();
        QImage img = frame();
        r.DrawScreen(img, st, false);
        const QImage before = img;
        r.DrawInfoRectangle(img, BoardRenderer::Width - 50, BoardRenderer::Height - 100);
        // Outline one pixel outside the box (25, 50)..(856, 431).
        QCOMPARE(rgb(img, 24, 300), 0u);
        QCOMPARE(rgb(img, 856, 300), 0u);
        QCOMPARE(rgb(img, 300, 49), 0u);
        QCOMPARE(rgb(img, 300, 431), 0u);
        QCOMPARE(img.pixel(23, 300), before.pixel(23, 300));
        // White blended in at 150/255.
        const QRgb b = before.pixel(100, 300), a = img.pixel(100, 300);
        QVERIFY(qAbs(qRed(a) - (qRed(b) * 105 + 255 * 150) / 255) <= 2);
        QVERIFY(qAbs(qBlue(a) - (qBlue(b) * 105 + 255 * 150) / 255) <= 2);
    }

    void bannersDrawRedTextInTheBox()
    {
        BoardRenderer r;
        GameState st = placingState();
        st.GamePhase = gpFiring;
        auto redRows = [](const QImage &img) {
            int rows = 0;
            for (int y = 0; y < img.height(); ++y) {
                bool any = false;
                for (int x = 0; x < img.width() && !any; ++x)
                    any = isBannerText(img.pixel(x, y));
                rows += any ? 1 : 0;
            }
            return rows;
        };
        QImage a = frame(), b = frame(), c = frame();
        r.DrawScreen(a, st, true);
        r.DrawChangeOverBanner(a, st, 7);
        r.DrawScreen(b, st, false);
        r.DrawFoundAllBanner(b, st);
        r.DrawScreen(c, st, false);
        r.DrawGameEndBanner(c);
        QVERIFY(redRows(a) > 150); // three tall lines
        QVERIFY(redRows(b) > 100);
        QVERIFY(redRows(c) > 20);
        QVERIFY(redRows(c) < 80); // one line
        // The banners leave the board font selected.
        QCOMPARE(r.ScreenFont().pixelSize(), 27);
        QCOMPARE(r.ScreenFontColor(), QColor(Qt::black));
    }

    void longNameIsShortenedInsideTheBanner()
    {
        BoardRenderer r;
        GameState st = placingState();
        st.GameMode = gmPCMode;
        st.GamePhase = gpFiring;
        st.CurrentPlayer = 1; // the computer's line: name, then "hat alle Schiffe gefunden."
        st.PlayerNames[1] = QString(40, QLatin1Char('W'));
        QImage img = frame();
        r.DrawScreen(img, st, false);
        r.DrawFoundAllBanner(img, st);
        int minX = img.width(), maxX = -1;
        const int t = QFontMetrics(BoardRenderer::ArialFont(40, true)).height();
        for (int y = BoardRenderer::Height / 2 - t; y < BoardRenderer::Height / 2; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (isBannerText(img.pixel(x, y))) {
                    minX = qMin(minX, x);
                    maxX = qMax(maxX, x);
                }
        QVERIFY(maxX > minX);
        QVERIFY2(minX >= 50 && maxX <= 831, qPrintable(QStringLiteral("%1..%2").arg(minX).arg(maxX)));
        QVERIFY(qAbs((minX + maxX) / 2 - 440) < 20);
    }

    void fitTextWithEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("fits") << QStringLiteral("Anna") << 400 << true;
        QTest::newRow("exactly fits") << QStringLiteral("Bert") << -1 << true;
        QTest::newRow("too long") << QStringLiteral("Wilhelmina-Augusta") << 200 << false;
        QTest::newRow("one pixel short") << QStringLiteral("Bertholdinchen") << -2 << false;
    }
    void fitTextWithEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(int, maxWidth);
        QFETCH(bool, unchanged);
        const QFont font = BoardRenderer::ArialFont(40, true);
        const QFontMetrics fm(font);
        if (maxWidth == -1)
            maxWidth = fm.horizontalAdvance(text);
        if (maxWidth == -2)
            maxWidth = fm.horizontalAdvance(text) - 1;
        const QString fitted = BoardRenderer::FitTextWithEllipsis(text, font, maxWidth);
        if (unchanged) {
            QCOMPARE(fitted, text);
            return;
        }
        QVERIFY(fitted.endsWith(QStringLiteral("...")));
        const QString kept = fitted.chopped(3);
        QVERIFY(text.startsWith(kept));
        QVERIFY(kept.size() <= text.size() - 2); // at least two characters go
        QVERIFY(fm.horizontalAdvance(fitted) <= maxWidth);
        // The longest prefix that fits: one more character would not.
        if (kept.size() < text.size() - 2)
            QVERIFY(fm.horizontalAdvance(text.left(kept.size() + 1) + QStringLiteral("...")) > maxWidth);
    }

    void fontsAtWindowsPointSizes()
    {
        QCOMPARE(BoardRenderer::PointsToPixels(8), 11);
        QCOMPARE(BoardRenderer::PointsToPixels(20), 27);
        QCOMPARE(BoardRenderer::PointsToPixels(40), 53);
        QCOMPARE(BoardRenderer::PointsToPixels(60), 80);
        QCOMPARE(BoardRenderer::PointsToPixels(80), 107);
        BoardRenderer r;
        r.SetScreenFont(1);
        QCOMPARE(r.ScreenFont().pixelSize(), 80);
        QCOMPARE(r.ScreenFontColor(), QColor(255, 0, 0));
        QVERIFY(r.ScreenFont().bold());
        r.SetScreenFont(0);
        QCOMPARE(r.ScreenFont().pixelSize(), 27);
        QCOMPARE(r.ScreenFont().family(), QStringLiteral("Arial"));
    }
};

QTEST_MAIN(tst_boardrenderer)
#include "tst_boardrenderer.moc"
