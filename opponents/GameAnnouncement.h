#pragma once

#include <avahi-client/publish.h>

#include <QObject>
#include <QString>

class AvahiConnection;

// The host's game, announced on the local network as a DNS-SD service of
// type _kielwanz._tcp, named after the host's player. Another service of the
// same name makes it take the platform's alternative name ("Anna #2").
class GameAnnouncement : public QObject {
    Q_OBJECT
public:
    static constexpr const char *ServiceType = "_kielwanz._tcp";

    explicit GameAnnouncement(AvahiConnection &avahi, QObject *parent = nullptr);
    ~GameAnnouncement() override;

    // Announces (again, whenever the daemon is running) until withdraw().
    void announce(const QString &playerName, quint16 port, const QString &version);
    void withdraw();
    bool isAnnouncing() const { return !name_.isEmpty(); }

signals:
    // The daemon has taken the announcement under this name.
    void established(const QString &serviceName);

private:
    static void onGroupState(AvahiEntryGroup *group, AvahiEntryGroupState state, void *self);
    void publish();
    void rename();
    void dropGroup();

    AvahiConnection &avahi_;
    AvahiEntryGroup *group_ = nullptr;
    QString name_; // empty: nothing to announce
    QByteArray serviceName_;
    quint16 port_ = 0;
    QByteArray version_;
};
