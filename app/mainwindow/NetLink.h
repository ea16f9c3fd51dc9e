#pragma once

#include "opponents/NetSession.h"

#include <memory>

class LocalGames;
struct FoundGame;
class QWidget;
class NewGameWizard;

// The network game's connection to the windows: owns the session, answers
// the wizard's requests (listen, connect, start, close) and shows what the
// session reports in the wizard's network page or in a message box. While
// the network page is open it lists the games on the local network and the
// host's addresses there; a listening host is announced.
class NetLink : public NetSessionUi {
public:
    // The session is a child of the window (tests find it there).
    NetLink(QWidget &window, Game &game, NewGameWizard &wizard);
    ~NetLink() override;

    NetSession &session() { return *session_; }
    // From now on the session's reports no longer reach the wizard (the
    // window is going).
    void forgetWizard();

    void showConnectionState(const QString &text) override;
    void setAddressControlsEnabled(bool enabled) override;
    void setForwardEnabled(bool enabled) override;
    void closeWizard() override;
    void showConnectionMessage(const QString &caption, const QString &text) override;

private:
    // Avahi is reached only once the network page is used.
    void openLocalNetwork();
    void onListeningChanged(bool listening);
    void showFoundGames(const QList<FoundGame> &games, bool searching);

    QWidget &window_;
    Game &game_;
    NewGameWizard *wizard_ = nullptr;
    std::unique_ptr<NetSession> session_;
    LocalGames *localGames_ = nullptr; // a child of the session
};
