#include "game/Random.h"

#include <QtGlobal>

#include <chrono>

ClockSeededRandom::ClockSeededRandom()
    : engine_(static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count()))
{
}

int ClockSeededRandom::random(int n)
{
    if (n <= 1)
        return 0;
    std::uniform_int_distribution<int> dist(0, n - 1);
    return dist(engine_);
}
