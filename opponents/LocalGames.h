#pragma once

#include "opponents/GameBrowser.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

// The host's announcement and the guest's search, on a thread of their own:
// avahi-client waits for the daemon's answer to each of its requests, and a
// daemon busy with a flood of announcements (or a bus that hangs) must not
// hold up the windows. Made when first needed; everything here returns at
// once and the results come back as signals.
class LocalGames : public QObject {
    Q_OBJECT
public:
    explicit LocalGames(QObject *parent = nullptr);
    ~LocalGames() override;

    void announce(const QString &playerName, quint16 port, const QString &version);
    void withdraw();
    void startSearch();
    void stopSearch();

signals:
    // The games listed now; searching: the daemon answers (else the search
    // is not available).
    void gamesFound(const QList<FoundGame> &games, bool searching);

private:
    struct Worker;
    void inWorker(std::function<void(Worker &)> job);

    QThread thread_;
    Worker *worker_;
};
