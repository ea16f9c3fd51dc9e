#include "opponents/NetSession.h"

#include "game/Format.h"
#include "game/Texts.h"
#include "opponents/Cp1252.h"
#include "opponents/NetLog.h"
#include "opponents/NetMessages.h"

#include <QTcpServer>
#include <QTcpSocket>

Q_LOGGING_CATEGORY(lcNetwork, "kielwanz.network")

namespace {

// A socket that is closed politely still gets its last bytes out; one that
// cannot within this time is dropped.
constexpr int kGracefulCloseMs = 3000;
constexpr qint64 kReadBufferBytes = 4096;

QString lostCaption()
{
    return QStringLiteral("Verbindung getrennt");
}

} // namespace

NetSession::NetSession(Game &game, NetSessionUi &ui, QObject *parent) : QObject(parent), game_(game), ui_(ui)
{
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &NetSession::acceptPending);
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, &NetSession::onConnectTimeout);
    lobbyTimer_.setSingleShot(true);
    lobbyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&lobbyTimer_, &QTimer::timeout, this, &NetSession::onLobbyTimeout);
    retryTimer_.setSingleShot(true);
    retryTimer_.setTimerType(Qt::PreciseTimer); // the pause is meant to be a whole 500 ms
    retryTimer_.setInterval(RetryDelayMs);
    connect(&retryTimer_, &QTimer::timeout, this, &NetSession::connectAttempt);
}

NetSession::~NetSession()
{
    server_->disconnect(this);
    for (QTcpSocket *socket : std::as_const(unnamed_))
        socket->disconnect(this);
    if (peer_)
        peer_->disconnect(this);
    if (client_ != nullptr)
        client_->disconnect(this);
}

quint16 NetSession::listeningPort() const
{
    return server_->isListening() ? server_->serverPort() : 0;
}

bool NetSession::isConnected() const
{
    return peer_ && peer_->state() == QAbstractSocket::ConnectedState;
}

// ------------------------------------------------------------------- opening

void NetSession::listen()
{
    closeQuietly();
    // Any address means both IPv4 and IPv6 where the system has both.
    if (!server_->listen(QHostAddress::Any, port_)) {
        qCWarning(lcNetwork) << "cannot listen on port" << port_ << ":" << server_->errorString();
        ui_.showConnectionState(
            FormatText(QStringLiteral("Port %d kann nicht geöffnet werden. Vielleicht wird er "
                                      "bereits von einem anderen Programm verwendet."),
                       {port_}));
        clearNames();
        ui_.setAddressControlsEnabled(true);
        return;
    }
    setLink(Link::Listening);
}

void NetSession::connectTo(const QString &hostAddress)
{
    closeQuietly();
    hostAddress_ = hostAddress.trimmed();
    connectRetryArmed_ = true;
    setLink(Link::Connecting);
    connectAttempt();
}

void NetSession::connectAttempt()
{
    if (link_ != Link::Connecting)
        return;
    if (client_ != nullptr)
        releaseSocket(client_, false);
    client_ = new QTcpSocket(this);
    QTcpSocket *socket = client_;
    connect(socket, &QAbstractSocket::connected, this, [this, socket] {
        connectTimer_.stop();
        onConnected(socket);
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, &NetSession::onSocketError, Qt::UniqueConnection);
    connectTimer_.start(connectTimeoutMs_);
    socket->connectToHost(hostAddress_, port_);
}

void NetSession::onConnectTimeout()
{
    if (link_ == Link::Connecting)
        connectFailed();
}

void NetSession::connectFailed()
{
    qCWarning(lcNetwork) << "cannot connect to" << hostAddress_ << "port" << port_ << ":"
                         << (client_ != nullptr ? client_->errorString() : QStringLiteral("no answer"));
    closeQuietly();
    ui_.showConnectionState(Texts::WizardText(6));
    ui_.setAddressControlsEnabled(true);
    clearNames();
}

void NetSession::acceptPending()
{
    while (server_->hasPendingConnections()) {
        QTcpSocket *socket = server_->nextPendingConnection();
        if (link_ != Link::Listening || peer_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Any connection may be the guest until one has named itself: a port
        // scanner that connects and says nothing must not lock it out.
        if (unnamed_.size() >= MaxUnnamed)
            dropUnnamed(unnamed_.first());
        unnamed_.append(socket);
        socket->setParent(this);
        socket->setReadBufferSize(kReadBufferBytes);
        connect(socket, &QIODevice::readyRead, this, [this, socket] { unnamedRead(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { dropUnnamed(socket); });
        auto *timer = new QTimer(socket);
        timer->setObjectName(QStringLiteral("lobbyTimer"));
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, socket] { dropUnnamed(socket); });
        timer->start(lobbyTimeoutMs_);
        const GameState &st = game_.st;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->write(Cp1252::encode(st.playerNames[st.localPlayer]));
        socket->flush();
    }
}

void NetSession::unnamedRead(QTcpSocket *socket)
{
    if (!unnamed_.contains(socket))
        return;
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    // A guest's first bytes are (the beginning of) its name; anything else
    // is not one of ours.
    using namespace NetMessages;
    const auto name = bytes.size() <= MaxNameLength ? Cp1252::decode(bytes) : std::nullopt;
    if (!name || !isValidName(*name)) {
        qCWarning(lcNetwork) << "dropped a connection from" << socket->peerAddress().toString()
                             << "that sent no valid name";
        dropUnnamed(socket);
        return;
    }
    // The guest: one per game, so no third program can send shots into it.
    unnamed_.removeOne(socket);
    socket->disconnect(this);
    delete socket->findChild<QTimer *>(QStringLiteral("lobbyTimer"), Qt::FindDirectChildrenOnly);
    while (!unnamed_.isEmpty())
        dropUnnamed(unnamed_.first());
    server_->close();
    attachPeer(socket);
    setLink(Link::Lobby);
    inbox_.clear();
    receive(bytes);
}

void NetSession::dropUnnamed(QTcpSocket *socket)
{
    if (!unnamed_.removeOne(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void NetSession::onLobbyTimeout()
{
    // The guest's connection stands, but no host has answered with its name.
    if (link_ == Link::Lobby && game_.st.localPlayer == 1 && peerName().isEmpty())
        connectFailed();
}

void NetSession::onConnected(QTcpSocket *connection)
{
    attachPeer(connection);
    setLink(Link::Lobby);
    inbox_.clear();
    const GameState &st = game_.st;
    if (st.localPlayer == 1)
        lobbyTimer_.start(lobbyTimeoutMs_);
    if (st.gamePhase == gpNoGame)
        sendText(st.playerNames[st.localPlayer]);
}

void NetSession::attachPeer(QTcpSocket *socket)
{
    peer_ = socket;
    socketTransport_.socket = socket;
    transport_ = &socketTransport_;
    socket->setParent(this);
    // Shots are two bytes each, often several in a row: no waiting to fill a packet.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // A peer that floods is read in small portions; the first bad message ends it.
    socket->setReadBufferSize(kReadBufferBytes);
    connect(socket, &QIODevice::readyRead, this, &NetSession::onReadyRead, Qt::UniqueConnection);
    connect(socket, &QAbstractSocket::disconnected, this, &NetSession::peerDisconnected,
            Qt::UniqueConnection);
    connect(socket, &QAbstractSocket::errorOccurred, this, &NetSession::onSocketError, Qt::UniqueConnection);
}

void NetSession::openOn(NetTransport &transport)
{
    closeQuietly();
    transport_ = &transport;
    setLink(Link::Lobby);
    const GameState &st = game_.st;
    if (st.gamePhase == gpNoGame)
        sendText(st.playerNames[st.localPlayer]);
}

void NetSession::sendStart()
{
    if (link_ != Link::Lobby)
        return;
    sendText(QString::fromLatin1(NetMessages::StartWord));
    setLink(Link::Playing);
    inbox_.clear(); // the guest's name, complete now
}

// ------------------------------------------------------------------- sending

void NetSession::sendText(const QString &text)
{
    if (game_.st.gameMode != gmTwoAtTwo)
        return;
    if (transport_ != nullptr)
        transport_->send(Cp1252::encode(text));
}

void NetSession::SocketTransport::send(const QByteArray &bytes)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(bytes);
    socket->flush();
}

// ------------------------------------------------------------------- closing

void NetSession::closeConnection()
{
    closeQuietly();
}

void NetSession::closeQuietly()
{
    retryTimer_.stop();
    connectTimer_.stop();
    lobbyTimer_.stop();
    if (server_->isListening())
        server_->close();
    while (!unnamed_.isEmpty())
        dropUnnamed(unnamed_.first());
    if (peer_)
        releaseSocket(peer_, true);
    if (client_ != nullptr && client_ != peer_)
        releaseSocket(client_, false);
    peer_ = nullptr;
    client_ = nullptr;
    transport_ = nullptr;
    inbox_.clear();
    setLink(Link::Idle);
}

void NetSession::releaseSocket(QTcpSocket *socket, bool graceful)
{
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kGracefulCloseMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    socket->deleteLater();
}

void NetSession::clearNames()
{
    game_.forgetPlayerNames();
}

QString NetSession::peerName() const
{
    return game_.st.playerNames[game_.st.localPlayer ^ 1];
}

bool NetSession::gameRunsHere() const
{
    const GameState &st = game_.st;
    return st.gameMode == gmTwoAtTwo && st.gamePhase >= gpPlacing1 && st.gamePhase <= gpFiring;
}

// ------------------------------------------------------------ errors and loss

void NetSession::onSocketError(QAbstractSocket::SocketError error)
{
    const GameState &st = game_.st;
    if (link_ == Link::Connecting) {
        connectTimer_.stop();
        if (st.localPlayer == 1 && st.gamePhase == gpNoGame && connectRetryArmed_ &&
            error == QAbstractSocket::SocketAddressNotAvailableError) {
            connectRetryArmed_ = false;
            if (client_ != nullptr) {
                releaseSocket(client_, false);
                client_ = nullptr;
            }
            retryTimer_.start();
            return;
        }
        connectFailed();
        return;
    }
    if (link_ == Link::Lobby || link_ == Link::Playing) {
        // A peer that closes is reported by the disconnect that follows;
        // other errors count only if they ended the connection.
        if (error == QAbstractSocket::RemoteHostClosedError)
            return;
        if (!peer_ || peer_->state() == QAbstractSocket::UnconnectedState)
            peerGone();
    }
}

void NetSession::peerDisconnected()
{
    if (link_ == Link::Lobby || link_ == Link::Playing)
        peerGone();
}

void NetSession::peerGone()
{
    const Link was = link_;
    const QString name = peerName();
    closeQuietly();
    if (was == Link::Lobby) {
        ui_.showConnectionState(name.isEmpty() ? Texts::WizardText(6)
                                               : FormatText(Texts::WizardText(4), {name}));
        ui_.setAddressControlsEnabled(true);
        clearNames();
    } else if (was == Link::Playing && gameRunsHere()) {
        ui_.showConnectionMessage(lostCaption(), QStringLiteral("Die Verbindung zu ") + name +
                                                     QStringLiteral(" wurde getrennt."));
        backToTitle();
    }
}

void NetSession::violation()
{
    const Link was = link_;
    const QString name = peerName();
    qCWarning(lcNetwork) << "refused a message from" << (name.isEmpty() ? QStringLiteral("the peer") : name)
                         << "in phase" << game_.st.gamePhase << "; connection closed:" << inbox_.left(32);
    closeQuietly();
    const QString text =
        name.isEmpty()
            ? QStringLiteral("Die Gegenstelle hat ungültige Daten gesendet. Die Verbindung wurde getrennt.")
            : FormatText(QStringLiteral("%s hat ungültige Daten gesendet. Die Verbindung wurde getrennt."),
                         {name});
    if (was == Link::Lobby) {
        ui_.showConnectionState(name.isEmpty() ? Texts::WizardText(6)
                                               : FormatText(Texts::WizardText(4), {name}));
        ui_.setAddressControlsEnabled(true);
        clearNames();
        ui_.showConnectionMessage(lostCaption(), text);
    } else if (was == Link::Playing && gameRunsHere()) {
        ui_.showConnectionMessage(lostCaption(), text);
        backToTitle();
    }
}

void NetSession::backToTitle()
{
    // Like "Neu": every game timer stops (a victory pause left running would
    // otherwise revive the game), then the title picture and its animation.
    game_.abandonGame();
    game_.resumeTitleAnimation();
}

// ----------------------------------------------------------------- receiving

void NetSession::onReadyRead()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (socket == nullptr || socket != peer_)
        return;
    receive(socket->readAll());
}

void NetSession::receive(const QByteArray &bytes)
{
    if (link_ != Link::Lobby && link_ != Link::Playing)
        return;
    // This side has left the game ("Neu") or it is over: nothing the peer
    // sends can mean anything any more.
    if (link_ == Link::Playing && !gameRunsHere()) {
        inbox_.clear();
        return;
    }
    inbox_.append(bytes);
    if (reading_)
        return; // the loop below is running further up and takes these too
    reading_ = true;
    for (;;) {
        Step step = Step::Stop;
        if (link_ == Link::Lobby) {
            step = handleLobby();
        } else if (link_ == Link::Playing && gameRunsHere()) {
            step = game_.st.gamePhase == gpFiring ? handleShot() : handlePlacement();
        } else {
            inbox_.clear();
        }
        if (step != Step::Again)
            break;
    }
    reading_ = false;
}

NetSession::Step NetSession::handleLobby()
{
    using namespace NetMessages;
    if (game_.st.localPlayer == 0) {
        // Until the host starts the game the guest sends nothing but its
        // name, so every byte so far belongs to it.
        const auto name = inbox_.size() <= MaxNameLength ? Cp1252::decode(inbox_) : std::nullopt;
        if (!name || !isValidName(*name)) {
            violation();
            return Step::Stop;
        }
        takeName(*name);
        return Step::Wait;
    }

    // The guest gets the host's name and, once the host has seen the guest's
    // name, the start word, possibly in one piece. The start word cannot come
    // first, so it is looked for behind at least one character of the name.
    const qsizetype go = inbox_.indexOf(StartWord, 1);
    if (go > 0) {
        const auto name = Cp1252::decode(inbox_.first(go));
        if (!name || !isValidName(*name)) {
            violation();
            return Step::Stop;
        }
        takeName(*name);
        inbox_.remove(0, go + StartWordLength);
        startGuestGame();
        return Step::Again;
    }
    // The name so far, perhaps followed by the beginning of the start word.
    const auto sofar = Cp1252::decode(inbox_);
    bool acceptable = sofar.has_value();
    if (acceptable)
        for (QChar c : *sofar)
            acceptable = acceptable && isPrintableNameChar(c);
    if (acceptable && inbox_.size() > MaxNameLength) {
        // Only a name of at most 10 bytes and a start word begun behind it
        // can still turn out right.
        acceptable = false;
        for (qsizetype i = inbox_.size() - (StartWordLength - 1); i < inbox_.size(); ++i)
            if (i >= 1 && i <= MaxNameLength &&
                QByteArrayView(StartWord).startsWith(QByteArrayView(inbox_).sliced(i)))
                acceptable = true;
    }
    if (!acceptable) {
        violation();
        return Step::Stop;
    }
    if (inbox_.size() <= MaxNameLength)
        takeName(*sofar);
    return Step::Wait;
}

void NetSession::takeName(const QString &name)
{
    lobbyTimer_.stop();
    game_.takePeerName(name);
    if (game_.st.localPlayer == 0) {
        ui_.showConnectionState(FormatText(Texts::WizardText(3), {name, name}));
        ui_.setForwardEnabled(true);
    } else {
        ui_.showConnectionState(FormatText(Texts::WizardText(1), {name, name}));
        ui_.setForwardEnabled(false);
    }
}

void NetSession::startGuestGame()
{
    setLink(Link::Playing);
    game_.beginGame(game_.st.localPlayer);
    ui_.closeWizard();
}

NetSession::Step NetSession::handlePlacement()
{
    using namespace NetMessages;
    const GameState &st = game_.st;
    // The peer sends its fleet once and then waits for ours: anything more
    // before firing begins here is out of order.
    if (st.placementDone & pdRemote) {
        if (!inbox_.isEmpty())
            violation();
        return Step::Stop;
    }
    const bool fromHost = st.localPlayer == 1;
    const int length = fleetLength(fromHost);
    if (!isFleetPrefix(QByteArrayView(inbox_).first(std::min<qsizetype>(inbox_.size(), length)), fromHost)) {
        violation();
        return Step::Stop;
    }
    if (inbox_.size() < length)
        return Step::Wait;
    const auto fleet = parseFleet(QByteArrayView(inbox_).first(length), fromHost);
    if (!fleet) {
        violation();
        return Step::Stop;
    }
    const int startPlayer = fromHost && inbox_[FleetDigitCount] == '1' ? 1 : 0;
    inbox_.remove(0, length);
    game_.takePeerFleet(*fleet, startPlayer);
    return Step::Again;
}

NetSession::Step NetSession::handleShot()
{
    using namespace NetMessages;
    if (inbox_.size() < ShotLength) {
        if (!inbox_.isEmpty() && (inbox_[0] < '0' || inbox_[0] > '9')) {
            violation();
            return Step::Stop;
        }
        return Step::Wait;
    }
    const auto shot = parseShot(QByteArrayView(inbox_).first(ShotLength));
    if (!shot) {
        violation();
        return Step::Stop;
    }
    inbox_.remove(0, ShotLength);
    if (!game_.takePeerShot(shot->x, shot->y)) {
        violation();
        return Step::Stop;
    }
    return Step::Again;
}

void NetSession::setLink(Link link)
{
    const bool wasListening = link_ == Link::Listening;
    link_ = link;
    if (wasListening != (link == Link::Listening))
        emit listeningChanged(link == Link::Listening);
}
