#pragma once

#include "game/Game.h"
#include "support/TestDoubles.h"

#include <QString>
#include <QStringList>

#include <functional>

// Records every side effect of the engine as one line of text, in order, so
// that tests can assert the sequence ("sound 101", "draw present", ...).
// Timer switches are recorded too once attach() has been called.
class RecordingEffects : public GameEffects, private TimerObserver {
public:
    QStringList log;
    QString status;

    // With withIntervals an "on" line also names the interval the timer
    // starts with ("changeOverTimer on 2000").
    void attach(Game &game, bool withIntervals = false)
    {
        withIntervals_ = withIntervals;
        game.timerHub().setObserver(this);
    }
    void clear() { log.clear(); }
    // The recorded lines that start with the prefix, in order.
    QStringList only(const QString &prefix) const
    {
        QStringList out;
        for (const QString &l : log)
            if (l.startsWith(prefix))
                out << l;
        return out;
    }

    void playSound(int id, bool forced) override
    {
        log << QStringLiteral("sound %1%2").arg(id).arg(forced ? QStringLiteral(" forced") : QString());
    }
    void drawScreen(bool present) override { log << QString(present ? "draw present" : "draw"); }
    void presentScreen() override { log << QStringLiteral("present"); }
    void drawInfo() override { log << QStringLiteral("info"); }
    void drawChangeOverBanner(int seconds) override { log << QStringLiteral("countdown %1").arg(seconds); }
    void drawFoundAllBanner() override { log << QStringLiteral("banner found-all"); }
    void drawGameEndBanner() override { log << QStringLiteral("banner game-end"); }
    void setStatusText(const QString &text) override
    {
        status = text;
        log << QStringLiteral("status ") + text;
    }
    void sendText(const QString &text) override { log << QStringLiteral("send ") + text; }
    void closeConnection() override { log << QStringLiteral("close"); }
    void showPlacementBalloon(int x, int y) override { log << QStringLiteral("balloon %1,%2").arg(x).arg(y); }
    void hideBalloon() override { log << QStringLiteral("hide balloon"); }

private:
    void timerSwitched(const GameTimer &t, bool on) override
    {
        QString line =
            QStringLiteral("%1 %2").arg(t.name(), on ? QStringLiteral("on") : QStringLiteral("off"));
        if (on && withIntervals_)
            line += QStringLiteral(" %1").arg(t.interval());
        log << line;
    }
    bool withIntervals_ = false;
};

// A timer target that runs a function, for tests of the timers themselves.
struct TimerCalls final : TimerTarget {
    explicit TimerCalls(std::function<void(GameTimer &, int)> f) : call(std::move(f)) {}
    void timerFired(GameTimer &t, int lagCount) override { call(t, lagCount); }
    std::function<void(GameTimer &, int)> call;
};

// A grid from ten strings of ten characters, row by row from the top:
// '.' water, '#' or '2' ship, and the digits 0..3 for the cell codes.
Grid GridFromRows(const QStringList &rows);
// The ten rows of a grid in the same notation (digits).
QStringList GridRows(const Grid &grid);
