#include "app/mainwindow/NetLink.h"

#include "dialogs/NewGameWizard.h"
#include "game/Format.h"
#include "opponents/LocalAddresses.h"
#include "opponents/LocalGames.h"
#include "presentation/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

NetLink::NetLink(QWidget &window, Game &game, NewGameWizard &wizard)
    : window_(window), game_(game), wizard_(&wizard),
      session_(std::make_unique<NetSession>(game, *this, &window))
{
    NetSession *s = session_.get();
    QObject::connect(&wizard, &NewGameWizard::listenRequested, s, &NetSession::listen);
    QObject::connect(&wizard, &NewGameWizard::connectRequested, s, &NetSession::connectTo);
    QObject::connect(&wizard, &NewGameWizard::startRequested, s, &NetSession::sendStart);
    QObject::connect(&wizard, &NewGameWizard::closeRequested, s, &NetSession::closeConnection);
    QObject::connect(&wizard, &NewGameWizard::networkPageEntered, s, [this] { openLocalNetwork(); });
    QObject::connect(&wizard, &NewGameWizard::networkPageLeft, s, [this] {
        if (localGames_ != nullptr)
            localGames_->stopSearch();
    });
    QObject::connect(s, &NetSession::listeningChanged, s, [this](bool on) { onListeningChanged(on); });
}

void NetLink::openLocalNetwork()
{
    if (localGames_ == nullptr) {
        localGames_ = new LocalGames(session_.get());
        QObject::connect(
            localGames_, &LocalGames::gamesFound, localGames_,
            [this](const QList<FoundGame> &games, bool searching) { showFoundGames(games, searching); });
        if (wizard_ != nullptr)
            wizard_->showFoundGames({}, {}); // until the search answers, a moment later
    }
    localGames_->startSearch();
    if (wizard_ != nullptr)
        wizard_->showHostAddresses(DescribeLocalAddresses());
}

void NetLink::onListeningChanged(bool listening)
{
    if (localGames_ == nullptr)
        return;
    if (listening)
        localGames_->announce(game_.st.playerNames[0], session_->listeningPort(),
                              QCoreApplication::applicationVersion());
    else
        localGames_->withdraw();
}

void NetLink::showFoundGames(const QList<FoundGame> &games, bool searching)
{
    if (wizard_ == nullptr)
        return;
    QList<std::pair<QString, QString>> entries;
    for (const FoundGame &g : games) {
        // A guest connects to the one game port: a host elsewhere could not be joined.
        if (g.port != session_->port())
            continue;
        entries.append({FormatText(QStringLiteral("%s (auf %s)"),
                                   {OutsideText(g.name, 40), OutsideText(g.hostName, 40)}),
                        g.address});
    }
    wizard_->showFoundGames(entries, searching
                                         ? QStringLiteral("Noch keine Spiele im lokalen Netzwerk gefunden.")
                                         : QStringLiteral("Die automatische Suche ist nicht verfügbar."));
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
