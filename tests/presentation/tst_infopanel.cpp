#include "game/Game.h"
#include "game/Random.h"
#include "presentation/BlendColor.h"
#include "presentation/DrawingSurface.h"
#include "presentation/InfoPanel.h"
#include "support/TestDoubles.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

// Channel by channel, truncating toward zero.
static_assert(BlendColor(0x000000, 0xFFFFFF, 1, 2) == 0x7F7F7F);
static_assert(BlendColor(0x0000C8, 0x000064, 1, 3) == 0x0000A7); // 200 - 33, not - 34
static_assert(BlendColor(WinRGB(123, 157, 221), WinRGB(69, 91, 149), 101, 202) == WinRGB(96, 124, 185));

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb White = qRgb(255, 255, 255);

// Test sprites: a plain hull band at rows 30-45 on fuchsia, red for 0-3,
// white for 4-7, so that a probe tells which sprite lies where.
InfoPanel::ShipSprites testSprites()
{
    InfoPanel::ShipSprites s;
    for (int k = 0; k < 8; ++k) {
        QImage img(33 * (k % 4 + 1) + 24, 50, QImage::Format_RGB32);
        img.fill(qRgb(255, 0, 255));
        QPainter(&img).fillRect(QRect(4, 30, img.width() - 8, 16), QColor::fromRgb(k < 4 ? Red : White));
        s[k] = InfoPanel::prepareSprite(img);
    }
    return s;
}

struct Panel {
    DrawingSurface surface{881, 182};
    QSignalSpy presents{&surface, &DrawingSurface::presented};
    ScriptedRandom rng;
    InfoPanel panel;
    explicit Panel(std::vector<int> draws = {0}) : rng(std::move(draws)), panel(surface, rng, testSprites())
    {
    }
    QImage image() const { return surface.frontImage(); }
};

// Where the ships of the left half stand (length, x, y), as the panel's table gives them.
const int Slots[10][3] = {{4, 4, 0},    {3, 168, 0},   {3, 295, 0},   {2, 81, 54},   {2, 175, 54},
                          {2, 269, 54}, {1, 100, 108}, {1, 161, 108}, {1, 222, 108}, {1, 283, 108}};

// Per slot of one half, seen at the top left corner of the hull band, which must sit
// exactly there: 'R' red hull, 'W' white hull, '-' background, '?' anything else.
QString halfState(const QImage &img, const QImage &bg, int ox)
{
    QString out;
    for (const auto &[length, x, y] : Slots) {
        const QPoint hull(ox + x + 4, y + 30), left = hull - QPoint(1, 0), above = hull - QPoint(0, 1);
        const QRgb c = img.pixel(hull);
        out += img.pixel(left) != bg.pixel(left) || img.pixel(above) != bg.pixel(above) ? '?'
               : c == Red                                                               ? 'R'
               : c == White                                                             ? 'W'
               : c == bg.pixel(hull)                                                    ? '-'
                                                                                        : '?';
    }
    return out;
}

void putShip(Grid &g, int x, int y, int length, bool horizontal, std::uint8_t code)
{
    for (int i = 0; i < length; ++i)
        g.at(horizontal ? x + i : x, horizontal ? y : y + i) = code;
}

} // namespace

class tst_InfoPanel : public QObject {
    Q_OBJECT
private slots:
    void backgroundIsADiagonalGradient()
    {
        const QImage bg = InfoPanel::buildInfoBackground();
        QCOMPARE(bg.size(), QSize(881, 182));
        // Line y runs from (0, y - 20) to (881, y).
        auto line = [](int y) {
            return WinColorToQColor(BlendColor(WinRGB(123, 157, 221), WinRGB(69, 91, 149), y, 202)).rgb();
        };
        QCOMPARE(bg.pixel(0, 0), line(20));
        QCOMPARE(bg.pixel(880, 0), line(0));
        QCOMPARE(bg.pixel(0, 181), line(201));
        QCOMPARE(bg.pixel(880, 181), line(181));
        QCOMPARE(bg.pixel(440, 90), line(100));
    }

    void fleetRows_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("placing, nothing placed") << int(gpPlacing1) << "WWWWWWWWWW" << QString(10, '-');
        QTest::newRow("placed: whole fleet red") << int(gpPlaced2) << "RRRRRRRRRR" << QString(10, '-');
        // Left: the viewed player's ships the opponent sank (the 4-ship and a
        // 1-ship); right: the first sunk 2-ship turns the leftmost 2-ship red.
        QTest::newRow("firing") << int(gpFiring) << "RWWWWWRWWW"
                                << "WWWRWWWWWW";
        QTest::newRow("finished") << int(gpFinished) << "RWWWWWRWWW"
                                  << "WWWRWWWWWW";
        QTest::newRow("no game: background only") << int(gpNoGame) << QString(10, '-') << QString(10, '-');
    }
    void fleetRows()
    {
        QFETCH(int, phase);
        QFETCH(QString, left);
        QFETCH(QString, right);
        Panel p;
        GameState st;
        st.gameMode = gmTwoAtOne;
        st.currentPlayer = 1; // the viewed player
        st.gamePhase = GamePhaseT(phase);
        if (phase == gpPlaced2) {
            ClockSeededRandom placer(7);
            Game::placeShipsRandomly(st.playField[1], placer);
            putShip(st.playField[0], 0, 0, 4, true, pfShip); // the other player's fleet is not shown
        }
        if (phase >= gpFiring) {
            putShip(st.controlField[1], 0, 0, 2, true, cfSunk);
            putShip(st.controlField[1], 5, 5, 3, false, cfHit); // hit, not sunk: not counted
            putShip(st.controlField[0], 2, 2, 4, false, cfSunk);
            putShip(st.controlField[0], 9, 9, 1, true, cfSunk);
        }
        p.panel.drawInfo(st);
        QCOMPARE(p.presents.count(), 1);
        const QImage &bg = p.panel.infoBackground();
        QCOMPARE(halfState(p.image(), bg, 0), left);
        QCOMPARE(halfState(p.image(), bg, 440), right);
        if (phase == gpNoGame)
            QCOMPARE(p.image(), bg);
    }

    void statistics()
    {
        // Singular, and the hit ratio rounded half to even.
        QCOMPARE(InfoPanel::statisticsText(0, 0), QStringLiteral("bisher 0 Versuche"));
        QCOMPARE(InfoPanel::statisticsText(1, 1), QStringLiteral("bisher 1 Versuch / Trefferquote: 100%"));
        QCOMPARE(InfoPanel::statisticsText(8, 3), QStringLiteral("bisher 8 Versuche / Trefferquote: 38%"));
        QCOMPARE(InfoPanel::statisticsText(8, 1), QStringLiteral("bisher 8 Versuche / Trefferquote: 12%"));

        // Drawn in white, centred at the bottom of each half.
        Panel p;
        GameState st;
        st.gameMode = gmPCMode;
        st.gamePhase = gpFiring;
        st.tries = {8, 3};
        putShip(st.controlField[0], 0, 0, 1, true, cfSunk);
        p.panel.drawInfo(st);
        const QImage img = p.image();
        QCOMPARE(img.pixel(440, 170), White); // the dividing line
        const QFontMetrics fm(p.panel.infoFont(), &img);
        auto whiteIn = [&](int x0, int x1) {
            int n = 0;
            for (int y = 182 - fm.height(); y < 182; ++y)
                for (int x = x0; x < x1; ++x)
                    n += img.pixel(x, y) == White;
            return n;
        };
        const int leftWidth = fm.horizontalAdvance(InfoPanel::statisticsText(3, 0));
        const int rightWidth = fm.horizontalAdvance(InfoPanel::statisticsText(8, 1));
        const int leftX = (440 - leftWidth) / 2, rightX = (440 - rightWidth) / 2 + 440;
        QVERIFY(whiteIn(leftX, leftX + leftWidth) > 30);
        QVERIFY(whiteIn(rightX, rightX + rightWidth) > 30);
        QCOMPARE(whiteIn(0, leftX - 1) + whiteIn(leftX + leftWidth + 2, 439), 0);
        QCOMPARE(whiteIn(rightX + rightWidth + 2, 881), 0);
    }

    void titlePose()
    {
        // x, sprite -> y, roll; "between": 66 sin(5pi/17) + 96 = 148.7, 25 cos = 15.05
        const int cases[][4] = {{0, 0, 96, 25}, {75, 0, 162, 0}, {-105, 3, 30, 0}, {50, 1, 149, 15}};
        for (const auto &[x, sprite, y, roll] : cases) {
            const InfoPanel::Pose pose = InfoPanel::titlePose(SailingShip{x, sprite, 66});
            QCOMPARE(QPoint(pose.y, pose.roll), QPoint(y, roll));
        }
    }

    void animationFrame()
    {
        Panel p({0, 1});
        QCOMPARE(p.panel.titleShip.x, -57); // starts left of the panel
        QCOMPARE(p.panel.titleShip.amplitude, 66);
        p.panel.animate(2);                     // two whole 10 ms intervals since the last frame
        QCOMPARE(p.panel.titleShip.x, -57 + 3); // lagCount + 1
        QCOMPARE(p.presents.count(), 1);

        p.panel.titleShip.x = 75; // crest of sprite 0: no roll, centre at (75, 162)
        p.panel.animate(1);
        QImage img = p.image();
        QCOMPARE(img.pixel(75, 174), Red);          // hull band: rows 30-45 of the sprite
        QCOMPARE(img.pixel(47 + 5, 137 + 31), Red); // sprite's top left at (75 - 28, 162 - 25)
        QCOMPARE(img.pixel(75, 140), p.panel.infoBackground().pixel(75, 140)); // fuchsia stays clear

        // Rolled clockwise by 25/256 of a turn about (0, 96): the hull's left end up, no fuchsia.
        p.panel.titleShip.x = 0;
        p.panel.animate(3);
        img = p.image();
        QCOMPARE(img.pixel(1, 96 + 14), Red);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (const QColor c = img.pixelColor(x, y); c.red() > 150 && c.green() < 100 && c.blue() > 150)
                    QFAIL("fuchsia pixel drawn");

        // Once wholly past the right edge (881 + 57 / 2 = 909) the next random ship enters from the left.
        p.panel.titleShip.x = 907;
        p.panel.animate(1);
        QCOMPARE(p.panel.titleShip.sprite, 0);
        p.panel.animate(1);
        QCOMPARE(p.panel.titleShip.sprite, 1);
        QCOMPARE(p.panel.titleShip.x, -45);
    }

    // Frames repaint only where the ship was and is, yet equal the whole panel recomposed.
    void partialFramesMatchFullFrames()
    {
        Panel partial({1, 3, 0}), full({1, 3, 0});
        GameState finished;
        finished.gamePhase = gpFinished;
        finished.tries = {30, 30};
        partial.panel.drawInfo(finished); // leftovers of a game must vanish
        partial.panel.titleShip.x = 820;
        for (int i = 0; i < 160; ++i) {
            const int lag = 1 + i % 9;
            full.panel.titleShip = partial.panel.titleShip;
            full.panel.drawInfo(GameState());
            full.panel.animate(lag);
            partial.panel.animate(lag);
            if (partial.image() != full.image())
                QFAIL(qPrintable(QString("frame %1 differs").arg(i)));
        }
        QCOMPARE(partial.rng.pending(), 1u); // one ship change happened
    }
};

QTEST_MAIN(tst_InfoPanel)
#include "tst_infopanel.moc"
