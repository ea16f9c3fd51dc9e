#include "app/mainwindow/NetLink.h"

#include "dialogs/NewGameWizard.h"
#include "presentation/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

NetLink::NetLink(QWidget &window, Game &game, NewGameWizard &wizard)
    : window_(window), wizard_(&wizard), session_(std::make_unique<NetSession>(game, *this, &window))
{
    NetSession *s = session_.get();
    QObject::connect(&wizard, &NewGameWizard::listenRequested, s, &NetSession::listen);
    QObject::connect(&wizard, &NewGameWizard::connectRequested, s, &NetSession::connectTo);
    QObject::connect(&wizard, &NewGameWizard::startRequested, s, &NetSession::sendStart);
    QObject::connect(&wizard, &NewGameWizard::closeRequested, s, &NetSession::closeConnection);
}

NetLink::~NetLink() = default;

void NetLink::forgetWizard()
{
    wizard_ = nullptr;
}

void NetLink::showConnectionState(const QString &text)
{
    if (wizard_ != nullptr)
        wizard_->showConnectionState(text);
}

void NetLink::setAddressControlsEnabled(bool enabled)
{
    if (wizard_ != nullptr)
        wizard_->setAddressControlsEnabled(enabled);
}

void NetLink::setForwardEnabled(bool enabled)
{
    if (wizard_ != nullptr)
        wizard_->setForwardEnabled(enabled);
}

void NetLink::closeWizard()
{
    if (wizard_ != nullptr && wizard_->isVisible())
        wizard_->accept();
}

void NetLink::showConnectionMessage(const QString &caption, const QString &text)
{
    // Over the wizard while it is open, else over the main window.
    QWidget *parent = QApplication::activeModalWidget();
    if (parent == nullptr)
        parent = &window_;
    ShowMessage(parent, caption, text);
    // Without a window manager nobody hands the activation back, and the
    // game timers would stand still.
    parent->activateWindow();
}
