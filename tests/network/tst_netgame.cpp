#include "NetTestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// Two game cores with their sessions in one process over loopback on a free
// port: whole games, the wizard's texts, and the ways a connection ends.

namespace {

constexpr int kWait = 5000; // ms; a loopback exchange takes far less
using Link = NetSession::Link;

QString entry(int i, const QString &name = {})
{
    return FormatText(Texts::WizardText(i), {name, name});
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

class tst_netgame : public QObject {
    Q_OBJECT

private slots:
    void wholeGame_data()
    {
        QTest::addColumn<int>("firstToPlace");
        QTest::addColumn<int>("startPlayer");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("guestName");
        QTest::newRow("guest places first, host begins")
            << 1 << 0 << u"127.0.0.1"_s << u"Hanna"_s << u"Gustav"_s;
        QTest::newRow("host places first, guest begins; by name, code page")
            << 0 << 1 << u" localhost "_s << u"Jürgen €"_s << u"Zoë"_s;
        QTest::newRow("IPv6") << 0 << 0 << u"::1"_s << u"H"_s << u"G"_s;
    }
    void wholeGame()
    {
        QFETCH(int, firstToPlace);
        QFETCH(int, startPlayer);
        QFETCH(QString, address);
        QFETCH(QString, hostName);
        QFETCH(QString, guestName);
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

    // While the guest is in the lobby nobody else gets in. When it cancels
    // its wizard the host's page names it and becomes editable again.
    void lobby()
    {
        Pair g;
        QVERIFY(g.connect());
        QTcpSocket intruder;
        QByteArray got;
        QObject::connect(&intruder, &QTcpSocket::readyRead, [&] { got += intruder.readAll(); });
        intruder.connectToHost(QHostAddress::LocalHost, g.guest.net.port());
        QVERIFY(
            QTest::qWaitFor([&] { return intruder.state() == QAbstractSocket::UnconnectedState; }, kWait));
        QVERIFY(got.isEmpty());
        QCOMPARE(g.host.net.link(), Link::Lobby);

        g.guest.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return g.host.net.link() == Link::Idle; }, kWait));
        QCOMPARE(g.host.ui.ipState, u"Die Verbindung zu Gustav wurde getrennt."_s);
        QVERIFY(g.host.ui.ipCtrlsEnabled && g.host.ui.boxes.isEmpty());
        QVERIFY(g.host.st.PlayerNames[0].isEmpty() && g.host.st.PlayerNames[1].isEmpty());
        g.host.st.PlayerNames[0] = u"Hanna"_s;
        g.guest.st.PlayerNames[0].clear();
        QVERIFY(g.connect());
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
        QTcpServer jammed;
        QTcpSocket fillers[3];
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
        for (int i = how == 2 ? 0 : 1; how >= 2 && i < 2; ++i)
            guest.net.SocketError(QAbstractSocket::SocketAddressNotAvailableError);
        if (how == 3) { // the host comes up after the first attempt: only the retry reaches it
            host.net.setPort(port);
            host.net.OpenServer();
        }
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() != Link::Connecting; }, kWait));
        if (how == 1 && guest.net.link() == Link::Lobby)
            QSKIP("this system accepted beyond the listen queue");
        QVERIFY(clock.elapsed() >= (how == 1 ? 250 : how == 3 ? NetSession::RetryDelayMs - 10 : 0));
        if (how == 3) {
            QVERIFY(QTest::qWaitFor([&] { return host.st.PlayerNames[1] == u"Gustav"_s; }, kWait));
            return;
        }
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QVERIFY(guest.ui.ipCtrlsEnabled && guest.st.PlayerNames[1].isEmpty());
        QCOMPARE(guest.net.ConnectRetryArmed, how != 2); // the retry is only for that error
        QTest::qWait(how == 2 ? NetSession::RetryDelayMs + 100 : 0);
        QCOMPARE(guest.net.link(), Link::Idle); // and no retry comes after all
    }
};

QTEST_GUILESS_MAIN(tst_netgame)
#include "tst_netgame.moc"
