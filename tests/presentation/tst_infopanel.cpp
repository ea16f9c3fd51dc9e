#include "game/Game.h"
#include "game/Random.h"
#include "presentation/BlendColor.h"
#include "presentation/DXDrawSurface.h"
#include "presentation/InfoPanel.h"

#include <QPainter>
#include <QTest>

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb White = qRgb(255, 255, 255);

// Test sprites: a plain hull band at rows 30-45 on fuchsia, red for 0-3,
// white for 4-7, so that a probe tells which sprite lies where.
InfoPanel::ShipSprites testSprites()
{
    InfoPanel::ShipSprites s;
    for (int k = 0; k < 8; ++k) {
        const int w = 33 * (k % 4 + 1) + 24;
        QImage img(w, 50, QImage::Format_RGB32);
        img.fill(qRgb(255, 0, 255));
        QPainter p(&img);
        p.fillRect(QRect(4, 30, w - 8, 16), QColor::fromRgb(k < 4 ? Red : White));
        p.end();
        s[k] = InfoPanel::PrepareSprite(img);
    }
    return s;
}

struct Slot {
    int length;
    int j;
    int x;
    int y;
};

// Where the ships of one half stand (left half), as the panel's table gives them.
const Slot Slots[] = {{4, 0, 4, 0},     {3, 0, 168, 0},  {3, 1, 295, 0},   {2, 0, 81, 54},
                      {2, 1, 175, 54},  {2, 2, 269, 54}, {1, 0, 100, 108}, {1, 1, 161, 108},
                      {1, 2, 222, 108}, {1, 3, 283, 108}};

QPoint hullProbe(const Slot &s, int ox)
{
    return QPoint(ox + s.x + (33 * s.length + 24) / 2, s.y + 38);
}
QPoint clearProbe(const Slot &s, int ox)
{
    return QPoint(ox + s.x + (33 * s.length + 24) / 2, s.y + 10);
}

void putShip(Grid &g, int x, int y, int length, bool horizontal, std::uint8_t code)
{
    for (int i = 0; i < length; ++i)
        g.at(horizontal ? x + i : x, horizontal ? y : y + i) = code;
}

} // namespace

class tst_InfoPanel : public QObject {
    Q_OBJECT

private:
    // Which slots (by index into Slots) of a half show a red hull.
    static QString halfState(const QImage &img, const QImage &bg, int ox)
    {
        QString out;
        for (const Slot &s : Slots) {
            const QRgb hull = img.pixel(hullProbe(s, ox)) & 0xFFFFFF;
            const bool clear = img.pixel(clearProbe(s, ox)) == bg.pixel(clearProbe(s, ox));
            if (!clear)
                out += '?';
            else if (hull == (Red & 0xFFFFFF))
                out += 'R';
            else if (hull == (White & 0xFFFFFF))
                out += 'W';
            else if (img.pixel(hullProbe(s, ox)) == bg.pixel(hullProbe(s, ox)))
                out += '-';
            else
                out += '?';
        }
        return out;
    }

private slots:
    void blendColor_data()
    {
        QTest::addColumn<uint>("a");
        QTest::addColumn<uint>("b");
        QTest::addColumn<int>("i");
        QTest::addColumn<int>("n");
        QTest::addColumn<uint>("expected");
        QTest::newRow("start") << 0x102030u << 0xF0E0D0u << 0 << 5 << 0x102030u;
        QTest::newRow("end") << 0x102030u << 0xF0E0D0u << 5 << 5 << 0xF0E0D0u;
        QTest::newRow("half up") << 0x000000u << 0xFFFFFFu << 1 << 2 << 0x7F7F7Fu;
        // 200 + (100 - 200) * 1 / 3 = 200 - 33 (toward zero, not -34)
        QTest::newRow("down truncates toward zero") << 0x0000C8u << 0x000064u << 1 << 3 << 0x0000A7u;
        QTest::newRow("channels apart")
            << WinRGB(123, 157, 221) << WinRGB(69, 91, 149) << 101 << 202 << WinRGB(96, 124, 185);
    }
    void blendColor()
    {
        QFETCH(uint, a);
        QFETCH(uint, b);
        QFETCH(int, i);
        QFETCH(int, n);
        QFETCH(uint, expected);
        QCOMPARE(BlendColor(a, b, i, n), expected);
    }

    void backgroundIsAGapFreeDiagonalGradient()
    {
        const QImage bg = InfoPanel::BuildInfoBackground();
        QCOMPARE(bg.size(), QSize(881, 182));
        const QColor light(123, 157, 221), dark(69, 91, 149);
        for (int y = 0; y < bg.height(); ++y) {
            for (int x = 0; x < bg.width(); ++x) {
                const QColor c = bg.pixelColor(x, y);
                if (c.red() < dark.red() || c.red() > light.red() || c.blue() < dark.blue() ||
                    c.blue() > light.blue())
                    QFAIL(qPrintable(QString("pixel %1,%2 outside the gradient").arg(x).arg(y)));
            }
        }
        // Each corner lies on the line that the slope gives it: line y runs
        // from (0, y - 20) to (881, y).
        auto lineColour = [](int y) {
            return WinColorToQColor(BlendColor(WinRGB(123, 157, 221), WinRGB(69, 91, 149), y, 202)).rgb();
        };
        QCOMPARE(bg.pixel(0, 0), lineColour(20));
        QCOMPARE(bg.pixel(880, 0), lineColour(0));
        QCOMPARE(bg.pixel(0, 181), lineColour(201));
        QCOMPARE(bg.pixel(880, 181), lineColour(181));
        QCOMPARE(bg.pixel(440, 90), lineColour(100));
    }

    void spritesTurnFuchsiaTransparent()
    {
        QImage img(3, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(255, 0, 255));
        img.setPixel(1, 0, qRgb(255, 0, 254));
        img.setPixel(2, 0, qRgb(10, 20, 30));
        const QImage s = InfoPanel::PrepareSprite(img);
        QCOMPARE(qAlpha(s.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(s.pixel(1, 0)), 255);
        QCOMPARE(s.pixel(2, 0), qRgb(10, 20, 30));
        // Whatever the assets hold, there are eight sprites of the right height.
        const InfoPanel::ShipSprites loaded = InfoPanel::LoadShipSprites();
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(loaded[k].height(), 50);
            QCOMPARE(loaded[k].width(), 33 * (k % 4 + 1) + 24);
        }
    }

    void fleetRows_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("placing, nothing placed") << int(gpPlacing1) << "WWWWWWWWWW"
                                                 << "----------";
        QTest::newRow("placed: whole fleet red") << int(gpPlaced2) << "RRRRRRRRRR"
                                                 << "----------";
        // Left: the viewed player's ships the opponent sank (the 4-ship and a
        // 1-ship); right: the first sunk 2-ship turns the leftmost 2-ship red.
        QTest::newRow("firing") << int(gpFiring) << "RWWWWWRWWW"
                                << "WWWRWWWWWW";
        QTest::newRow("finished") << int(gpFinished) << "RWWWWWRWWW"
                                  << "WWWRWWWWWW";
        QTest::newRow("no game: background only") << int(gpNoGame) << "----------"
                                                  << "----------";
    }
    void fleetRows()
    {
        QFETCH(int, phase);
        QFETCH(QString, left);
        QFETCH(QString, right);
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({0});
        InfoPanel panel(surface, rng, testSprites());
        GameState st;
        st.GameMode = gmTwoAtOne;
        st.CurrentPlayer = 1; // the viewed player
        st.GamePhase = phase;
        if (phase == gpPlaced2) {
            ClockSeededRandom placer(7);
            Game::PlaceShipsRandomly(st.PlayField[1], placer);
            putShip(st.PlayField[0], 0, 0, 4, true, pfShip); // the other player's fleet is not shown
        }
        if (phase >= gpFiring) {
            putShip(st.ControlField[1], 0, 0, 2, true, cfSunk);
            putShip(st.ControlField[1], 5, 5, 3, false, cfHit); // hit, not sunk: not counted
            putShip(st.ControlField[0], 2, 2, 4, false, cfSunk);
            putShip(st.ControlField[0], 9, 9, 1, true, cfSunk);
        }
        const int presents = surface.presentCount();
        panel.DrawInfo(st);
        QCOMPARE(surface.presentCount(), presents + 1);
        const QImage img = surface.frontImage();
        const QImage &bg = panel.InfoBackground();
        QCOMPARE(halfState(img, bg, 0), left);
        QCOMPARE(halfState(img, bg, 440), right);
        if (phase == gpNoGame)
            QCOMPARE(img, bg);
    }

    void viewedPlayer_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("local");
        QTest::addColumn<int>("viewed");
        QTest::newRow("two at one follows the turn") << int(gmTwoAtOne) << 1 << 0 << 1;
        QTest::newRow("network shows the local side") << int(gmTwoAtTwo) << 0 << 1 << 1;
        QTest::newRow("computer game shows the human") << int(gmPCMode) << 1 << 1 << 0;
    }
    void viewedPlayer()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(int, local);
        QFETCH(int, viewed);
        GameState st;
        st.GameMode = GameModeT(mode);
        st.CurrentPlayer = current;
        st.LocalPlayer = local;
        QCOMPARE(InfoPanel::ViewedPlayer(st), viewed);
    }

    void statisticsText_data()
    {
        QTest::addColumn<int>("tries");
        QTest::addColumn<int>("hits");
        QTest::addColumn<QString>("text");
        QTest::newRow("no shot") << 0 << 0 << "bisher 0 Versuche";
        QTest::newRow("one miss") << 1 << 0 << "bisher 1 Versuch / Trefferquote: 0%";
        QTest::newRow("one hit") << 1 << 1 << "bisher 1 Versuch / Trefferquote: 100%";
        QTest::newRow("37.5 rounds up to even") << 8 << 3 << "bisher 8 Versuche / Trefferquote: 38%";
        QTest::newRow("12.5 rounds down to even") << 8 << 1 << "bisher 8 Versuche / Trefferquote: 12%";
        QTest::newRow("12 shots 5 hits") << 12 << 5 << "bisher 12 Versuche / Trefferquote: 42%";
    }
    void statisticsText()
    {
        QFETCH(int, tries);
        QFETCH(int, hits);
        QFETCH(QString, text);
        QCOMPARE(InfoPanel::StatisticsText(tries, hits), text);
    }

    void statisticsAreDrawnAtTheBottomOfEachHalf()
    {
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({0});
        InfoPanel panel(surface, rng, testSprites());
        GameState st;
        st.GameMode = gmPCMode;
        st.GamePhase = gpFiring;
        st.Tries = {8, 3};
        putShip(st.ControlField[0], 0, 0, 1, true, cfSunk);
        panel.DrawInfo(st);
        const QImage img = surface.frontImage();
        QCOMPARE(img.pixel(440, 170) & 0xFFFFFF, 0xFFFFFFu); // the dividing line
        QCOMPARE(img.pixel(440, 3) & 0xFFFFFF, 0xFFFFFFu);
        const QFontMetrics fm(panel.InfoFont(), &img);
        auto whiteIn = [&](int x0, int x1) {
            int n = 0;
            for (int y = 182 - fm.height(); y < 182; ++y)
                for (int x = x0; x < x1; ++x)
                    n += (img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
            return n;
        };
        const int leftWidth = fm.horizontalAdvance(InfoPanel::StatisticsText(3, 0));
        const int rightWidth = fm.horizontalAdvance(InfoPanel::StatisticsText(8, 1));
        const int leftX = (440 - leftWidth) / 2, rightX = (440 - rightWidth) / 2 + 440;
        QVERIFY(whiteIn(leftX, leftX + leftWidth) > 30);
        QVERIFY(whiteIn(rightX, rightX + rightWidth) > 30);
        QCOMPARE(whiteIn(0, leftX - 1), 0);
        QCOMPARE(whiteIn(leftX + leftWidth + 2, 439), 0);
        QCOMPARE(whiteIn(rightX + rightWidth + 2, 881), 0);
        QCOMPARE(InfoPanel::HitCells(st.ControlField[0]), 1);
    }

    void titleShipStartsLeftOfThePanel()
    {
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({2});
        InfoPanel panel(surface, rng, testSprites());
        QCOMPARE(panel.TitleShip.X, -57);
        QCOMPARE(panel.TitleShip.Sprite, 2);
        QCOMPARE(panel.TitleShip.Amplitude, 66);
    }

    void titlePose_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("sprite");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("roll");
        QTest::newRow("phase 0") << 0 << 0 << 96 << 25;
        QTest::newRow("crest") << 75 << 0 << 162 << 0;
        QTest::newRow("trough") << -105 << 3 << 30 << 0;
        QTest::newRow("falling") << 150 << 0 << 96 << -25;
        QTest::newRow("between") << 50 << 1 << 149 << 15; // 66 sin(5pi/17) + 96 = 148.7; 25 cos = 15.05
    }
    void titlePose()
    {
        QFETCH(int, x);
        QFETCH(int, sprite);
        QFETCH(int, y);
        QFETCH(int, roll);
        const InfoPanel::Pose pose = InfoPanel::TitlePose(TitleShipT{x, sprite, 66});
        QCOMPARE(pose.Y, y);
        QCOMPARE(pose.Roll, roll);
    }

    void animationFrame()
    {
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({0, 1});
        InfoPanel panel(surface, rng, testSprites());
        panel.TitleShip.X = 75; // crest of sprite 0: no roll, centre at (75, 162)
        panel.DXTimer_InfoTimer(1);
        QCOMPARE(surface.presentCount(), 1);
        QImage img = surface.frontImage();
        QCOMPARE(img.pixel(75, 174), Red);          // hull band: rows 30-45 of the sprite
        QCOMPARE(img.pixel(47 + 5, 137 + 31), Red); // sprite's top left at (75 - 28, 162 - 25)
        QCOMPARE(img.pixel(75, 140), panel.InfoBackground().pixel(75, 140)); // fuchsia stays clear
        QCOMPARE(img.pixel(200, 20), panel.InfoBackground().pixel(200, 20));
        QCOMPARE(panel.TitleShip.X, 77); // lagCount + 1

        // Rolled: the picture turns, and no fuchsia reaches the panel.
        panel.TitleShip.X = 0;
        panel.DXTimer_InfoTimer(3);
        QCOMPARE(panel.TitleShip.X, 4);
        img = surface.frontImage();
        int red = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                QVERIFY2(!(c.red() > 150 && c.green() < 100 && c.blue() > 150), "fuchsia pixel drawn");
                red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        QVERIFY(red > 100);
        // Rotated clockwise by 25/256 of a turn about (0, 96): the hull's
        // left end, left of the centre and below it, moves up.
        QCOMPARE(img.pixel(1, 96 + 14) & 0xFFFFFF, 0xFF0000u);
    }

    void nextShipEntersFromTheLeft()
    {
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({3, 1});
        InfoPanel panel(surface, rng, testSprites());
        QCOMPARE(panel.TitleShip.Sprite, 3);
        panel.TitleShip.X = 957; // 881 + 156 / 2 = 959: still on the panel after this tick
        panel.DXTimer_InfoTimer(1);
        QCOMPARE(panel.TitleShip.X, 959);
        QCOMPARE(panel.TitleShip.Sprite, 3);
        panel.DXTimer_InfoTimer(1);
        QCOMPARE(panel.TitleShip.Sprite, 1);
        QCOMPARE(panel.TitleShip.X, -45);
        QCOMPARE(rng.pending(), 0u);
    }

    void partialFramesMatchFullFrames()
    {
        // Frames repaint only where the ship was and is; the result must be
        // the same as recomposing the whole panel, across rolls, lags and a
        // change of ship.
        DXDrawSurface partialSurface(881, 182), fullSurface(881, 182);
        ScriptedRandom rngA({1, 3, 0}), rngB({1, 3, 0});
        InfoPanel partial(partialSurface, rngA, testSprites());
        InfoPanel full(fullSurface, rngB, testSprites());
        GameState finished;
        finished.GamePhase = gpFinished;
        finished.Tries = {30, 30};
        partial.DrawInfo(finished); // leftovers of a game must vanish
        partial.TitleShip.X = 820;
        const GameState noGame;
        for (int i = 0; i < 160; ++i) {
            const int lag = 1 + i % 4;
            full.TitleShip = partial.TitleShip;
            full.DrawInfo(noGame);
            full.DXTimer_InfoTimer(lag);
            partial.DXTimer_InfoTimer(lag);
            if (partialSurface.frontImage() != fullSurface.frontImage())
                QFAIL(qPrintable(QString("frame %1 differs").arg(i)));
        }
        QCOMPARE(rngA.pending(), 1u); // one ship change happened
    }

    void timerDrivesTheAnimation()
    {
        DXDrawSurface surface(881, 182);
        ScriptedRandom rng({0});
        InfoPanel panel(surface, rng, testSprites());
        ManualClock clock;
        TimerHub hub(clock);
        GameTimer timer(hub, "DXTimer_Info", 10);
        panel.attach(timer);
        timer.enable();
        clock.advance(25);
        QVERIFY(hub.poll());
        QCOMPARE(panel.TitleShip.X, -57 + 3);
        QCOMPARE(surface.presentCount(), 1);
    }
};

QTEST_MAIN(tst_InfoPanel)
#include "tst_infopanel.moc"
