#include "opponents/LocalGames.h"

#include "opponents/AvahiConnection.h"
#include "opponents/GameAnnouncement.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>

// Lives in the thread; its parts are made and ended there.
struct LocalGames::Worker : QObject {
    std::unique_ptr<AvahiConnection> avahi;
    std::unique_ptr<GameAnnouncement> announcement;
    std::unique_ptr<GameBrowser> browser;
};

LocalGames::LocalGames(QObject *parent) : QObject(parent), worker_(new Worker)
{
    thread_.setObjectName(QStringLiteral("LocalGames"));
    worker_->moveToThread(&thread_);
    thread_.start();
    inWorker([this](Worker &w) {
        w.avahi = std::make_unique<AvahiConnection>();
        w.announcement = std::make_unique<GameAnnouncement>(*w.avahi);
        w.browser = std::make_unique<GameBrowser>(*w.avahi);
        connect(w.browser.get(), &GameBrowser::changed, w.browser.get(),
                [this, b = w.browser.get()] { emit gamesFound(b->games(), b->isSearching()); });
    });
}

LocalGames::~LocalGames()
{
    // The announcement leaves the network before the program goes on.
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_] {
            w->browser.reset();
            w->announcement.reset();
            w->avahi.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the client's watches
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void LocalGames::inWorker(std::function<void(Worker &)> job)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, job = std::move(job)] { job(*w); });
}

void LocalGames::announce(const QString &playerName, quint16 port, const QString &version)
{
    inWorker([=](Worker &w) { w.announcement->announce(playerName, port, version); });
}

void LocalGames::withdraw()
{
    inWorker([](Worker &w) { w.announcement->withdraw(); });
}

void LocalGames::startSearch()
{
    inWorker([this](Worker &w) {
        w.avahi->retry();
        w.browser->start();
        emit gamesFound(w.browser->games(), w.browser->isSearching());
    });
}

void LocalGames::stopSearch()
{
    inWorker([](Worker &w) { w.browser->stop(); });
}
