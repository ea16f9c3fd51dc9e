#include "NetTestSupport.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

// Two game cores with their network sessions in one process, connected over
// loopback on a free port: whole games, the wizard's texts, and the ways a
// connection ends.

namespace {

constexpr int kWait = 5000; // ms; a loopback exchange takes far less

QString entry(int i, const QString &name = {})
{
    return FormatText(Texts::WizardText(i), {name, name});
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct Pair {
    NetSide host{0, QStringLiteral("Hanna"), 11};
    NetSide guest{1, QStringLiteral("Gustav"), 22};

    // Both press "Weiter" on the network page; returns when the names are through.
    bool connect()
    {
        host.net.setPort(0);
        host.ui.SetIPState(entry(2));
        host.net.OpenServer();
        if (host.net.link() != NetSession::Link::Listening)
            return false;
        guest.net.setPort(host.net.listeningPort());
        guest.ui.SetIPState(entry(5));
        guest.net.OpenClient(QStringLiteral("127.0.0.1"));
        return QTest::qWaitFor(
            [&] { return !host.st.PlayerNames[1].isEmpty() && !guest.st.PlayerNames[0].isEmpty(); }, kWait);
    }
    bool start()
    {
        host.hostStarts();
        return QTest::qWaitFor([&] { return guest.st.GamePhase == gpPlacing1; }, kWait);
    }
    // Waits until the side that did not act has caught up.
    bool agree()
    {
        return QTest::qWaitFor([&] { return Agreement(host.st) == Agreement(guest.st); }, kWait);
    }
    NetSide &side(int player) { return player == 0 ? host : guest; }
    NetSide &shooter() { return side(host.st.CurrentPlayer); }
};

} // namespace

class tst_netgame : public QObject {
    Q_OBJECT

private slots:
    void nameExchangeAndStart()
    {
        Pair g;
        QVERIFY(g.connect());
        QCOMPARE(g.host.ui.ipState, entry(3, QStringLiteral("Gustav")));
        QVERIFY(g.host.ui.forwardEnabled);
        QCOMPARE(g.guest.ui.ipState,
                 QStringLiteral("Die Anmeldung bei Hanna war erfolgreich. Hanna wird das Spiel starten."));
        QVERIFY(!g.guest.ui.forwardEnabled);
        QCOMPARE(g.host.st.RecentNames[1], QStringLiteral("Gustav"));
        QCOMPARE(g.guest.st.RecentNames[1], QStringLiteral("Hanna"));
        QCOMPARE(g.host.net.link(), NetSession::Link::Lobby);

        QVERIFY(g.start());
        QCOMPARE(g.guest.ui.wizardClosed, 1);
        QCOMPARE(g.guest.st.CurrentPlayer, 1);
        QCOMPARE(g.guest.fx.status,
                 QStringLiteral(
                     "Gustav, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."));
        QVERIFY(g.guest.ui.boxes.isEmpty());
    }

    // The host listens on every address; the guest may give IPv6 or a name.
    void addressForms_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("IPv4") << QStringLiteral("127.0.0.1");
        QTest::newRow("IPv6") << QStringLiteral("::1");
        QTest::newRow("name") << QStringLiteral("localhost");
        QTest::newRow("blanks around") << QStringLiteral(" 127.0.0.1 ");
    }
    void addressForms()
    {
        QFETCH(QString, address);
        if (address == QStringLiteral("::1")) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHostIPv6, 0))
                QSKIP("no IPv6 loopback here");
        }
        NetSide host(0, QStringLiteral("Hanna"));
        host.net.setPort(0);
        host.net.OpenServer();
        NetSide guest(1, QStringLiteral("Gustav"));
        guest.net.setPort(host.net.listeningPort());
        guest.net.OpenClient(address);
        QVERIFY(QTest::qWaitFor([&] { return host.st.PlayerNames[1] == QStringLiteral("Gustav"); }, kWait));
        QVERIFY(QTest::qWaitFor([&] { return guest.st.PlayerNames[0] == QStringLiteral("Hanna"); }, kWait));
    }

    void namesTravelInTheCodePage()
    {
        Pair g;
        g.host.st.PlayerNames[0] = QStringLiteral("Jürgen €");
        g.guest.st.PlayerNames[1] = QStringLiteral("Zoë");
        QVERIFY(g.connect());
        QCOMPARE(g.guest.st.PlayerNames[0], QStringLiteral("Jürgen €"));
        QCOMPARE(g.host.st.PlayerNames[1], QStringLiteral("Zoë"));
    }

    // A whole game: the guest confirms its fleet first, the host draws itself
    // to begin; hit streaks with drags, misses passing the turn both ways, the
    // victory pause overtaken by the peer's shot, and the end closing both
    // sockets without a word.
    void wholeGameGuestPlacesFirst()
    {
        Pair g;
        QVERIFY(g.connect());
        QVERIFY(g.start());

        g.guest.placeFleet();
        QCOMPARE(g.guest.st.GamePhase, gpPlaced1);
        g.guest.confirmFleet();
        QCOMPARE(g.guest.fx.status, QStringLiteral("Warten Sie, bis Hanna die Schiffe aufgestellt hat."));
        QVERIFY(QTest::qWaitFor([&] { return g.host.st.PlacementDone == pdRemote; }, kWait));
        QCOMPARE(g.host.st.PlayField[1], g.guest.st.PlayField[1]);
        QCOMPARE(g.host.st.GamePhase, gpPlacing1); // still placing

        g.host.placeFleet();
        g.host.confirmFleet(0);
        QCOMPARE(g.host.st.GamePhase, gpFiring);
        QVERIFY(g.host.fx.status.startsWith(QStringLiteral("Sie sind an der Reihe."))); // firing at once
        QVERIFY(g.agree());
        QCOMPARE(g.guest.st.NetStartPlayer, 0);
        QCOMPARE(g.guest.st.PlacementDone, pdLocal | pdRemote);
        QVERIFY(g.guest.fx.status.startsWith(QStringLiteral("Hanna ist an der Reihe. Es fehlen: ")));

        // A streak: a click on a ship, then a drag along the row of the
        // guest's fleet until the pointer leaves the ships and misses.
        const CellPos first = g.host.target(true);
        g.host.click(first.x, first.y);
        int x = first.x + 1;
        while (x < 10 && g.host.st.CurrentPlayer == 0)
            g.host.drag(x++, first.y);
        if (g.host.st.CurrentPlayer == 0) { // the row held only ships: miss elsewhere
            const CellPos miss = g.host.target(false);
            g.host.click(miss.x, miss.y);
        }
        QCOMPARE(g.host.st.CurrentPlayer, 1);
        QVERIFY(g.agree());
        QVERIFY(g.host.st.Tries[0] >= 2);

        // Clicks out of turn do nothing and send nothing.
        const int sends = g.host.fx.only(QStringLiteral("send")).size();
        g.host.click(9, 9);
        QCOMPARE(g.host.fx.only(QStringLiteral("send")).size(), sends);

        // The guest misses, the turn comes back; then the host clears the
        // guest's fleet, missing now and then, the guest always missing.
        const CellPos gm = g.guest.target(false);
        g.guest.click(gm.x, gm.y);
        QCOMPARE(g.guest.st.CurrentPlayer, 0);
        QVERIFY(g.agree());
        int round = 0;
        while (g.host.st.Winner == -1) {
            NetSide &s = g.shooter();
            const bool hit = &s == &g.host && (round++ % 5 != 4);
            const CellPos c = s.target(hit);
            QVERIFY(c != NoCell);
            s.click(c.x, c.y);
            QVERIFY(g.agree());
        }
        QCOMPARE(g.host.st.Winner, 0);
        QVERIFY(g.host.game.DXTimer.Enabled() && g.guest.game.DXTimer.Enabled()); // both pause
        QVERIFY(g.guest.fx.log.contains(QStringLiteral("banner found-all")));

        // The guest's pause ends first; its shot overtakes the host's pause.
        g.guest.endPause();
        QCOMPARE(g.guest.st.CurrentPlayer, 1);
        const CellPos overtaking = g.guest.target(true);
        g.guest.click(overtaking.x, overtaking.y);
        QVERIFY(g.agree());
        QVERIFY(!g.host.game.DXTimer.Enabled());
        QVERIFY(g.host.st.ControlField[1].at(overtaking.x, overtaking.y) >= cfHit);

        // The guest fires alone to the end, misses keep its turn.
        bool missed = false;
        while (g.guest.st.GamePhase == gpFiring) {
            const bool hit = missed;
            missed = !missed;
            CellPos c = g.guest.target(hit);
            if (c == NoCell)
                c = g.guest.target(!hit);
            g.guest.click(c.x, c.y);
            QCOMPARE(g.guest.st.CurrentPlayer, 1);
        }
        QCOMPARE(g.guest.st.GamePhase, gpFinished);
        QVERIFY(QTest::qWaitFor([&] { return g.host.st.GamePhase == gpFinished; }, kWait));
        QVERIFY(g.agree());
        QCOMPARE(g.host.st.Winner, 1);
        for (NetSide *s : {&g.host, &g.guest}) {
            QCOMPARE(s->fx.only(QStringLiteral("close")).size(), 1);
            QCOMPARE(s->net.link(), NetSession::Link::Idle);
            QVERIFY(s->fx.log.contains(QStringLiteral("banner game-end")));
        }
        QTest::qWait(100); // the closing reaches the other side: nothing shown
        QVERIFY(g.host.ui.boxes.isEmpty());
        QVERIFY(g.guest.ui.boxes.isEmpty());
        QCOMPARE(g.host.st.GamePhase, gpFinished);
        QCOMPARE(g.guest.st.GamePhase, gpFinished);
    }

    // The host confirms first and draws the guest to begin; the guest gets
    // the host's fleet while still placing. Then a player leaves during firing.
    void hostPlacesFirstThenGuestLeavesWhileFiring()
    {
        Pair g;
        QVERIFY(g.connect());
        QVERIFY(g.start());
        g.host.placeFleet();
        g.host.confirmFleet(1);
        QCOMPARE(g.host.fx.status, QStringLiteral("Warten Sie, bis Gustav die Schiffe aufgestellt hat."));
        QCOMPARE(g.host.st.PlacementDone, pdLocal);
        QVERIFY(QTest::qWaitFor([&] { return g.guest.st.PlacementDone == pdRemote; }, kWait));
        QCOMPARE(g.guest.st.NetStartPlayer, 1);
        QCOMPARE(g.guest.st.GamePhase, gpPlacing1);

        g.guest.placeFleet();
        g.guest.confirmFleet();
        QCOMPARE(g.guest.st.GamePhase, gpFiring);
        QCOMPARE(g.guest.st.CurrentPlayer, 1);
        QVERIFY(g.agree());
        QCOMPARE(g.host.st.CurrentPlayer, 1);
        QVERIFY(g.host.fx.status.startsWith(QStringLiteral("Gustav ist an der Reihe.")));

        // Each miss hands the turn over on both sides.
        for (int i = 0; i < 4; ++i) {
            NetSide &s = g.shooter();
            const int before = s.st.CurrentPlayer;
            const CellPos c = s.target(false);
            s.click(c.x, c.y);
            QVERIFY(g.agree());
            QCOMPARE(g.host.st.CurrentPlayer, before ^ 1);
        }

        // The guest's program goes away.
        g.guest.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return !g.host.ui.boxes.isEmpty(); }, kWait));
        QCOMPARE(g.host.ui.boxes,
                 QStringList{QStringLiteral("Verbindung getrennt|Die Verbindung zu Gustav wurde getrennt.")});
        QCOMPARE(g.host.st.GamePhase, gpNoGame);
        QVERIFY(g.host.game.DXTimer_Info.Enabled());
        QVERIFY(!g.host.game.DXTimer.Enabled());
        QCOMPARE(g.host.fx.status, Texts::InfoText(0));
        QCOMPARE(g.host.net.link(), NetSession::Link::Idle);
    }

    void hostLeavesDuringPlacement()
    {
        Pair g;
        QVERIFY(g.connect());
        QVERIFY(g.start());
        // The box is modal in the program: the title comes only after it.
        int phaseDuringBox = -1;
        g.guest.ui.duringBox = [&] { phaseDuringBox = g.guest.st.GamePhase; };
        g.host.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return !g.guest.ui.boxes.isEmpty(); }, kWait));
        QCOMPARE(g.guest.ui.boxes.first(),
                 QStringLiteral("Verbindung getrennt|Die Verbindung zu Hanna wurde getrennt."));
        QCOMPARE(phaseDuringBox, int(gpPlacing1));
        QCOMPARE(g.guest.st.GamePhase, gpNoGame);
        QVERIFY(g.guest.game.DXTimer_Info.Enabled());
        QVERIFY(g.guest.fx.log.contains(QStringLiteral("draw present")));
    }

    // One side leaves a running game with "Neu", which keeps the connection:
    // what the other side still sends is ignored there, and its leaving later
    // shows nothing.
    void abandonedGameIgnoresThePeer()
    {
        Pair g;
        QVERIFY(g.connect());
        QVERIFY(g.start());
        g.guest.placeFleet();
        g.guest.confirmFleet();
        g.host.placeFleet();
        g.host.confirmFleet(1);
        QVERIFY(g.agree());
        g.host.game.AbandonGame(); // "Neu" keeps the connection
        QCOMPARE(g.host.net.link(), NetSession::Link::Playing);
        const CellPos c = g.guest.target(true);
        g.guest.click(c.x, c.y);
        QTest::qWait(50);
        QCOMPARE(g.host.st.Tries[1], 0);
        g.guest.net.CloseConnection();
        QTest::qWait(50);
        QVERIFY(g.host.ui.boxes.isEmpty());
        QCOMPARE(g.host.net.link(), NetSession::Link::Idle);
    }

    // The guest cancels its wizard after the names went through and answers
    // "Ja": the host's page names the guest and becomes editable; a new
    // "Weiter" listens again and a guest can join.
    void guestCancelsItsWizard()
    {
        Pair g;
        QVERIFY(g.connect());
        g.guest.st.PlayerNames = {};
        g.guest.net.CloseConnection();
        QVERIFY(QTest::qWaitFor([&] { return g.host.net.link() == NetSession::Link::Idle; }, kWait));
        QCOMPARE(g.host.ui.ipState, QStringLiteral("Die Verbindung zu Gustav wurde getrennt."));
        QVERIFY(g.host.ui.ipCtrlsEnabled);
        QVERIFY(g.host.st.PlayerNames[0].isEmpty() && g.host.st.PlayerNames[1].isEmpty());
        QVERIFY(g.host.ui.boxes.isEmpty());

        g.host.st.PlayerNames[0] = QStringLiteral("Hanna");
        g.guest.st.PlayerNames[1] = QStringLiteral("Gustav");
        QVERIFY(g.connect());
        QCOMPARE(g.host.ui.ipState, entry(3, QStringLiteral("Gustav")));
    }

    void guestGoneBeforeItsName()
    {
        NetSide host(0, QStringLiteral("Hanna"));
        host.net.setPort(0);
        host.net.OpenServer();
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, host.net.listeningPort());
        QVERIFY(QTest::qWaitFor([&] { return host.net.link() == NetSession::Link::Lobby; }, kWait));
        silent.abort();
        QVERIFY(QTest::qWaitFor([&] { return host.net.link() == NetSession::Link::Idle; }, kWait));
        QCOMPARE(host.ui.ipState, Texts::WizardText(6));
        QVERIFY(host.ui.ipCtrlsEnabled);
    }

    // While a guest is connected nobody else gets in.
    void oneGuestOnly()
    {
        Pair g;
        QVERIFY(g.connect());
        QTcpSocket intruder;
        QByteArray got;
        QObject::connect(&intruder, &QTcpSocket::readyRead, [&] { got += intruder.readAll(); });
        intruder.connectToHost(QHostAddress::LocalHost, g.guest.net.port());
        QVERIFY(
            QTest::qWaitFor([&] { return intruder.state() == QAbstractSocket::UnconnectedState; }, kWait));
        QTest::qWait(50);
        QVERIFY(got.isEmpty()); // the host's name went to the one guest only
        QCOMPARE(g.host.net.link(), NetSession::Link::Lobby);
        QCOMPARE(g.host.st.PlayerNames[1], QStringLiteral("Gustav"));
        QVERIFY(g.start());
    }

    void portInUse()
    {
        NetSide first(0, QStringLiteral("Hanna"));
        first.net.setPort(0);
        first.net.OpenServer();
        NetSide second(0, QStringLiteral("Hugo"));
        second.net.setPort(first.net.listeningPort());
        second.ui.SetIPState(entry(2));
        second.ui.ipCtrlsEnabled = false;
        second.net.OpenServer();
        QCOMPARE(second.net.link(), NetSession::Link::Idle);
        QCOMPARE(
            second.ui.ipState,
            FormatText(QStringLiteral("Port %d kann nicht geöffnet werden. Vielleicht wird er bereits von "
                                      "einem anderen Programm verwendet."),
                       {first.net.listeningPort()}));
        QVERIFY(second.ui.ipCtrlsEnabled);
    }

    void nothingListens()
    {
        NetSide guest(1, QStringLiteral("Gustav"));
        guest.net.setPort(freePort());
        guest.net.OpenClient(QStringLiteral("127.0.0.1"));
        QCOMPARE(guest.net.link(), NetSession::Link::Connecting);
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() == NetSession::Link::Idle; }, kWait));
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QVERIFY(guest.ui.ipCtrlsEnabled);
        QVERIFY(guest.st.PlayerNames[1].isEmpty());
    }

    void connectAttemptGivesUp()
    {
        // A host whose queue of waiting connections is full lets a new
        // attempt hang; the guest gives up after its time.
        QTcpServer jammed;
        jammed.setListenBacklogSize(0);
        QVERIFY(jammed.listen(QHostAddress::LocalHost, 0));
        jammed.pauseAccepting();
        std::vector<std::unique_ptr<QTcpSocket>> fillers;
        for (int i = 0; i < 3; ++i) {
            fillers.push_back(std::make_unique<QTcpSocket>());
            fillers.back()->connectToHost(QHostAddress::LocalHost, jammed.serverPort());
        }
        QTest::qWait(100);

        NetSide guest(1, QStringLiteral("Gustav"));
        guest.net.setPort(jammed.serverPort());
        guest.net.setConnectTimeout(300);
        QElapsedTimer clock;
        clock.start();
        guest.net.OpenClient(QStringLiteral("127.0.0.1"));
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() != NetSession::Link::Connecting; }, kWait));
        if (guest.net.link() == NetSession::Link::Lobby)
            QSKIP("this system accepted beyond the listen queue");
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QVERIFY(clock.elapsed() >= 250); // a coarse timer may fire 5 % early
    }

    void addressNotAvailableIsRetriedOnce()
    {
        // The host comes up only after the first attempt failed: only the
        // retry can reach it.
        const quint16 port = freePort();
        NetSide guest(1, QStringLiteral("Gustav"));
        guest.net.setPort(port);
        QElapsedTimer clock;
        clock.start();
        guest.net.OpenClient(QStringLiteral("127.0.0.1"));
        guest.net.SocketError(QAbstractSocket::SocketAddressNotAvailableError);
        QVERIFY(!guest.net.ConnectRetryArmed);
        QCOMPARE(guest.net.link(), NetSession::Link::Connecting);
        NetSide host(0, QStringLiteral("Hanna"));
        host.net.setPort(port);
        host.net.OpenServer();
        QCOMPARE(host.net.link(), NetSession::Link::Listening);
        QVERIFY(QTest::qWaitFor([&] { return guest.net.link() == NetSession::Link::Lobby; }, kWait));
        QVERIFY(clock.elapsed() >= NetSession::RetryDelayMs - 10);
        QVERIFY(guest.ui.ipState.isEmpty()); // no failure was shown
        QVERIFY(QTest::qWaitFor([&] { return host.st.PlayerNames[1] == QStringLiteral("Gustav"); }, kWait));
    }

    void addressNotAvailableTwiceFails()
    {
        NetSide guest(1, QStringLiteral("Gustav"));
        guest.net.setPort(freePort());
        guest.net.OpenClient(QStringLiteral("127.0.0.1"));
        guest.net.SocketError(QAbstractSocket::SocketAddressNotAvailableError);
        guest.net.SocketError(QAbstractSocket::SocketAddressNotAvailableError);
        QCOMPARE(guest.net.link(), NetSession::Link::Idle);
        QCOMPARE(guest.ui.ipState, Texts::WizardText(6));
        QTest::qWait(NetSession::RetryDelayMs + 100); // no retry comes after all
        QCOMPARE(guest.net.link(), NetSession::Link::Idle);
    }

    // Closing while only listening or connecting leaves nothing behind.
    void closingWhileWaiting()
    {
        NetSide host(0, QStringLiteral("Hanna"));
        host.net.setPort(0);
        host.net.OpenServer();
        const quint16 port = host.net.listeningPort();
        host.net.CloseConnection();
        QCOMPARE(host.net.link(), NetSession::Link::Idle);
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!probe.waitForConnected(1000));
        QVERIFY(host.ui.log.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_netgame)
#include "tst_netgame.moc"
