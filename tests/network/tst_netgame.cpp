#include "NetTestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// Two game cores with their sessions in one process, over loopback on a free
// port (whole games, the wizard's texts, the ways a connection ends) and over
// an in-memory wire that cuts and joins the bytes at will: TCP keeps no
// message boundaries, and every way of cutting and joining one recorded game
// must end the same on both sides as one message per read.

namespace {

constexpr int kWait = 5000; // ms; a loopback exchange takes far less
using Link = NetSession::Link;

QString entry(int i, const QString &name = {})
{
    return FormatText(Texts::WizardText(i), {name, name});
}

// A whole game, each step run by act(side, step), which also brings the wire
// up to date. firstToPlace confirms its fleet first; the host's draw lets
// startPlayer begin. Both hit in streaks (every other hit by dragging) and
// miss now and then. The first finisher never polls its clock, so the other
// side's shot after its own pause must overtake the finisher's; then it
// fires alone to the end.
using Act = std::function<void(NetSide &side, const std::function<void()> &step)>;
void PlayGame(NetSide &host, NetSide &guest, int firstToPlace, int startPlayer, const Act &act)
{
    act(host, [&] { host.hostStarts(); });
    NetSide *order[2] = {&host, &guest};
    if (firstToPlace == 1)
        std::swap(order[0], order[1]);
    for (NetSide *s : order) {
        act(*s, [&] { s->placeFleet(); });
        act(*s, [&] { s->confirmFleet(startPlayer); });
    }
    NetSide *last = order[1];
    for (int shot = 1; last->st.GamePhase == gpFiring && shot < 300; ++shot) {
        if (last->st.Winner == last->st.LocalPlayer && last->game.DXTimer.Enabled()) {
            last = last == &host ? &guest : &host; // the other side's pause ends first
            act(*last, [&] { last->endPause(); });
            continue;
        }
        NetSide &s = last->st.CurrentPlayer == 0 ? host : guest;
        act(s, [&] {
            const bool hit = shot % (&s == &host ? 4 : 3) != 0;
            const CellPos c = s.target(hit) != NoCell ? s.target(hit) : s.target(!hit);
            if (hit && shot % 2 == 0)
                s.drag(c.x, c.y);
            else
                s.click(c.x, c.y);
        });
        last = &s;
    }
}

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

struct Outcome {
    QStringList state; // each side's boards, effects and wizard
    QList<QByteArray> deliveries;
};

// joined: bytes wait until their receiver is about to act, so that all one
// side sends in a row arrives in one delivery; else each action's bytes are
// delivered right after it.
Outcome play(const Cutter &cut, bool joined)
{
    NetSide host(0, u"Hanna"_s, 5), guest(1, u"Gustav"_s, 6);
    Outcome out;
    auto deliver = [&](NetSide &to) {
        QByteArray &pending = (&to == &host ? guest : host).wire.pending;
        if (pending.isEmpty())
            return;
        out.deliveries << std::exchange(pending, {});
        for (const QByteArray &piece : cut(out.deliveries.size() - 1, out.deliveries.last()))
            to.net.SocketRead(piece);
    };
    host.net.OpenOn(host.wire);
    guest.net.OpenOn(guest.wire);
    PlayGame(host, guest, 0, 1, [&](NetSide &side, const std::function<void()> &step) {
        deliver(side);
        step();
        if (!joined) {
            deliver(host);
            deliver(guest);
        }
    });
    deliver(host);
    deliver(guest);
    for (NetSide *s : {&host, &guest})
        out.state << Agreement(s->st) << s->fx.log.join(u'\n')
                  << u"%1|%2|%3|%4|%5"_s.arg(s->ui.ipState)
                         .arg(s->ui.wizardClosed)
                         .arg(s->ui.boxes.join(u';'), s->st.PlayerNames[0], s->st.PlayerNames[1]);
    return out;
}

struct Pair {
    NetSide host{0, u"Hanna"_s, 11};
    NetSide guest{1, u"Gustav"_s, 22};

    // Both press "Weiter" on the network page; true once the names are through.
    bool connect(const QString &address = u"127.0.0.1"_s)
    {
        host.net.setPort(0);
        host.net.OpenServer();
        guest.net.setPort(host.net.listeningPort());
        guest.net.OpenClient(address);
        return QTest::qWaitFor(
            [&] { return !host.st.PlayerNames[1].isEmpty() && !guest.st.PlayerNames[0].isEmpty(); }, kWait);
    }
    NetSide &side(int player) { return player == 0 ? host : guest; }
};

} // namespace

struct NetSessionTestAccess {
    static void error(NetSession &s, QAbstractSocket::SocketError e) { s.SocketError(e); }
    static bool retryArmed(const NetSession &s) { return s.ConnectRetryArmed; }
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

    // The reference is a whole game that both sides agree on; joined
    // delivery puts name, start word and fleet in one read. Every single cut
    // of every joined delivery, and byte by byte, end the same.
    void framing()
    {
        const QStringList &r = reference_.state;
        QCOMPARE(r[0], r[3]);
        QVERIFY(r[0].contains(u" phase %1 "_s.arg(gpFinished)));
        QVERIFY(r[2].endsWith(u"|0||Hanna|Gustav"_s) && r[5].endsWith(u"|1||Hanna|Gustav"_s));
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
    void wholeGame()
    {
        QFETCH(int, firstToPlace);
        QFETCH(int, startPlayer);
        QFETCH(QString, address);
        QFETCH(QStringList, names);
        const QString &hostName = names[0], &guestName = names[1];
        if (address == u"::1"_s && !QTcpServer().listen(QHostAddress::LocalHostIPv6, 0))
            QSKIP("no IPv6 loopback here");
        Pair g;
        g.host.st.PlayerNames[0] = hostName;
        g.guest.st.PlayerNames[1] = guestName;
        QVERIFY(g.connect(address));
        QCOMPARE(g.host.ui.ipState, entry(3, guestName));
        QCOMPARE(g.guest.ui.ipState,
                 u"Die Anmeldung bei %1 war erfolgreich. %1 wird das Spiel starten."_s.arg(hostName));
        QVERIFY(g.host.ui.forwardEnabled && !g.guest.ui.forwardEnabled);
        QCOMPARE(g.host.st.RecentNames[1], guestName);
        QCOMPARE(g.guest.st.RecentNames[1], hostName);

        // Each step waits until the peer has carried out what the step sent.
        int handled[2] = {0, 0}, firstShooter = -1;
        for (NetSide *s : {&g.host, &g.guest})
            connect(&s->net, &NetSession::messageHandled, [&handled, s] { ++handled[s->st.LocalPlayer]; });
        PlayGame(g.host, g.guest, firstToPlace, startPlayer,
                 [&](NetSide &s, const std::function<void()> &step) {
                     if (QTest::currentTestFailed())
                         return; // no more waiting
                     if (s.st.GamePhase == gpFiring && firstShooter < 0)
                         firstShooter = s.st.LocalPlayer;
                     const int sends = s.fx.only(u"send"_s).size(), before = handled[s.peer()];
                     step();
                     const int expected = before + s.fx.only(u"send"_s).size() - sends;
                     QVERIFY(QTest::qWaitFor([&] { return handled[s.peer()] >= expected; }, kWait));
                 });
        QCOMPARE(firstShooter, startPlayer);
        QCOMPARE(g.guest.ui.wizardClosed, 1);
        QVERIFY(g.guest.fx.log.contains(
            u"status %1, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."_s.arg(
                guestName)));
        NetSide &first = g.side(firstToPlace);
        QVERIFY(first.fx.log.contains(u"status Warten Sie, bis %1 die Schiffe aufgestellt hat."_s.arg(
            first.st.PlayerNames[first.peer()])));
        QTest::qWait(100); // the closing reaches the other side: nothing shown
        QCOMPARE(Agreement(g.host.st), Agreement(g.guest.st));
        for (NetSide *s : {&g.host, &g.guest}) {
            QCOMPARE(s->st.GamePhase, gpFinished);
            QCOMPARE(s->fx.only(u"close"_s).size(), 1);
            QCOMPARE(s->net.link(), Link::Idle);
            QCOMPARE(s->fx.only(u"banner"_s), QStringList({u"banner found-all"_s, u"banner game-end"_s}));
            QVERIFY(s->ui.boxes.isEmpty());
        }
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
            QVERIFY(QTest::qWaitFor([&] { return g.guest.st.PlacementDone == pdRemote; }, kWait));
            g.guest.placeFleet();
            g.guest.confirmFleet();
        }
        NetSide &gone = g.side(leaver), &stays = g.side(leaver ^ 1);
        QVERIFY(
            QTest::qWaitFor([&] { return stays.st.GamePhase == (firing ? gpFiring : gpPlacing1); }, kWait));
        if (abandoned) {
            stays.game.AbandonGame();
            QCOMPARE(stays.net.link(), Link::Playing);
            const CellPos c = gone.target(true);
            gone.click(c.x, c.y);
        }
        int phaseDuringBox = -1;
        stays.ui.duringBox = [&] { phaseDuringBox = stays.st.GamePhase; };
        gone.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return stays.net.link() == Link::Idle; }, kWait));
        QCOMPARE(stays.st.GamePhase, gpNoGame);
        if (abandoned) {
            QVERIFY(stays.ui.boxes.isEmpty());
            return;
        }
        QCOMPARE(stays.ui.boxes,
                 QStringList{u"Verbindung getrennt|Die Verbindung zu %1 wurde getrennt."_s.arg(
                     gone.st.PlayerNames[leaver])});
        QCOMPARE(phaseDuringBox, int(firing ? gpFiring : gpPlacing1));
        QVERIFY(stays.game.DXTimer_Info.Enabled() && !stays.game.DXTimer.Enabled());
        QCOMPARE(stays.fx.status, Texts::InfoText(0));
    }

    // Until a guest has named itself any connection may be it: one that is
    // silent (past the lobby time or not), leaves, or sends what no guest
    // sends is answered with the host's name and dropped without a word, and
    // the real guest still gets in. Then nobody else does; when the guest
    // cancels its wizard, the host's page names it and becomes editable.
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
        QTest::newRow("flood") << QByteArray(1 << 20, '0') << true;
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
        g.host.net.OpenServer();
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

        g.guest.net.setPort(g.host.net.listeningPort());
        g.guest.net.OpenClient(u"127.0.0.1"_s);
        QVERIFY(QTest::qWaitFor([&] { return g.host.st.PlayerNames[1] == u"Gustav"_s; }, kWait));
        QVERIFY(
            QTest::qWaitFor([&] { return gone(early) && g.guest.st.PlayerNames[0] == u"Hanna"_s; }, kWait));
        QCOMPARE(g.host.ui.ipState, entry(3, u"Gustav"_s));
        late.connectToHost(QHostAddress::LocalHost, g.guest.net.port());
        QVERIFY(QTest::qWaitFor([&] { return gone(late); }, kWait));
        QCOMPARE(late.bytesAvailable(), 0);
        QCOMPARE(g.host.net.link(), Link::Lobby);

        g.guest.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return g.host.net.link() == Link::Idle; }, kWait));
        QCOMPARE(g.host.ui.ipState, u"Die Verbindung zu Gustav wurde getrennt."_s);
        QVERIFY(g.host.ui.ipCtrlsEnabled && g.host.ui.boxes.isEmpty());
        QVERIFY(g.host.st.PlayerNames[0].isEmpty() && g.host.st.PlayerNames[1].isEmpty());
    }

    // Leaving the wizard frees the port again.
    void portInUse()
    {
        NetSide first(0, u"Hanna"_s), second(0, u"Hugo"_s);
        first.net.setPort(0);
        first.net.OpenServer();
        const quint16 port = first.net.listeningPort();
        second.net.setPort(port);
        second.net.OpenServer();
        QCOMPARE(second.net.link(), Link::Idle);
        QCOMPARE(second.ui.ipState,
                 u"Port %1 kann nicht geöffnet werden. Vielleicht wird er bereits von einem "
                 "anderen Programm verwendet."_s.arg(port));
        QVERIFY(second.ui.ipCtrlsEnabled);
        first.net.CloseConnection();
        second.net.OpenServer();
        QCOMPARE(second.net.listeningPort(), port);
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
        quint16 port = 0;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port = probe.serverPort();
        }
        // With its queue of waiting connections full it lets an attempt hang.
        QTcpServer jammed, silent;
        QTcpSocket fillers[3];
        if (how == 4) {
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            port = silent.serverPort();
            guest.net.setLobbyTimeout(300);
        }
        if (how == 1) {
            jammed.setListenBacklogSize(0);
            QVERIFY(jammed.listen(QHostAddress::LocalHost, 0));
            jammed.pauseAccepting();
            for (QTcpSocket &f : fillers)
                f.connectToHost(QHostAddress::LocalHost, jammed.serverPort());
            QTest::qWait(100);
            port = jammed.serverPort();
            guest.net.setConnectTimeout(300);
        }
        guest.net.setPort(port);
        QElapsedTimer clock;
        clock.start();
        guest.net.OpenClient(u"127.0.0.1"_s);
        for (int i = how == 2 ? 0 : 1; (how == 2 || how == 3) && i < 2; ++i)
            NetSessionTestAccess::error(guest.net, QAbstractSocket::SocketAddressNotAvailableError);
        if (how == 3) { // the host comes up after the first attempt: only the retry reaches it
            host.net.setPort(port);
            host.net.OpenServer();
        }
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() != Link::Connecting; }, kWait));
        if (how == 1 && guest.net.link() == Link::Lobby)
            QSKIP("this system accepted beyond the listen queue");
        QVERIFY(how != 4 || QTest::qWaitFor([&] { return guest.net.link() == Link::Idle; }, kWait));
        QVERIFY(clock.elapsed() >= (how == 1 || how == 4 ? 250
                                    : how == 3           ? NetSession::RetryDelayMs - 10
                                                         : 0));
        if (how == 3) {
            QVERIFY(QTest::qWaitFor([&] { return host.st.PlayerNames[1] == u"Gustav"_s; }, kWait));
            return;
        }
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QVERIFY(guest.ui.ipCtrlsEnabled && guest.st.PlayerNames[1].isEmpty());
        QCOMPARE(NetSessionTestAccess::retryArmed(guest.net), how != 2); // the retry is only for that error
        QTest::qWait(how == 2 ? NetSession::RetryDelayMs + 100 : 0);
        QCOMPARE(guest.net.link(), Link::Idle); // and no retry comes after all
    }
};

QTEST_GUILESS_MAIN(tst_netgame)
#include "tst_netgame.moc"
