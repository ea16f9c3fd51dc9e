#include "opponents/AvahiConnection.h"

#include "opponents/NetLog.h"

#include <avahi-common/error.h>
#include <dbus/dbus.h>

#include <QTimer>

Q_LOGGING_CATEGORY(lcDiscovery, "kielwanz.discovery", QtWarningMsg)

AvahiConnection::AvahiConnection(QObject *parent) : QObject(parent)
{
    open();
}

void AvahiConnection::retry()
{
    if (client_ == nullptr)
        open();
}

AvahiConnection::~AvahiConnection()
{
    setState(false, false); // announcements and browsers let go of what the client owns
    if (client_ != nullptr)
        avahi_client_free(client_);
}

namespace {
// Whether the daemon is on the system bus, asked without starting it: a new
// client would ask the bus to start an absent daemon and wait up to 25 s.
bool daemonOnBus()
{
    DBusError error;
    dbus_error_init(&error);
    DBusConnection *bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
    bool owned = false;
    if (bus != nullptr) {
        dbus_connection_set_exit_on_disconnect(bus, false);
        owned = dbus_bus_name_has_owner(bus, "org.freedesktop.Avahi", &error);
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
    }
    if (dbus_error_is_set(&error))
        qCInfo(lcDiscovery) << "no system bus:" << error.message;
    dbus_error_free(&error);
    return owned;
}
} // namespace

void AvahiConnection::open()
{
    if (!daemonOnBus()) {
        qCInfo(lcDiscovery) << "no avahi-daemon";
        return;
    }
    // NO_FAIL: once made, the client follows the daemon stopping and coming
    // back instead of failing.
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
    case AVAHI_CLIENT_FAILURE: // the bus has gone; retry() makes a new client
        qCInfo(lcDiscovery) << "local game search lost:" << avahi_strerror(avahi_client_errno(client));
        me->setState(false, false);
        QTimer::singleShot(0, me, [me, client] { // outside Avahi's callback
            if (me->client_ != client)
                return;
            avahi_client_free(client);
            me->client_ = nullptr;
        });
        break;
    case AVAHI_CLIENT_CONNECTING: // the daemon has stopped (it may come back)
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
