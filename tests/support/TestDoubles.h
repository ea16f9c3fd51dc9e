#pragma once

#include "game/GameTimers.h"
#include "game/Random.h"

#include <deque>
#include <vector>

// A clock that moves only when the test says so.
class ManualClock final : public Clock {
public:
    std::int64_t nowMs() const override { return now_; }
    void advance(std::int64_t ms) { now_ += ms; }
    void set(std::int64_t ms) { now_ = ms; }

private:
    std::int64_t now_ = 1'000'000;
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
