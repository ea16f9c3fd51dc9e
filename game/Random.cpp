#include "game/Random.h"

#include <QtGlobal>

#include <chrono>

ClockSeededRandom::ClockSeededRandom()
    : engine_(static_cast<unsigned>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count()))
{
}

int ClockSeededRandom::random(int n)
{
    if (n <= 1)
        return 0;
    std::uniform_int_distribution<int> dist(0, n - 1);
    return dist(engine_);
}

ScriptedRandom::ScriptedRandom(std::vector<int> script, unsigned fallbackSeed)
    : script_(script.begin(), script.end()), fallback_(fallbackSeed)
{
}

int ScriptedRandom::random(int n)
{
    int r;
    if (!script_.empty()) {
        r = script_.front();
        script_.pop_front();
        // A script value that does not fit the range is a broken test script:
        // stop loudly rather than play on with a draw nobody scripted.
        if (r < 0 || r >= (n < 1 ? 1 : n))
            qFatal("ScriptedRandom: scripted %d does not fit random(%d)", r, n);
    } else {
        r = fallback_.random(n);
    }
    log.push_back({n, r});
    return r;
}
