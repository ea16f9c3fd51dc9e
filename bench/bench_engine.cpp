// Times the engine's hot operations: the placement rule, one whole random
// fleet and one shot. Prints name=value lines (nanoseconds per call, the
// median of several runs).

#include "game/Game.h"
#include "support/GameTestAccess.h"
#include "support/TestDoubles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile long long sink = 0;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A set of placement fields at every stage of building a fleet.
std::vector<Grid> sampleGrids()
{
    std::vector<Grid> grids;
    ClockSeededRandom rng(7);
    for (int i = 0; i < 16; ++i) {
        Grid full;
        Game::placeShipsRandomly(full, rng);
        Grid partial;
        int n = 0;
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                if (full.at(x, y) && (n++ % 3) != 0)
                    partial.at(x, y) = pfShip;
        grids.push_back(full);
        grids.push_back(partial);
    }
    return grids;
}

double benchCanSetShipCell()
{
    const std::vector<Grid> grids = sampleGrids();
    std::vector<double> runs;
    for (int run = 0; run < 9; ++run) {
        long long calls = 0, yes = 0;
        const auto t0 = Clock::now();
        for (int rep = 0; rep < 200; ++rep) {
            for (const Grid &g : grids) {
                for (int x = 0; x < 10; ++x) {
                    for (int y = 0; y < 10; ++y) {
                        yes += Game::canSetShipCell(g, x, y, (x + y + rep) & 1);
                        ++calls;
                    }
                }
            }
        }
        const auto t1 = Clock::now();
        sink = sink + yes;
        runs.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / double(calls));
    }
    return median(runs);
}

double benchPlaceShipsRandomly()
{
    ClockSeededRandom rng(11);
    std::vector<double> runs;
    for (int run = 0; run < 9; ++run) {
        const int fleets = 2000;
        const auto t0 = Clock::now();
        for (int i = 0; i < fleets; ++i) {
            Grid g;
            Game::placeShipsRandomly(g, rng);
            sink = sink + g.at(i % 10, 0);
        }
        const auto t1 = Clock::now();
        runs.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / fleets);
    }
    return median(runs);
}

// Whole network games (no sound, drawing or sending): both players fire at
// every cell in turn until the second one has found everything. Only the
// shots are timed.
double benchClickControlField()
{
    NullEffects fx;
    ClockSeededRandom rng(5);
    ManualClock clock;
    Game game(fx, rng, clock);
    GameTestAccess::state(game).gameMode = gmTwoAtTwo;
    GameTestAccess::state(game).playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    game.startGame();
    Game::placeShipsRandomly(GameTestAccess::state(game).playField[0], rng);
    Game::placeShipsRandomly(GameTestAccess::state(game).playField[1], rng);
    GameTestAccess::state(game).gamePhase = gpFiring;
    const GameState start = game.st;

    std::vector<double> runs;
    for (int run = 0; run < 9; ++run) {
        long long calls = 0;
        Clock::duration spent{};
        for (int g = 0; g < 200; ++g) {
            GameTestAccess::state(game) = start;
            GameTestAccess::changeOverTimer(game).disable();
            int next[2] = {0, 0};
            const auto t0 = Clock::now();
            while (game.st.gamePhase == gpFiring) {
                const int p = game.st.currentPlayer;
                const int cell = next[p]++;
                if (cell >= 100)
                    break;
                // A different order per player and game, every cell once.
                const int k = (cell * 37 + g + p * 11) % 100;
                game.fireAt(k % 10, k / 10);
                ++calls;
            }
            spent += Clock::now() - t0;
        }
        runs.push_back(std::chrono::duration<double, std::nano>(spent).count() / double(calls));
    }
    return median(runs);
}

} // namespace

int main()
{
    std::printf("canSetShipCell_ns=%.1f\n", benchCanSetShipCell());
    std::printf("placeShipsRandomly_ns=%.0f\n", benchPlaceShipsRandomly());
    std::printf("clickControlField_ns=%.0f\n", benchClickControlField());
    return sink == 42 ? 1 : 0;
}
