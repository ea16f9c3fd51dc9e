#include "opponents/GameBrowser.h"

#include "opponents/AvahiConnection.h"
#include "opponents/GameAnnouncement.h"

#include <avahi-common/address.h>

#include <QHostAddress>
#include <QNetworkInterface>

#include <algorithm>
#include <utility>

GameBrowser::GameBrowser(AvahiConnection &avahi, QObject *parent) : QObject(parent), avahi_(avahi)
{
    changeTimer_.setSingleShot(true);
    changeTimer_.setInterval(ChangeIntervalMs);
    connect(&changeTimer_, &QTimer::timeout, this, [this] {
        if (!std::exchange(changePending_, false))
            return;
        emit changed();
        changeTimer_.start();
    });
    connect(&avahi, &AvahiConnection::stateChanged, this, [this](bool cameBack) {
        // A restarted daemon reports every service anew.
        if (!cameBack && avahi_.answers())
            return;
        closeBrowser();
        if (wanted_ && avahi_.answers())
            openBrowser();
        noteChange();
    });
}

GameBrowser::~GameBrowser()
{
    closeBrowser();
}

void GameBrowser::start()
{
    wanted_ = true;
    if (browser_ == nullptr && avahi_.answers())
        openBrowser();
}

void GameBrowser::stop()
{
    wanted_ = false;
    closeBrowser();
    changeTimer_.stop();
    changePending_ = false;
}

void GameBrowser::openBrowser()
{
    browser_ = avahi_service_browser_new(avahi_.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                         GameAnnouncement::ServiceType, nullptr, AvahiLookupFlags(0),
                                         &GameBrowser::onBrowse, this);
}

void GameBrowser::closeBrowser()
{
    for (auto &[key, service] : services_)
        forget(service);
    services_.clear();
    resolving_ = resolved_ = 0;
    if (browser_ != nullptr)
        avahi_service_browser_free(browser_);
    browser_ = nullptr;
}

void GameBrowser::forget(Service &service)
{
    if (service.resolver != nullptr) {
        avahi_service_resolver_free(service.resolver);
        service.resolver = nullptr;
        --resolving_;
    }
    if (service.resolved) {
        service.resolved = false;
        --resolved_;
    }
}

QList<FoundGame> GameBrowser::games() const
{
    QList<FoundGame> list;
    for (const auto &[key, service] : services_)
        if (service.resolved)
            list.append(service.game);
    std::stable_sort(list.begin(), list.end(), [](const FoundGame &a, const FoundGame &b) {
        return a.name.localeAwareCompare(b.name) < 0;
    });
    list.resize(std::min<qsizetype>(list.size(), MaxListed));
    return list;
}

void GameBrowser::noteChange()
{
    // The first change after a quiet time goes out at once, the ones that
    // follow are gathered: a flood costs one list update per interval.
    if (changeTimer_.isActive()) {
        changePending_ = true;
        return;
    }
    emit changed();
    changeTimer_.start();
}

void GameBrowser::onBrowse(AvahiServiceBrowser *browser, AvahiIfIndex interface, AvahiProtocol protocol,
                           AvahiBrowserEvent event, const char *name, const char *, const char *domain,
                           AvahiLookupResultFlags, void *self)
{
    auto *me = static_cast<GameBrowser *>(self);
    if (me->browser_ != nullptr && browser != me->browser_)
        return;
    if (event == AVAHI_BROWSER_NEW) {
        Service &service = me->services_[{QByteArray(name), QByteArray(domain)}];
        service.seenOn.insert({interface, protocol});
        me->resolveMore();
    } else if (event == AVAHI_BROWSER_REMOVE) {
        const auto it = me->services_.find({QByteArray(name), QByteArray(domain)});
        if (it == me->services_.end())
            return;
        Service &service = it->second;
        service.seenOn.erase({interface, protocol});
        const bool shown = service.resolved;
        if (service.seenOn.empty()) {
            me->forget(service);
            me->services_.erase(it);
        } else if (service.resolvedOn == Where{interface, protocol} || service.resolver != nullptr) {
            me->forget(service); // the address it had is gone; another one of the others
            service.failed = false;
        }
        me->resolveMore();
        if (shown)
            me->noteChange();
    } else if (event == AVAHI_BROWSER_FAILURE) {
        me->closeBrowser();
        me->noteChange();
    }
}

// Resolves waiting services while fewer than MaxResolving are under way and
// the list is not full. IPv4 first: its addresses are the easier to read.
void GameBrowser::resolveMore()
{
    for (auto &[key, service] : services_) {
        if (resolving_ >= MaxResolving || resolved_ + resolving_ >= MaxListed)
            return;
        if (service.resolved || service.failed || service.resolver != nullptr || service.seenOn.empty())
            continue;
        auto on = std::find_if(service.seenOn.begin(), service.seenOn.end(),
                               [](const Where &w) { return w.second == AVAHI_PROTO_INET; });
        if (on == service.seenOn.end())
            on = service.seenOn.begin();
        service.resolvedOn = *on;
        service.resolver = avahi_service_resolver_new(
            avahi_.client(), on->first, on->second, key.first.constData(), GameAnnouncement::ServiceType,
            key.second.constData(), on->second, AvahiLookupFlags(0), &GameBrowser::onResolve, this);
        if (service.resolver == nullptr)
            service.failed = true;
        else
            ++resolving_;
    }
}

void GameBrowser::onResolve(AvahiServiceResolver *resolver, AvahiIfIndex interface, AvahiProtocol,
                            AvahiResolverEvent event, const char *name, const char *, const char *domain,
                            const char *hostName, const AvahiAddress *address, uint16_t port,
                            AvahiStringList *, AvahiLookupResultFlags, void *self)
{
    auto *me = static_cast<GameBrowser *>(self);
    const auto it = me->services_.find({QByteArray(name), QByteArray(domain)});
    if (it == me->services_.end() || it->second.resolver != resolver)
        return;
    Service &service = it->second;
    avahi_service_resolver_free(resolver);
    service.resolver = nullptr;
    --me->resolving_;
    if (event == AVAHI_RESOLVER_FOUND && address != nullptr) {
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        QHostAddress ip(QString::fromLatin1(text));
        if (ip.protocol() == QAbstractSocket::IPv6Protocol && ip.isLinkLocal())
            ip.setScopeId(QNetworkInterface::interfaceNameFromIndex(interface));
        QString host = QString::fromUtf8(hostName);
        if (host.endsWith(QLatin1String(".local")))
            host.chop(6);
        service.game = {QString::fromUtf8(name), host, ip.toString(), port};
        service.resolved = true;
        ++me->resolved_;
        me->noteChange();
    } else {
        service.failed = true;
    }
    me->resolveMore();
}
