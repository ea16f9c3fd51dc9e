#include "opponents/AvahiConnection.h"

#include "opponents/NetLog.h"

#include <avahi-common/error.h>

#include <QTimer>

Q_LOGGING_CATEGORY(lcDiscovery, "kielwanz.discovery", QtWarningMsg)

AvahiConnection::AvahiConnection(QObject *parent) : QObject(parent)
{
    open();
}

AvahiConnection::~AvahiConnection()
{
    setState(false, false); // announcements and browsers let go of what the client owns
    if (client_ != nullptr)
        avahi_client_free(client_);
}

void AvahiConnection::open()
{
    // NO_FAIL: a missing daemon is not an error; the client follows it
    // appearing and going instead of failing (and starts no activation).
    int error = 0;
    client_ =
        avahi_client_new(poll_.api(), AVAHI_CLIENT_NO_FAIL, &AvahiConnection::onClientState, this, &error);
    if (client_ == nullptr)
        qCInfo(lcDiscovery) << "no local game search:" << avahi_strerror(error);
}

void AvahiConnection::onClientState(AvahiClient *client, AvahiClientState state, void *self)
{
    auto *me = static_cast<AvahiConnection *>(self);
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        me->setState(true, true);
        break;
    case AVAHI_CLIENT_S_REGISTERING: // the daemon is settling its host name
    case AVAHI_CLIENT_S_COLLISION:
        me->setState(true, false);
        break;
    case AVAHI_CLIENT_FAILURE:
        // The bus connection is lost: a new client a moment later, outside Avahi's callback.
        qCInfo(lcDiscovery) << "local game search lost:" << avahi_strerror(avahi_client_errno(client));
        me->setState(false, false);
        QTimer::singleShot(1000, me, [me, client] {
            if (me->client_ != client)
                return;
            avahi_client_free(client);
            me->client_ = nullptr;
            me->open();
        });
        break;
    case AVAHI_CLIENT_CONNECTING: // no daemon (yet)
        me->setState(false, false);
        break;
    }
}

void AvahiConnection::setState(bool answers, bool running)
{
    if (answers == answers_ && running == running_)
        return;
    const bool back = answers && !answers_;
    answers_ = answers;
    running_ = running;
    emit stateChanged(back);
}
