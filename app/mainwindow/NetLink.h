#pragma once

#include "opponents/NetSession.h"

#include <memory>

class QWidget;
class NewGameWizard;

// The network game's connection to the windows: owns the session, answers
// the wizard's requests (listen, connect, start, close) and shows what the
// session reports in the wizard's network page or in a message box.
class NetLink : public NetSessionUi {
public:
    // The session is a child of the window (tests find it there).
    NetLink(QWidget &window, Game &game);
    ~NetLink() override;

    NetSession &session() { return *session_; }
    void attachWizard(NewGameWizard *wizard);

    void SetIPState(const QString &text) override;
    void SetIPCtrlsEnabled(bool enabled) override;
    void SetForwardEnabled(bool enabled) override;
    void CloseWizard() override;
    void ShowConnectionMessage(const QString &caption, const QString &text) override;

private:
    QWidget &window_;
    NewGameWizard *wizard_ = nullptr;
    std::unique_ptr<NetSession> session_;
};
