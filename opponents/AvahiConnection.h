#pragma once

#include "opponents/AvahiQtPoll.h"

#include <avahi-client/client.h>

#include <QObject>

// The program's one connection to the system's avahi-daemon, for announcing
// and finding games on the local network. Without the system bus or the
// daemon it is unavailable until retry() finds the daemon there; once made,
// it follows the daemon stopping and starting again.
class AvahiConnection : public QObject {
    Q_OBJECT
public:
    explicit AvahiConnection(QObject *parent = nullptr);
    ~AvahiConnection() override;

    // Without a client yet (no bus or no daemon at first): tries again.
    void retry();

    // The daemon answers: services may be browsed.
    bool answers() const { return answers_; }
    // ... and its host name is settled: services may be announced.
    bool isRunning() const { return running_; }
    // Null when there is no connection to the bus at all.
    AvahiClient *client() const { return client_; }

signals:
    // answers() or isRunning() has changed; cameBack: the daemon answers
    // again, and browsers are to be made anew (it forgot them).
    void stateChanged(bool cameBack);

private:
    static void onClientState(AvahiClient *client, AvahiClientState state, void *self);
    void open();
    void setState(bool answers, bool running);

    AvahiQtPoll poll_;
    AvahiClient *client_ = nullptr;
    bool answers_ = false;
    bool running_ = false;
};
