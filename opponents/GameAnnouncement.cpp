#include "opponents/GameAnnouncement.h"

#include "opponents/AvahiConnection.h"
#include "opponents/NetLog.h"

#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>

namespace {
// A DNS label: at most 63 bytes of UTF-8, not cut inside a character.
QByteArray serviceLabel(const QString &name)
{
    QString label = name;
    while (label.toUtf8().size() > 63)
        label.chop(1);
    return label.toUtf8();
}
} // namespace

GameAnnouncement::GameAnnouncement(AvahiConnection &avahi, QObject *parent) : QObject(parent), avahi_(avahi)
{
    connect(&avahi, &AvahiConnection::stateChanged, this, [this] {
        // The daemon forgets its groups when it stops or its host name changes.
        dropGroup();
        publish();
    });
}

GameAnnouncement::~GameAnnouncement()
{
    dropGroup();
}

void GameAnnouncement::announce(const QString &playerName, quint16 port, const QString &version)
{
    withdraw();
    name_ = playerName.isEmpty() ? QStringLiteral("Kielwanz") : playerName;
    serviceName_ = serviceLabel(name_);
    port_ = port;
    version_ = "version=" + version.toUtf8().left(200);
    publish();
}

void GameAnnouncement::withdraw()
{
    name_.clear();
    dropGroup();
}

void GameAnnouncement::dropGroup()
{
    if (group_ != nullptr)
        avahi_entry_group_free(group_); // takes the service off the network
    group_ = nullptr;
}

void GameAnnouncement::publish()
{
    if (name_.isEmpty() || !avahi_.isRunning())
        return;
    if (group_ == nullptr)
        group_ = avahi_entry_group_new(avahi_.client(), &GameAnnouncement::onGroupState, this);
    if (group_ == nullptr)
        return;
    avahi_entry_group_reset(group_);
    const int error = avahi_entry_group_add_service(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), serviceName_.constData(),
        ServiceType, nullptr, nullptr, port_, "txtvers=1", version_.constData(), nullptr);
    if (error == AVAHI_ERR_COLLISION) {
        rename();
        return;
    }
    if (error < 0 || avahi_entry_group_commit(group_) < 0)
        qCInfo(lcDiscovery) << "cannot announce the game:"
                            << avahi_strerror(avahi_client_errno(avahi_.client()));
}

// Another service of this name: the platform's next name ("Anna #2").
void GameAnnouncement::rename()
{
    char *other = avahi_alternative_service_name(serviceName_.constData());
    serviceName_ = other;
    avahi_free(other);
    publish();
}

void GameAnnouncement::onGroupState(AvahiEntryGroup *group, AvahiEntryGroupState state, void *self)
{
    auto *me = static_cast<GameAnnouncement *>(self);
    if (group != me->group_ && me->group_ != nullptr)
        return;
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED)
        emit me->established(QString::fromUtf8(me->serviceName_));
    else if (state == AVAHI_ENTRY_GROUP_COLLISION)
        me->rename();
}
