#include "NetTestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// Two game cores with their sessions, over loopback and over an in-memory
// wire that cuts and joins the bytes at will.

namespace {

using Link = NetSession::Link;

// Cuts the bytes of one delivery (numbered in order) into reads.
using Cutter = std::function<QList<QByteArray>(int delivery, const QByteArray &bytes)>;

Cutter pieces(int size) // 0: whole
{
    return [size](int, const QByteArray &b) {
        QList<QByteArray> out;
        for (qsizetype i = 0, n = size > 0 ? size : b.size(); i < b.size(); i += n)
            out << b.mid(i, n);
        return out;
    };
}

// Each side's boards, effects, wizard, names and connection.
QStringList Summary(const NetSide &host, const NetSide &guest)
{
    QStringList out;
    for (const NetSide *s : {&host, &guest})
        out << Agreement(s->st) << s->fx.log.join(u'\n')
            << u"%1|%2|%3|%4|%5|%6|%7"_s.arg(s->ui.ipState)
                   .arg(s->ui.wizardClosed)
                   .arg(s->ui.boxes.join(u';'), s->st.playerNames[0], s->st.playerNames[1],
                        s->st.recentNames[1])
                   .arg(int(s->net.link()));
    return out;
}

struct Outcome {
    QStringList state;
    QList<QByteArray> deliveries;
};

// joined: bytes wait until their receiver acts, so that all one side sends
// in a row arrives in one delivery; else they go right after each action.
Outcome play(const Cutter &cut, bool joined, const QStringList &names = {u"Hanna"_s, u"Gustav"_s},
             int firstToPlace = 0, int startPlayer = 1)
{
    NetSide host(0, names[0], 11), guest(1, names[1], 22);
    Outcome out;
    auto deliver = [&](NetSide &to) {
        QByteArray &pending = (&to == &host ? guest : host).wire.pending;
        if (pending.isEmpty())
            return;
        out.deliveries << std::exchange(pending, {});
        for (const QByteArray &piece : cut(out.deliveries.size() - 1, out.deliveries.last()))
            to.net.receive(piece);
    };
    host.net.openOn(host.wire);
    guest.net.openOn(guest.wire);
    PlayGame(host, guest, firstToPlace, startPlayer, [&](NetSide &side, const std::function<void()> &step) {
        deliver(side);
        step();
        if (!joined) {
            deliver(host);
            deliver(guest);
        }
    });
    deliver(host);
    deliver(guest);
    out.state = Summary(host, guest);
    return out;
}

struct Pair {
    NetSide host{0, u"Hanna"_s, 11};
    NetSide guest{1, u"Gustav"_s, 22};

    // Both press "Weiter" on the network page; true once the names are through.
    bool connect(const QString &address = u"127.0.0.1"_s)
    {
        host.net.setPort(0);
        host.net.listen();
        guest.net.setPort(host.net.listeningPort());
        guest.net.connectTo(address);
        return QTest::qWaitFor(
            [&] { return !host.st.playerNames[1].isEmpty() && !guest.st.playerNames[0].isEmpty(); }, kWait);
    }
};

} // namespace

struct NetSessionTestAccess {
    static void error(NetSession &s, QAbstractSocket::SocketError e) { s.onSocketError(e); }
    static bool retryArmed(const NetSession &s) { return s.connectRetryArmed_; }
};

class tst_netgame : public QObject {
    Q_OBJECT

    Outcome reference_, joined_;

private slots:
    void initTestCase()
    {
        reference_ = play(pieces(0), false);
        joined_ = play(pieces(0), true);
    }

    // Every single cut of every joined delivery, and byte by byte, end as the reference.
    void framing()
    {
        const QStringList &r = reference_.state;
        QCOMPARE(r[0], r[3]);
        QVERIFY(r[0].contains(u" phase %1 "_s.arg(gpFinished)));
        const QString tail = u"Hanna|Gustav|%1|"_s + QString::number(int(Link::Idle)); // names, link
        QCOMPARE(r[2],
                 u"Gustav hat sich angemeldet. Klicken Sie auf \"Weiter\", um das Spiel zu starten.|0||"_s +
                     tail.arg(u"Gustav"_s));
        QCOMPARE(r[5], u"Die Anmeldung bei Hanna war erfolgreich. Hanna wird das Spiel starten.|1||"_s +
                           tail.arg(u"Hanna"_s));
        QVERIFY(r[4].contains(u"status Gustav, klicken Sie auf die Felder, an denen Ihre Schiffe"_s));
        for (const QString &log : {r[1], r[4]}) {
            const QStringList ends = log.split(u'\n').filter(QRegularExpression(u"^(banner|close)"_s));
            QCOMPARE(ends, QStringList({u"banner found-all"_s, u"banner game-end"_s, u"close"_s}));
        }
        QCOMPARE(QRegularExpression(u"status (\\S+ \\S+) an der Reihe"_s).match(r[4]).captured(1),
                 u"Sie sind"_s);
        QVERIFY(joined_.deliveries.contains(QByteArray("Hanna%GO%") + reference_.deliveries[2]));
        QCOMPARE(joined_.state, r);
        for (int size : {1, 3})
            for (bool joined : {false, true})
                QCOMPARE(play(pieces(size), joined).state, r);
        for (int target = 0; target < joined_.deliveries.size(); ++target)
            for (qsizetype at = 1; at < joined_.deliveries[target].size(); ++at) {
                const Cutter cut = [=](int d, const QByteArray &b) -> QList<QByteArray> {
                    return d == target ? QList<QByteArray>{b.first(at), b.sliced(at)} : QList<QByteArray>{b};
                };
                QVERIFY2(play(cut, true).state == r,
                         qPrintable(u"delivery %1 cut at %2"_s.arg(target).arg(at)));
            }
    }

    void wholeGame_data()
    {
        QTest::addColumn<int>("firstToPlace");
        QTest::addColumn<int>("startPlayer");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("guest places first, host begins")
            << 1 << 0 << u"127.0.0.1"_s << QStringList{u"Hanna"_s, u"Gustav"_s};
        QTest::newRow("host places first, guest begins; by name, code page")
            << 0 << 1 << u" localhost "_s << QStringList{u"Jürgen €"_s, u"Zoë"_s};
        QTest::newRow("IPv6") << 0 << 0 << u"::1"_s << QStringList{u"H"_s, u"G"_s};
    }
    // Over loopback a game ends as over the wire, and its closing shows nothing.
    void wholeGame()
    {
        QFETCH(int, firstToPlace);
        QFETCH(int, startPlayer);
        QFETCH(QString, address);
        QFETCH(QStringList, names);
        if (address == u"::1"_s && !QTcpServer().listen(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback here");
        Pair g;
        g.host.st.playerNames[0] = names[0];
        g.guest.st.playerNames[1] = names[1];
        QVERIFY(g.connect(address));
        QVERIFY(g.host.ui.forwardEnabled && !g.guest.ui.forwardEnabled);

        PlayOverSockets(g.host, g.guest, firstToPlace, startPlayer);
        QCOMPARE(Summary(g.host, g.guest), play(pieces(0), false, names, firstToPlace, startPlayer).state);
    }

    // The message box comes before the title picture. After "Neu", which
    // keeps the connection, the peer's shots and leaving show nothing.
    void peerLeaves_data()
    {
        QTest::addColumn<int>("leaver");
        QTest::addColumn<bool>("firing");
        QTest::addColumn<bool>("abandoned");
        QTest::newRow("host leaves during placement") << 0 << false << false;
        QTest::newRow("guest leaves during firing") << 1 << true << false;
        QTest::newRow("guest leaves after the host's Neu") << 1 << true << true;
    }
    void peerLeaves()
    {
        QFETCH(int, leaver);
        QFETCH(bool, firing);
        QFETCH(bool, abandoned);
        Pair g;
        QVERIFY(g.connect());
        g.host.hostStarts();
        if (firing) {
            g.host.placeFleet();
            g.host.confirmFleet(1);
            QVERIFY(QTest::qWaitFor([&] { return g.guest.st.placementDone == pdRemote; }, kWait));
            g.guest.placeFleet();
            g.guest.confirmFleet();
        }
        NetSide &gone = leaver ? g.guest : g.host, &stays = leaver ? g.host : g.guest;
        QVERIFY(
            QTest::qWaitFor([&] { return stays.st.gamePhase == (firing ? gpFiring : gpPlacing1); }, kWait));
        if (abandoned) {
            stays.game.abandonGame();
            QCOMPARE(stays.net.link(), Link::Playing);
            const CellPos c = gone.target(true);
            gone.click(c.x, c.y);
        }
        int phaseDuringBox = -1;
        stays.ui.duringBox = [&] { phaseDuringBox = stays.st.gamePhase; };
        gone.net.closeConnection();
        QVERIFY(QTest::qWaitFor([&] { return stays.net.link() == Link::Idle; }, kWait));
        QCOMPARE(stays.st.gamePhase, gpNoGame);
        if (abandoned) {
            QVERIFY(stays.ui.boxes.isEmpty());
            return;
        }
        QCOMPARE(stays.ui.boxes,
                 QStringList{u"Verbindung getrennt|Die Verbindung zu %1 wurde getrennt."_s.arg(
                     gone.st.playerNames[leaver])});
        QCOMPARE(phaseDuringBox, int(firing ? gpFiring : gpPlacing1));
    }

    // Until a guest has named itself any connection may be it: a bad one is
    // dropped without a word and the real guest still gets in; then nobody
    // else does. When the guest leaves, the host's page names it. That a silent
    // one stays is seen only by letting real time (half a second) pass.
    void lobby_data()
    {
        QTest::addColumn<QByteArray>("sends");
        QTest::addColumn<bool>("dropped"); // before the guest comes
        QTest::newRow("silent") << QByteArray() << false;
        QTest::newRow("silent past the lobby time") << QByteArray() << true;
        QTest::newRow("leaves") << QByteArray("\n") << true;
        QTest::newRow("name of 11") << QByteArray("ABCDEFGHIJK") << true;
        QTest::newRow("control character") << QByteArray("Gus\x01") << true;
        QTest::newRow("soft hyphen") << QByteArray("Gus\xad") << true;
    }
    void lobby()
    {
        QFETCH(QByteArray, sends);
        QFETCH(bool, dropped);
        Pair g;
        constexpr int LobbyMs = 300;
        if (dropped && sends.isEmpty())
            g.host.net.setLobbyTimeout(LobbyMs);
        g.host.net.setPort(0);
        g.host.net.listen();
        QTcpSocket early, late;
        QByteArray got;
        QObject::connect(&early, &QTcpSocket::readyRead, [&] { got += early.readAll(); });
        QElapsedTimer clock;
        clock.start();
        early.connectToHost(QHostAddress::LocalHost, g.host.net.listeningPort());
        QVERIFY(QTest::qWaitFor([&] { return got == "Hanna"; }, kWait));
        if (sends == "\n")
            early.disconnectFromHost();
        else
            early.write(sends);
        const auto gone = [](QTcpSocket &s) { return s.state() == QAbstractSocket::UnconnectedState; };
        QCOMPARE(QTest::qWaitFor([&] { return gone(early); }, dropped ? kWait : 500), dropped);
        if (dropped && sends.isEmpty())
            QVERIFY(clock.elapsed() >= LobbyMs);
        QCOMPARE(g.host.net.link(), Link::Listening);
        QVERIFY(g.host.ui.ipState.isEmpty() && g.host.ui.boxes.isEmpty() && !g.host.ui.ipCtrlsEnabled);
        NetSide other(0, u"Hugo"_s);
        other.net.setPort(g.host.net.listeningPort());
        other.net.listen();
        QCOMPARE(other.net.link(), Link::Idle);
        QCOMPARE(other.ui.ipState,
                 u"Port %1 kann nicht geöffnet werden. Vielleicht wird er bereits von einem "
                 "anderen Programm verwendet."_s.arg(other.net.port()));
        QVERIFY(other.ui.ipCtrlsEnabled);

        g.guest.net.setPort(g.host.net.listeningPort());
        g.guest.net.connectTo(u"127.0.0.1"_s);
        QVERIFY(QTest::qWaitFor([&] { return g.host.st.playerNames[1] == u"Gustav"_s; }, kWait));
        QVERIFY(
            QTest::qWaitFor([&] { return gone(early) && g.guest.st.playerNames[0] == u"Hanna"_s; }, kWait));
        late.connectToHost(QHostAddress::LocalHost, g.guest.net.port());
        QVERIFY(QTest::qWaitFor([&] { return gone(late); }, kWait));
        QCOMPARE(late.bytesAvailable(), 0);
        QCOMPARE(g.host.net.link(), Link::Lobby);
        other.net.listen(); // the guest is in: the port is free
        QCOMPARE(other.net.listeningPort(), other.net.port());

        g.guest.net.closeConnection();
        QVERIFY(QTest::qWaitFor([&] { return g.host.net.link() == Link::Idle; }, kWait));
        QCOMPARE(g.host.ui.ipState, u"Die Verbindung zu Gustav wurde getrennt."_s);
        QVERIFY(g.host.ui.ipCtrlsEnabled && g.host.ui.boxes.isEmpty());
        QVERIFY(g.host.st.playerNames[0].isEmpty() && g.host.st.playerNames[1].isEmpty());
    }

    void connectAttempts_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("nothing listens") << 0;
        QTest::newRow("no answer in time") << 1;
        QTest::newRow("address not available twice") << 2;
        QTest::newRow("address not available once: retried") << 3;
        QTest::newRow("connected, but no name comes") << 4;
    }
    void connectAttempts()
    {
        QFETCH(int, how);
        NetSide guest(1, u"Gustav"_s), host(0, u"Hanna"_s);
        // A server that says nothing; with its queue of waiting connections
        // full it lets an attempt hang.
        QTcpServer server;
        QTcpSocket fillers[3];
        server.setListenBacklogSize(how == 1 ? 0 : 50);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const quint16 port = server.serverPort();
        if (how == 1) {
            server.pauseAccepting();
            for (QTcpSocket &f : fillers)
                f.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(QTest::qWaitFor([&] { return fillers[0].state() == QTcpSocket::ConnectedState; }, kWait));
        } else if (how != 4) {
            server.close(); // nothing listens
        }
        guest.net.setConnectTimeout(300);
        guest.net.setLobbyTimeout(300);
        guest.net.setPort(port);
        QElapsedTimer clock;
        clock.start();
        guest.net.connectTo(u"127.0.0.1"_s);
        for (int i = how == 2 ? 0 : 1; (how == 2 || how == 3) && i < 2; ++i)
            NetSessionTestAccess::error(guest.net, QAbstractSocket::SocketAddressNotAvailableError);
        if (how == 3) { // the host comes up after the first attempt: only the retry reaches it
            host.net.setPort(port);
            host.net.listen();
        }
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() != Link::Connecting; }, kWait));
        if (how == 1 && guest.net.link() == Link::Lobby)
            QSKIP("this system accepted beyond the listen queue");
        QVERIFY(how != 4 || QTest::qWaitFor([&] { return guest.net.link() == Link::Idle; }, kWait));
        QVERIFY(clock.elapsed() >= (how == 1 || how == 4 ? 250
                                    : how == 3           ? NetSession::RetryDelayMs - 10
                                                         : 0));
        if (how == 3) {
            QVERIFY(QTest::qWaitFor([&] { return host.st.playerNames[1] == u"Gustav"_s; }, kWait));
            return;
        }
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QVERIFY(guest.ui.ipCtrlsEnabled && guest.st.playerNames[1].isEmpty());
        QCOMPARE(NetSessionTestAccess::retryArmed(guest.net), how != 2); // the retry is only for that error
        // A retry would come after a real pause: let it pass.
        QTest::qWait(how == 2 ? NetSession::RetryDelayMs + 100 : 0);
        QCOMPARE(guest.net.link(), Link::Idle); // and no retry comes after all
    }
};

QTEST_GUILESS_MAIN(tst_netgame)
#include "tst_netgame.moc"
