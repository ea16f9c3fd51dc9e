#pragma once

#include <avahi-common/watch.h>

// Avahi's poll interface served by Qt's event loop: a watch is a pair of
// socket notifiers, a timeout a precise single-shot timer. Everything Avahi
// does then runs on the user-interface thread, between other events, and a
// quiet connection costs no CPU.
class AvahiQtPoll {
public:
    AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll &) = delete;
    AvahiQtPoll &operator=(const AvahiQtPoll &) = delete;

    const AvahiPoll *api() const { return &api_; }

private:
    AvahiPoll api_{};
};
