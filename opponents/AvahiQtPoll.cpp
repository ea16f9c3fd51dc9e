#include "opponents/AvahiQtPoll.h"

#include <avahi-common/timeval.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

// Avahi frees watches and timeouts from inside their own callbacks, so the
// Qt objects behind them go with deleteLater, and a freed one never calls
// back again.
struct AvahiWatch : QObject {
    AvahiWatch(int fd, AvahiWatchEvent wanted, AvahiWatchCallback cb, void *data)
        : read(fd, QSocketNotifier::Read, this), write(fd, QSocketNotifier::Write, this), fd(fd),
          callback(cb), userdata(data)
    {
        connect(&read, &QSocketNotifier::activated, this, [this] { fire(AVAHI_WATCH_IN); });
        connect(&write, &QSocketNotifier::activated, this, [this] { fire(AVAHI_WATCH_OUT); });
        update(wanted);
    }
    void update(AvahiWatchEvent wanted)
    {
        read.setEnabled(wanted & AVAHI_WATCH_IN);
        write.setEnabled(wanted & AVAHI_WATCH_OUT);
        events = wanted;
    }
    void fire(AvahiWatchEvent event)
    {
        if (callback == nullptr)
            return;
        happened = event;
        callback(this, fd, event, userdata);
        happened = AvahiWatchEvent(0);
    }
    void release()
    {
        read.setEnabled(false);
        write.setEnabled(false);
        callback = nullptr;
        deleteLater();
    }
    QSocketNotifier read, write;
    int fd;
    AvahiWatchCallback callback;
    void *userdata;
    AvahiWatchEvent events = AvahiWatchEvent(0);
    AvahiWatchEvent happened = AvahiWatchEvent(0);
};

struct AvahiTimeout : QObject {
    AvahiTimeout(AvahiTimeoutCallback cb, void *data) : callback(cb), userdata(data)
    {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this] {
            if (callback != nullptr)
                callback(this, userdata);
        });
    }
    // A null time stops it; a time in the past fires at once.
    void update(const struct timeval *tv)
    {
        timer.stop();
        if (tv == nullptr)
            return;
        const AvahiUsec late = avahi_age(tv);
        timer.start(late >= 0 ? 0 : int((-late + 999) / 1000));
    }
    QTimer timer;
    AvahiTimeoutCallback callback;
    void *userdata;
};

namespace {

AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent event, AvahiWatchCallback cb, void *data)
{
    return new AvahiWatch(fd, event, cb, data);
}

void watchUpdate(AvahiWatch *w, AvahiWatchEvent event)
{
    w->update(event);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *w)
{
    return w->happened;
}

void watchFree(AvahiWatch *w)
{
    w->release();
}

AvahiTimeout *timeoutNew(const AvahiPoll *, const struct timeval *tv, AvahiTimeoutCallback cb, void *data)
{
    auto *t = new AvahiTimeout(cb, data);
    t->update(tv);
    return t;
}

void timeoutUpdate(AvahiTimeout *t, const struct timeval *tv)
{
    t->update(tv);
}

void timeoutFree(AvahiTimeout *t)
{
    t->timer.stop();
    t->callback = nullptr;
    t->deleteLater();
}

} // namespace

AvahiQtPoll::AvahiQtPoll()
{
    api_.userdata = this;
    api_.watch_new = watchNew;
    api_.watch_update = watchUpdate;
    api_.watch_get_events = watchGetEvents;
    api_.watch_free = watchFree;
    api_.timeout_new = timeoutNew;
    api_.timeout_update = timeoutUpdate;
    api_.timeout_free = timeoutFree;
}
