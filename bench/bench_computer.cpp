// Plays many searches of the computer against random fleets and prints how
// many shots it needs at each level ("Normal" unprefixed, then "Leicht" and
// "Schwer"), beside a shooter that fires at random cells.
//   bench_computer [games]      (default 20000; the seeds are fixed)
// Output: one "name=value" line per figure. us_per_move is the time the
// shooter takes to choose one cell, the engine's shot itself not counted.

#include "game/Game.h"
#include "opponents/ComputerPlayer.h"
#include "support/GameTestAccess.h"
#include "support/TestDoubles.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Chooser = std::function<CellPos(const GameState &, Random &)>;

struct Result {
    std::vector<int> shots;
    double chooseSeconds = 0;
    long long moves = 0;
};

Result play(int games, const Chooser &choose)
{
    NullEffects fx;
    ManualClock clock;
    ClockSeededRandom fleets(1234); // the same fleets for every shooter
    ClockSeededRandom draws(5678);
    Result r;
    r.shots.reserve(games);
    for (int i = 0; i < games; ++i) {
        Game game(fx, draws, clock);
        GameState &st = GameTestAccess::state(game);
        st.gameMode = gmPCMode;
        Game::placeShipsRandomly(st.playField[0], fleets);
        st.gamePhase = gpFiring;
        st.currentPlayer = 1;
        st.winner = 0; // the other side is done: misses keep the shooter's turn
        while (st.gamePhase != gpFinished) {
            const auto t0 = std::chrono::steady_clock::now();
            const CellPos cell = choose(st, draws);
            r.chooseSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            ++r.moves;
            if (cell == NoCell || !game.fireAt(cell.x, cell.y)) {
                std::fprintf(stderr, "game %d: no valid shot\n", i);
                std::exit(1);
            }
        }
        r.shots.push_back(st.tries[1]);
    }
    return r;
}

void report(const char *prefix, const Result &r)
{
    std::vector<int> s = r.shots;
    std::sort(s.begin(), s.end());
    const std::size_t n = s.size();
    double sum = 0;
    for (int v : s)
        sum += v;
    const double mean = sum / n;
    double sq = 0;
    for (int v : s)
        sq += (v - mean) * (v - mean);
    const double stdev = n > 1 ? std::sqrt(sq / (n - 1)) : 0.0;
    const double median = n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2.0;
    // Nearest-rank percentiles.
    const auto percentile = [&](double p) {
        const std::size_t rank = static_cast<std::size_t>(std::ceil(p * n));
        return s[std::clamp<std::size_t>(rank, 1, n) - 1];
    };
    std::printf("%sgames=%zu\n", prefix, n);
    std::printf("%smean_shots=%.2f\n", prefix, mean);
    std::printf("%smedian_shots=%g\n", prefix, median);
    std::printf("%sstdev_shots=%.2f\n", prefix, stdev);
    std::printf("%smin_shots=%d\n", prefix, s.front());
    std::printf("%smax_shots=%d\n", prefix, s.back());
    std::printf("%sp10_shots=%d\n", prefix, percentile(0.10));
    std::printf("%sp90_shots=%d\n", prefix, percentile(0.90));
    std::printf("%sus_per_move=%.3f\n", prefix, r.chooseSeconds * 1e6 / r.moves);
}

} // namespace

int main(int argc, char **argv)
{
    int games = 20000;
    if (argc > 1) {
        char *end = nullptr;
        const long v = std::strtol(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || v < 1 || v > 10'000'000) {
            std::fprintf(stderr, "usage: %s [games]   (1 to 10000000, default 20000)\n", argv[0]);
            return 2;
        }
        games = static_cast<int>(v);
    }

    const Result computer = play(games, [](const GameState &st, Random &rng) {
        return ComputerPlayer::chooseCell(st.controlField[1], st.computerLastHit, rng);
    });
    report("", computer);

    const Result easy = play(games, [](const GameState &st, Random &rng) {
        return ComputerPlayer::chooseEasyCell(st.controlField[1], rng);
    });
    report("easy_", easy);

    const Result hard = play(games, [](const GameState &st, Random &rng) {
        return ComputerPlayer::chooseHardCell(st.controlField[1], rng);
    });
    report("hard_", hard);

    const Result random = play(games, [](const GameState &st, Random &rng) {
        std::vector<CellPos> open;
        open.reserve(100);
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                if (st.controlField[1].at(x, y) == cfUnknown)
                    open.push_back({x, y});
        return open.empty() ? NoCell : open[rng.random(static_cast<int>(open.size()))];
    });
    report("random_", random);
    return 0;
}
