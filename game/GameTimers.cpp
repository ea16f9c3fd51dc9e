#include "game/GameTimers.h"

#include <algorithm>
#include <chrono>
#include <climits>

std::int64_t SteadyClock::nowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

GameTimer::GameTimer(TimerHub &hub, QString name, int intervalMs)
    : hub_(hub), name_(std::move(name)), interval_(intervalMs)
{
    hub_.registerTimer(this);
}

void GameTimer::setInterval(int ms)
{
    interval_ = ms < 0 ? 0 : ms;
    hub_.changed();
}

void GameTimer::setEnabled(bool on)
{
    if (on == enabled_) {
        return; // enabling a running timer (or stopping a stopped one) changes nothing
    }
    enabled_ = on;
    if (on) {
        lastMs_ = hub_.clock_.nowMs();
        hub_.polled_ = this;
    } else {
        // The hook goes to the newest timer still started, as on re-activation.
        // Leaving none polled would strand a started timer for good: after the
        // computer's winning shot and a switch to another window and back, the
        // computer's timer holds the hook, stops itself, and the victory pause
        // would never end.
        hub_.polled_ = nullptr;
        for (GameTimer *t : hub_.timers_)
            if (t->enabled_)
                hub_.polled_ = t;
    }
    if (hub_.observer_)
        hub_.observer_->timerSwitched(*this, on);
    hub_.changed();
}

bool TimerHub::poll()
{
    if (!active_ || held_ || polled_ == nullptr || !polled_->enabled_)
        return false;
    GameTimer *t = polled_;
    const std::int64_t now = clock_.nowMs();
    const std::int64_t elapsed = now - t->lastMs_;
    if (elapsed < t->interval_)
        return false;
    t->lastMs_ = now;
    const std::int64_t lag = t->interval_ > 0 ? elapsed / t->interval_ : 1;
    if (t->target_ != nullptr)
        t->target_->timerFired(*t, static_cast<int>(std::clamp<std::int64_t>(lag, 1, INT_MAX)));
    changed();
    return true;
}

std::optional<std::int64_t> TimerHub::nextDue() const
{
    if (!active_ || held_ || polled_ == nullptr || !polled_->enabled_)
        return std::nullopt;
    // An interval of 0 would fire on every idle pass; the wake-up timer treats
    // it as 1 ms so that a waiting program never spins.
    const int interval = polled_->interval_ > 0 ? polled_->interval_ : 1;
    return polled_->lastMs_ + interval;
}

void TimerHub::setApplicationActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    if (active) {
        for (GameTimer *t : timers_)
            if (t->enabled_)
                polled_ = t;
    }
    changed();
}

void TimerHub::setHeld(bool held)
{
    if (held == held_)
        return;
    held_ = held;
    changed();
}
