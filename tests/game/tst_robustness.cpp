#include "support/TestGame.h"

#include <QtTest>

#include <random>

// Whatever state the engine is in and whatever it is asked, it neither
// crashes nor writes outside the playing cells of a grid.
class tst_robustness : public QObject {
    Q_OBJECT
private slots:
    void randomCallsOnDamagedStates_data();
    void randomCallsOnDamagedStates();
};

namespace {

bool ringsClear(const GameState &st)
{
    for (const auto *grids : {&st.PlayField, &st.ControlField})
        for (const Grid &g : *grids)
            for (int i = -1; i <= 10; ++i)
                if (g.at(i, -1) || g.at(i, 10) || g.at(-1, i) || g.at(10, i))
                    return false;
    return true;
}

} // namespace

void tst_robustness::randomCallsOnDamagedStates_data()
{
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= 8; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void tst_robustness::randomCallsOnDamagedStates()
{
    QFETCH(unsigned, seed);
    std::mt19937 r(seed);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(r); };

    TestGame t;
    Game &g = t.game;
    GameState &st = g.st;
    st.PlayerNames = {QStringLiteral("%s%d"), QStringLiteral("%%")};
    for (int step = 0; step < 4000; ++step) {
        switch (in(0, 19)) {
        case 0: // damage the state
            st.CurrentPlayer = in(-3, 5);
            st.LocalPlayer = in(-3, 5);
            st.NetStartPlayer = in(-3, 5);
            break;
        case 1:
            st.GamePhase = in(-2, 8);
            st.GameMode = GameModeT(in(0, 4));
            st.PlacementDone = in(-1, 4);
            st.Winner = in(-2, 2);
            break;
        case 2:
            st.ChangingTime = in(-5, 25);
            st.Tries[in(0, 1)] = in(-5, 5);
            break;
        case 3: // junk in the playing cells
            for (int k = 0; k < 20; ++k) {
                Grid &grid = in(0, 1) ? st.PlayField[in(0, 1)] : st.ControlField[in(0, 1)];
                grid.at(in(0, 9), in(0, 9)) = std::uint8_t(in(0, 1) ? in(0, 3) : in(0, 255));
            }
            break;
        case 4:
            g.DXDrawMouseDown(MouseButton(in(0, 2)), in(-100, 1000), in(-100, 600));
            break;
        case 5:
            g.DXDrawMouseMove(in(0, 1), in(0, 1), in(-100, 1000), in(-100, 600));
            break;
        case 6: {
            const QPoint p =
                in(0, 1) ? LeftBoardPixel(in(0, 9), in(0, 9)) : RightBoardPixel(in(0, 9), in(0, 9));
            g.DXDrawMouseDown(MouseButton(in(0, 2)), p.x(), p.y());
            break;
        }
        case 7:
        case 8:
            g.ClickControlField(in(-3, 12), in(-3, 12));
            break;
        case 9:
            g.FormKeyPress(in(0, 1) ? 13 : in(-5, 300));
            break;
        case 10:
            g.DXTimerTimer();
            break;
        case 11:
            g.MenuItem_DeleteAllShipsClick();
            break;
        case 12:
            g.MenuItem_SetShipsAutomaticallyClick();
            break;
        case 13:
            if (in(0, 3) == 0)
                g.StartGame();
            break;
        case 14:
            if (in(0, 3) == 0)
                g.AbandonGame();
            break;
        case 15:
            g.SetInfoLabelCaption();
            break;
        case 16:
            t.run(in(0, 3000), 100);
            break;
        case 17:
            g.timers.setApplicationActive(in(0, 1));
            break;
        case 18: {
            const int p = in(-2, 3);
            QVERIFY(g.Hits(p) >= 0);
            const auto ratio = g.HitRatio(p);
            QVERIFY(!ratio || *ratio >= 0);
            QVERIFY(g.ViewedPlayer() == 0 || g.ViewedPlayer() == 1);
            break;
        }
        case 19: {
            const ShipCounts c =
                Game::CountShips(in(0, 1) ? st.PlayField[in(0, 1)] : st.ControlField[in(0, 1)], in(-3, 3));
            QCOMPARE(c[0], 0);
            break;
        }
        }
        QVERIFY2(ringsClear(st), qPrintable(QStringLiteral("step %1").arg(step)));
    }
}

QTEST_GUILESS_MAIN(tst_robustness)
#include "tst_robustness.moc"
