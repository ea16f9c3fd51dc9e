#pragma once

#include <random>

// The game's one source of chance: random(n) gives a uniform integer
// 0 <= r < n. The program seeds it once from the clock; tests replace it.
class Random {
public:
    virtual ~Random() = default;
    virtual int random(int n) = 0;
};

class ClockSeededRandom final : public Random {
public:
    ClockSeededRandom();
    explicit ClockSeededRandom(unsigned seed) : engine_(seed) {}
    int random(int n) override;

private:
    std::mt19937 engine_;
};
