#pragma once

#include <deque>
#include <random>
#include <vector>

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

// Replays a script of draws in order; when the script is used up it falls
// back to a seeded generator. Every draw is logged as (n, result) so tests
// can check which draws were made.
class ScriptedRandom final : public Random {
public:
    explicit ScriptedRandom(std::vector<int> script = {}, unsigned fallbackSeed = 1);
    void push(int value) { script_.push_back(value); }
    void push(std::initializer_list<int> values) { script_.insert(script_.end(), values); }
    int random(int n) override;
    std::size_t pending() const { return script_.size(); }

    struct Draw {
        int n;
        int result;
    };
    std::vector<Draw> log;

private:
    std::deque<int> script_;
    ClockSeededRandom fallback_;
};
