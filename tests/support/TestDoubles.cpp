#include "support/TestDoubles.h"

#include <QtGlobal>

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
