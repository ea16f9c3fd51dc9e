// Median time of one full board frame (compose + present), offscreen.
//   bench_drawscreen [frames]
#include "game/Game.h"
#include "presentation/BoardRenderer.h"
#include "presentation/DrawingSurface.h"
#include "support/GameTestAccess.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double medianMicros(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1000.0;
}

template <typename F> std::vector<qint64> timeFrames(int frames, F frame)
{
    for (int i = 0; i < 50; ++i) // warm the caches and the glyph cache
        frame();
    std::vector<qint64> ns;
    ns.reserve(frames);
    QElapsedTimer t;
    for (int i = 0; i < frames; ++i) {
        t.start();
        frame();
        ns.push_back(t.nsecsElapsed());
    }
    return ns;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;

    // A game in full swing: both fleets placed, many shots on both boards.
    NullEffects fx;
    ClockSeededRandom rng(7);
    ManualClock clock;
    Game game(fx, rng, clock);
    GameTestAccess::state(game).gameMode = gmTwoAtOne;
    GameTestAccess::state(game).playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    game.startGame();
    Game::placeShipsRandomly(GameTestAccess::state(game).playField[0], rng);
    Game::placeShipsRandomly(GameTestAccess::state(game).playField[1], rng);
    GameTestAccess::state(game).gamePhase = gpFiring;
    for (int i = 0; i < 60; ++i) {
        GameTestAccess::state(game).currentPlayer = i % 2;
        game.fireAt(rng.random(10), rng.random(10));
    }
    GameTestAccess::changeOverTimer(game).disable();
    GameTestAccess::state(game).gamePhase = gpFiring;
    GameTestAccess::state(game).hoverCell = {4, 5};

    BoardRenderer renderer;
    DrawingSurface surface(BoardRenderer::Width, BoardRenderer::Height);

    const auto board = timeFrames(frames, [&] {
        renderer.drawScreen(surface.backBuffer(), game.st, false);
        surface.present();
    });
    const auto banner = timeFrames(frames / 4, [&] {
        renderer.drawScreen(surface.backBuffer(), game.st, true);
        renderer.drawChangeOverBanner(surface.backBuffer(), game.st, 3);
        surface.present();
    });
    GameState title;
    const auto titleFrames = timeFrames(frames, [&] {
        renderer.drawScreen(surface.backBuffer(), title, false);
        surface.present();
    });

    std::printf("DrawScreen(true), boards in play: median %.1f us over %d frames\n", medianMicros(board),
                frames);
    std::printf("DrawScreen(true), title picture:  median %.1f us\n", medianMicros(titleFrames));
    std::printf("countdown banner frame:            median %.1f us\n", medianMicros(banner));
    return 0;
}
