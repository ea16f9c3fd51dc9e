#pragma once

#include <avahi-client/lookup.h>

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <set>
#include <utility>

class AvahiConnection;

// A game announced on the local network, as a guest may show and join it.
// Names and host names are outside text.
struct FoundGame {
    QString name;     // the service's name: the host's player
    QString hostName; // the host's computer, without ".local"
    QString address;  // what to connect to: a literal, an IPv6 link-local one with "%interface"
    quint16 port = 0; // where the host listens
};

// The games on the local network, followed live while browsing. Each
// service found is resolved to an address (a few at a time); only resolved
// ones are listed, at most MaxListed, ordered by name. Floods of changes
// reach the listeners as one change now and then.
class GameBrowser : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxListed = 50;
    static constexpr int MaxResolving = 8;
    static constexpr int ChangeIntervalMs = 250;

    explicit GameBrowser(AvahiConnection &avahi, QObject *parent = nullptr);
    ~GameBrowser() override;

    void start();
    void stop();
    // Browsing, and the daemon answers.
    bool isSearching() const { return browser_ != nullptr; }
    QList<FoundGame> games() const;

signals:
    // The list or isSearching() has changed.
    void changed();

private:
    using Where = std::pair<AvahiIfIndex, AvahiProtocol>;
    struct Service {
        std::set<Where> seenOn;
        AvahiServiceResolver *resolver = nullptr;
        Where resolvedOn{AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC};
        bool resolved = false;
        bool failed = false;
        FoundGame game;
    };
    using Key = std::pair<QByteArray, QByteArray>; // name, domain

    static void onBrowse(AvahiServiceBrowser *, AvahiIfIndex, AvahiProtocol, AvahiBrowserEvent,
                         const char *name, const char *type, const char *domain, AvahiLookupResultFlags,
                         void *self);
    static void onResolve(AvahiServiceResolver *, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent,
                          const char *name, const char *type, const char *domain, const char *hostName,
                          const AvahiAddress *, uint16_t port, AvahiStringList *, AvahiLookupResultFlags,
                          void *self);
    void openBrowser();
    void closeBrowser();
    void forget(Service &service);
    void resolveMore();
    void noteChange();

    AvahiConnection &avahi_;
    AvahiServiceBrowser *browser_ = nullptr;
    bool wanted_ = false;
    std::map<Key, Service> services_;
    int resolving_ = 0;
    int resolved_ = 0;
    QTimer changeTimer_; // runs while changes are gathered
    bool changePending_ = false;
};
