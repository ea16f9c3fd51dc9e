#pragma once

#include "game/GameTimers.h"

#include <QObject>
#include <QTimer>

// Wakes the game timers: one precise single-shot Qt timer aimed at the moment
// the polled game timer is due, re-aimed whenever the schedule changes. When
// no game timer runs, or the application is in the background, nothing is
// armed and the program sleeps.
//
// While a modal window (a question, a dialog) or a menu of the program is open
// the game timers stand still: the hub is held from the moment such a window
// shows until the last of them is gone.
class GameTimerDriver : public QObject, private TimerObserver {
    Q_OBJECT
public:
    explicit GameTimerDriver(TimerHub &hub, QObject *parent = nullptr);
    ~GameTimerDriver() override;

    // Whether a wake-up is armed, and in how many milliseconds (-1 if none).
    bool isArmed() const { return wake_.isActive(); }
    int remainingMs() const { return wake_.isActive() ? wake_.remainingTime() : -1; }
    // Aims the wake-up at the hub's next due time.
    void reaim();
    // A timer with a shorter interval is woken no sooner than ms after it
    // last fired, and then passes the intervals elapsed as its lag count. The
    // title animation's 10 ms timer drawn 100 times a second would keep a
    // laptop awake; 0 (the default) wakes every timer at its interval.
    void setMinimumWakeInterval(int ms);

signals:
    // After each wake-up has polled the hub.
    void woke();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scheduleChanged() override { reaim(); }
    void onWake();
    // Holds the hub exactly while a modal window or a menu is open.
    void updateHold();

    TimerHub &hub_;
    QTimer wake_;
    int minimumWakeInterval_ = 0;
};
