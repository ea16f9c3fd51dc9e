#pragma once

#include "game/Game.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

// What the network side does to the wizard and the windows. The program wires
// it to the wizard's Mode2 page and a message box; tests record it.
class NetSessionUi {
public:
    virtual ~NetSessionUi() = default;
    // The connection text on the wizard's network page.
    virtual void showConnectionState(const QString &text) = 0;
    // The wizard's name, role and address controls (which also re-runs its
    // enabling rule for "Weiter").
    virtual void setAddressControlsEnabled(bool enabled) = 0;
    // The wizard's "&Weiter >".
    virtual void setForwardEnabled(bool enabled) = 0;
    // The game has started (the host's start word arrived): close the wizard.
    virtual void closeWizard() = 0;
    // A modal message box with an exclamation icon and one "OK"; returns
    // when the user has closed it.
    virtual void showConnectionMessage(const QString &caption, const QString &text) = 0;
};

// Where the session's bytes go to the peer. The program's own is the TCP
// socket; an in-memory pair of sessions (tests, benchmarks, fuzzing) hands
// each side's bytes to the other's receive().
class NetTransport {
public:
    virtual ~NetTransport() = default;
    virtual void send(const QByteArray &bytes) = 0;
};

// The TCP connection of a network game and its messages, on the user-interface
// thread with Qt's event-driven sockets. The host listens (on port 5998 on
// every local address, IPv4 and IPv6) and takes one guest; the guest connects
// by address or host name. Until a guest has named itself, every connection
// to the host may be it: each gets the host's name and the lobby time to
// send its own; one that stays silent, leaves or sends what no guest sends is
// dropped without a word and the host goes on listening. The first to send a
// name is the guest, and from then on nobody else gets in. Received bytes are collected and cut into messages
// by what this side's phase expects, each is checked, and then carried out on
// the game: the names, the start word, the peer's fleet and the peer's shots.
// A peer that breaks the rules is treated like one that left.
class NetSession : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 5998;

    enum class Link {
        Idle,       // no socket open
        Listening,  // host: waiting for a guest
        Connecting, // guest: connection attempt running
        Lobby,      // connected, names being exchanged, wizard open
        Playing,    // the game has started on this side
    };
    Q_ENUM(Link)

    NetSession(Game &game, NetSessionUi &ui, QObject *parent = nullptr);
    ~NetSession() override;

    // Tests listen on a free port (0) and connect to it.
    void setPort(quint16 port) { port_ = port; }
    quint16 port() const { return port_; }
    // The port the host listens on (the chosen one when 0 was asked for).
    quint16 listeningPort() const;
    // How long a connection attempt may take before it counts as failed.
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    // How long a new connection may take to send its name (host), or the
    // host to send its own (guest), before it is dropped.
    static constexpr int DefaultLobbyTimeoutMs = 15000;
    void setLobbyTimeout(int ms) { lobbyTimeoutMs_ = ms; }
    // Connections waiting for their name at the same time; the oldest gives
    // way to a new one.
    static constexpr int MaxUnnamed = 8;
    // The pause before the one automatic reconnect.
    static constexpr int RetryDelayMs = 500;

    Link link() const { return link_; }
    bool isConnected() const;

    // ---- Opening, from the wizard's "&Weiter >" on its network page. The
    // caller has set gameMode, localPlayer and the own name, and shown the
    // waiting text.
    // Host: listen. A failure is shown in the wizard, whose page becomes
    // editable again.
    void listen();
    // Guest: connect to the address or host name; arms the one retry.
    void connectTo(const QString &hostAddress);
    // Host, guest's name known: send the start word. The wizard then starts
    // the host's own game.
    void sendStart();

    // ---- For the engine's side effects
    // Sends one text as Windows-1252 bytes to the peer; only in gmTwoAtTwo.
    void sendText(const QString &text);
    // Closes this side's connection (and stops listening) without any
    // message; sent bytes are still delivered.
    void closeConnection();

    // ---- What a transport delivers.
    // Bytes from the peer, however TCP cut or joined them.
    void receive(const QByteArray &bytes);
    // The peer has gone.
    void peerDisconnected();

    // Over a transport of the caller's instead of a socket: as if the
    // connection had just come up (the own name is sent). The transport
    // stays in use until the connection is closed.
    void openOn(NetTransport &transport);

signals:
    // The host has begun or stopped waiting for guests (a guest signed in,
    // the host gave up, the program ends).
    void listeningChanged(bool listening);

private:
    friend struct NetSessionTestAccess; // tests stand in for the socket's errors

    // The program's transport: the connected socket.
    struct SocketTransport final : NetTransport {
        QPointer<QTcpSocket> socket;
        void send(const QByteArray &bytes) override;
    };

    void setLink(Link link);
    void onConnected(QTcpSocket *connection);
    void onSocketError(QAbstractSocket::SocketError error);

    enum class Step { Wait, Again, Stop };
    Step handleLobby();
    Step handlePlacement();
    Step handleShot();

    void acceptPending();
    void unnamedRead(QTcpSocket *socket);
    void dropUnnamed(QTcpSocket *socket);
    void onLobbyTimeout();
    void attachPeer(QTcpSocket *socket);
    void connectAttempt();
    void connectFailed();
    void onConnectTimeout();
    void onReadyRead();
    void takeName(const QString &name);
    void startGuestGame();
    void peerGone();
    void violation();
    // Closes every socket without any event reaching the handlers.
    void closeQuietly();
    void releaseSocket(QTcpSocket *socket, bool graceful);
    void clearNames();
    void backToTitle();
    QString peerName() const;
    bool gameRunsHere() const;

    Game &game_;
    NetSessionUi &ui_;
    bool connectRetryArmed_ = false;
    QTcpServer *server_ = nullptr;
    QTcpSocket *client_ = nullptr;
    SocketTransport socketTransport_;
    NetTransport *transport_ = nullptr; // while connected
    quint16 port_ = DefaultPort;
    int connectTimeoutMs_ = 10000;
    int lobbyTimeoutMs_ = DefaultLobbyTimeoutMs;
    Link link_ = Link::Idle;
    QPointer<QTcpSocket> peer_; // the one connection: client_, or the accepted guest
    QString hostAddress_;
    QByteArray inbox_;            // bytes of a message not complete yet
    QList<QTcpSocket *> unnamed_; // host: connections that have not named themselves yet
    QTimer connectTimer_;
    QTimer lobbyTimer_; // guest: waits for the host's name
    QTimer retryTimer_;
    bool reading_ = false;
};
