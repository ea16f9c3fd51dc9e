#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The three game timers are polled from one idle hook, not driven by window
// timer messages. Their rules:
//  * a timer fires once at least its interval has passed since it was started
//    or last fired, and passes the number of whole intervals elapsed (>= 1);
//  * enabling a stopped timer starts its interval afresh and makes it the one
//    polled; enabling a running one changes nothing;
//  * only the polled timer fires; a timer that was taken over keeps its
//    enabled state; stopping a started timer hands the hook to the newest
//    timer (in creation order) that is still started, or to none;
//  * nothing fires while the application is not active; on becoming active
//    again every started timer takes the hook once more, in creation order;
//  * nothing fires while the hub is held (a question, dialog or menu of the
//    program is open); on release the polled timer goes on where it was, and
//    one whose interval ran out meanwhile fires at once.
// Time comes from a Clock so that tests can drive it by hand. The program
// wakes the hub with one precise single-shot timer aimed at nextDue(); it
// never spins in an idle loop.

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t nowMs() const override;
};

class TimerHub;
class GameTimer;

// The owner of a timer, told when it fires with the number of whole intervals
// elapsed (>= 1).
class TimerTarget {
public:
    virtual void timerFired(GameTimer &timer, int lagCount) = 0;

protected:
    ~TimerTarget() = default;
};

// Told of changes in the hub: the program re-aims its wake-up timer on
// scheduleChanged(); tests record which timers start and stop.
class TimerObserver {
public:
    // After every change that may move TimerHub::nextDue().
    virtual void scheduleChanged() {}
    // After a timer was enabled or disabled.
    virtual void timerSwitched(const GameTimer & /*timer*/, bool /*enabled*/) {}

protected:
    ~TimerObserver() = default;
};

class GameTimer {
public:
    GameTimer(TimerHub &hub, QString name, int intervalMs);
    GameTimer(const GameTimer &) = delete;
    GameTimer &operator=(const GameTimer &) = delete;

    const QString &name() const { return name_; }
    int interval() const { return interval_; }
    void setInterval(int ms);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool on);
    void enable() { setEnabled(true); }
    void disable() { setEnabled(false); }

    // Who is told when the timer fires; nobody when null.
    void setTarget(TimerTarget *target) { target_ = target; }

private:
    friend class TimerHub;
    TimerHub &hub_;
    TimerTarget *target_ = nullptr;
    QString name_;
    int interval_;
    bool enabled_ = false;
    std::int64_t lastMs_ = 0;
};

class TimerHub {
public:
    explicit TimerHub(const Clock &clock) : clock_(clock) {}

    // Fires the polled timer if it is due; returns true if it fired.
    bool poll();
    // When the polled timer is due next (absolute clock time), or nothing when
    // no timer is polled, the application is inactive or the hub is held.
    std::optional<std::int64_t> nextDue() const;

    void setApplicationActive(bool active);
    bool applicationActive() const { return active_; }
    void setHeld(bool held);
    bool held() const { return held_; }
    const GameTimer *polled() const { return polled_; }

    // Who is told of changes; nobody when null.
    void setObserver(TimerObserver *observer) { observer_ = observer; }

    const Clock &clock() const { return clock_; }

private:
    friend class GameTimer;
    void registerTimer(GameTimer *t) { timers_.push_back(t); }
    void changed()
    {
        if (observer_)
            observer_->scheduleChanged();
    }

    const Clock &clock_;
    TimerObserver *observer_ = nullptr;
    std::vector<GameTimer *> timers_;
    GameTimer *polled_ = nullptr;
    bool active_ = true;
    bool held_ = false;
};
