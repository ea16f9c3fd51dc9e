#include "NetTestSupport.h"

#include <QtTest>

#include <memory>

// A peer that breaks the rules, in every phase: wrong lengths, non-digits,
// illegal fleets, shots out of turn or at cells already shot, floods. This
// side must end the game as if the peer had left, with a German message,
// and never crash, hang, or keep a board that the peer's side would not have.

namespace {

enum Setup {
    HostLobby,        // host, connection up, waiting for the guest's name
    GuestLobby,       // guest, waiting for the host's name and start
    HostPlacing,      // host placing, guest's name "Gustav"
    GuestPlacing,     // guest placing, host's name "Hanna"
    GuestPlacedSent,  // guest has sent its fleet, host's not here yet
    HostFiringPeer,   // host, fleets exchanged, the guest's turn
    HostFiringOwn,    // host, fleets exchanged, the host's turn
    GuestFiringPeer,  // guest, the host's turn
    HostFinished,     // host, the game is over
    HostPeerFinished, // host, the guest has found every ship, its pause runs
};

const Grid &fleet()
{
    static const Grid g = GridFromRows(LegalFleetRows());
    return g;
}

// The host's legal fleet with its start player.
QByteArray hostFleet(char start)
{
    return FleetBytes(fleet()) + start;
}

QByteArray allShipCells(const Grid &g)
{
    QByteArray out;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (g.at(x, y) >= pfShip)
                out += QByteArray::number(x) + QByteArray::number(y);
    return out;
}

std::unique_ptr<NetSide> make(Setup setup)
{
    const bool host = setup == HostLobby || setup == HostPlacing || setup == HostFiringPeer ||
                      setup == HostFiringOwn || setup == HostFinished || setup == HostPeerFinished;
    auto s = host ? std::make_unique<NetSide>(0, QStringLiteral("Hanna"))
                  : std::make_unique<NetSide>(1, QStringLiteral("Gustav"));
    s->net.sendHook = [](const QByteArray &) {};
    s->net.OpenWithoutSocket();
    if (setup == HostLobby || setup == GuestLobby)
        return s;
    if (host) {
        s->net.SocketRead("Gustav");
        s->hostStarts();
    } else {
        s->net.SocketRead("Hanna%GO%");
    }
    if (setup == HostPlacing || setup == GuestPlacing)
        return s;
    s->placeFleet(fleet());
    if (setup == GuestPlacedSent) {
        s->confirmFleet();
        return s;
    }
    if (setup == GuestFiringPeer) {
        s->confirmFleet();
        s->net.SocketRead(hostFleet('0'));
        return s;
    }
    s->confirmFleet(setup == HostFiringOwn ? 0 : 1);
    s->net.SocketRead(FleetBytes(fleet()));
    if (setup == HostFinished) {
        // The guest sinks everything, the host's pause ends, the host does the same.
        s->net.SocketRead(allShipCells(fleet()));
        s->endPause();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if (fleet().at(x, y) >= pfShip)
                    s->click(x, y);
    } else if (setup == HostPeerFinished) {
        s->net.SocketRead(allShipCells(fleet()));
    }
    return s;
}

} // namespace

class tst_nethostile : public QObject {
    Q_OBJECT

private slots:
    void setupsAreWhatTheySay()
    {
        QCOMPARE(make(HostPlacing)->st.GamePhase, gpPlacing1);
        QCOMPARE(make(GuestPlacing)->st.GamePhase, gpPlacing1);
        QCOMPARE(make(GuestPlacedSent)->st.PlacementDone, pdLocal);
        auto hf = make(HostFiringPeer);
        QCOMPARE(hf->st.GamePhase, gpFiring);
        QCOMPARE(hf->st.CurrentPlayer, 1);
        QCOMPARE(make(HostFiringOwn)->st.CurrentPlayer, 0);
        auto gf = make(GuestFiringPeer);
        QCOMPARE(gf->st.GamePhase, gpFiring);
        QCOMPARE(gf->st.CurrentPlayer, 0);
        QCOMPARE(make(HostFinished)->st.GamePhase, gpFinished);
        auto pf = make(HostPeerFinished);
        QCOMPARE(pf->st.Winner, 1);
        QVERIFY(pf->game.DXTimer.Enabled());
        for (Setup s : {HostPlacing, GuestPlacing, HostFiringPeer, HostFinished, HostPeerFinished})
            QVERIFY(make(s)->ui.boxes.isEmpty());
    }

    void violations_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QList<QByteArray>>("reads");
        using L = QList<QByteArray>;
        const QByteArray guestFleet = FleetBytes(fleet());

        QTest::newRow("host: name of 11") << int(HostLobby) << L{"ABCDEFGHIJK"};
        QTest::newRow("host: name grows to 11") << int(HostLobby) << L{"ABCDEFGHIJ", "K"};
        QTest::newRow("host: control character") << int(HostLobby) << L{"Gus\x01"};
        QTest::newRow("host: line break") << int(HostLobby) << L{"Gus\r\n"};
        QTest::newRow("host: unassigned byte") << int(HostLobby) << L{"\x81"};
        QTest::newRow("host: zero byte") << int(HostLobby) << L{QByteArray(1, '\0')};
        QTest::newRow("host: flood") << int(HostLobby) << L{QByteArray(1 << 20, 'A')};
        QTest::newRow("guest: name of 11") << int(GuestLobby) << L{"ABCDEFGHIJK"};
        QTest::newRow("guest: 12 and start") << int(GuestLobby) << L{"ABCDEFGHIJKL%GO%"};
        QTest::newRow("guest: start begun too late") << int(GuestLobby) << L{"ABCDEFGHIJ", "x%G"};
        QTest::newRow("guest: control character") << int(GuestLobby) << L{"Ha\x7f"};
        QTest::newRow("guest: flood") << int(GuestLobby) << L{QByteArray(1 << 20, 'B')};
        QTest::newRow("guest: junk after start") << int(GuestLobby) << L{"Hanna%GO%", "hello"};

        QTest::newRow("fleet: letter") << int(HostPlacing) << L{guestFleet.first(99) + 'x'};
        QTest::newRow("fleet: letter early, rest pending") << int(HostPlacing) << L{"0x"};
        QTest::newRow("fleet: digit 1") << int(HostPlacing) << L{"1" + guestFleet.sliced(1)};
        QTest::newRow("fleet: digit 3") << int(HostPlacing) << L{guestFleet.first(99) + '3'};
        QTest::newRow("fleet: start word") << int(HostPlacing) << L{"%GO%"};
        QTest::newRow("fleet: empty sea") << int(HostPlacing) << L{QByteArray(100, '0')};
        QTest::newRow("fleet: all ships") << int(HostPlacing) << L{QByteArray(100, '2')};
        QByteArray bent = guestFleet;
        bent[3 * 10 + 6] = '2'; // below the end of the 4er: an L
        bent[2 * 10 + 7] = '0';
        QTest::newRow("fleet: bent ship") << int(HostPlacing) << L{bent};
        QByteArray touching = guestFleet;
        touching[0 * 10 + 2] = '2'; // the 2er and the 1er at x=3 joined
        touching[0 * 10 + 9] = '0';
        QTest::newRow("fleet: ships joined") << int(HostPlacing) << L{touching};
        QTest::newRow("fleet: twice") << int(HostPlacing) << L{guestFleet + guestFleet};
        QTest::newRow("fleet: a shot behind it") << int(HostPlacing) << L{guestFleet, "00"};
        QTest::newRow("fleet: host's start player 2") << int(GuestPlacing) << L{hostFleet('2')};
        QTest::newRow("fleet: host's start player missing, shot behind")
            << int(GuestPlacing) << L{guestFleet + "55"};
        QTest::newRow("fleet: then a shot out of turn") << int(GuestPlacedSent) << L{hostFleet('1') + "00"};

        QTest::newRow("shot: letter") << int(HostFiringPeer) << L{"3x"};
        QTest::newRow("shot: letter first") << int(HostFiringPeer) << L{"x"};
        QTest::newRow("shot: colon") << int(HostFiringPeer) << L{":0"};
        QTest::newRow("shot: minus") << int(HostFiringPeer) << L{"-1"};
        QTest::newRow("shot: blank") << int(HostFiringPeer) << L{" 5"};
        QTest::newRow("shot: same cell twice") << int(HostFiringPeer) << L{"00", "00"};
        QTest::newRow("shot: after its miss") << int(HostFiringPeer) << L{"9596"};
        QTest::newRow("shot: out of turn") << int(HostFiringOwn) << L{"12"};
        QTest::newRow("shot: flood") << int(HostFiringPeer) << L{QByteArray(1 << 20, '0')};
        QTest::newRow("shot: guest side, repeated") << int(GuestFiringPeer) << L{"10", "10"};
        QTest::newRow("shot: finisher fires again") << int(HostPeerFinished) << L{"99"};
    }
    void violations()
    {
        QFETCH(int, setup);
        QFETCH(QList<QByteArray>, reads);
        auto s = make(Setup(setup));
        const bool placingOrFiring = s->st.GamePhase != gpNoGame;
        const Grid ownFleetBefore = s->st.PlayField[s->st.LocalPlayer];
        for (const QByteArray &r : reads)
            s->net.SocketRead(r);

        QCOMPARE(s->ui.boxes.size(), 1);
        const QString box = s->ui.boxes.first();
        QVERIFY2(box.startsWith(QStringLiteral("Verbindung getrennt|")), qPrintable(box));
        QVERIFY2(box.contains(QStringLiteral("hat ungültige Daten gesendet. Die Verbindung wurde getrennt.")),
                 qPrintable(box));
        QCOMPARE(s->net.link(), NetSession::Link::Idle);
        QCOMPARE(s->st.GamePhase, gpNoGame);
        if (placingOrFiring || s->ui.wizardClosed > 0) {
            QVERIFY(box.contains(s->st.PlayerNames[s->peer()]));
            QVERIFY(s->game.DXTimer_Info.Enabled());
            QVERIFY(!s->game.DXTimer.Enabled());
            QCOMPARE(s->fx.status, Texts::InfoText(0));
        } else {
            QVERIFY(s->ui.ipCtrlsEnabled);
            QVERIFY(s->st.PlayerNames[0].isEmpty() && s->st.PlayerNames[1].isEmpty());
        }
        // No shot of the peer ever touched this side's own fleet beyond the
        // cells it legally shot before the violation.
        const Grid &own = s->st.PlayField[s->st.LocalPlayer];
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                QVERIFY((own.at(x, y) >= pfShip) == (ownFleetBefore.at(x, y) >= pfShip));

        // Whatever still comes in changes nothing.
        const QString after = Agreement(s->st);
        s->net.SocketRead("0022");
        QCOMPARE(Agreement(s->st), after);
        QCOMPARE(s->ui.boxes.size(), 1);
    }

    // What a peer may send, however cut, is taken.
    void acceptedPieces()
    {
        auto host = make(HostLobby);
        host->net.SocketRead("Gus");
        QCOMPARE(host->st.PlayerNames[1], QStringLiteral("Gus"));
        host->net.SocketRead("tav");
        QCOMPARE(host->st.PlayerNames[1], QStringLiteral("Gustav"));
        QCOMPARE(host->ui.ipState, FormatText(Texts::WizardText(3), {QStringLiteral("Gustav")}));

        auto guest = make(GuestLobby);
        guest->net.SocketRead("%GO%"); // a host named "%GO%" does not start the game
        QCOMPARE(guest->st.GamePhase, gpNoGame);
        QCOMPARE(guest->st.PlayerNames[0], QStringLiteral("%GO%"));
        guest->net.SocketRead("%G");
        guest->net.SocketRead("O%");
        QCOMPARE(guest->st.GamePhase, gpPlacing1);
        QCOMPARE(guest->st.PlayerNames[0], QStringLiteral("%GO%"));

        auto full = make(GuestLobby);
        full->net.SocketRead("ABCDEFGHIJ%G"); // ten, and the start word begun
        QVERIFY(full->ui.boxes.isEmpty());
        full->net.SocketRead("O%" + hostFleet('1').first(60));
        QCOMPARE(full->st.GamePhase, gpPlacing1);
        full->net.SocketRead(hostFleet('1').sliced(60));
        QCOMPARE(full->st.PlacementDone, pdRemote);
        QCOMPARE(full->st.NetStartPlayer, 1);
        QCOMPARE(full->st.PlayField[0], fleet());
        QVERIFY(full->ui.boxes.isEmpty());

        auto latin = make(HostLobby);
        latin->net.SocketRead("J\xfcrgen \x80");
        QCOMPARE(latin->st.PlayerNames[1], QStringLiteral("Jürgen €"));
    }

    // Shots in one read are all carried out, the column first.
    void shotsTogether()
    {
        auto s = make(HostFiringPeer);
        s->net.SocketRead("000"); // a hit at (0, 0) and half of the next shot
        QCOMPARE(s->st.ControlField[1].at(0, 0), cfHit);
        s->net.SocketRead("9"); // (0, 9): water, the turn passes
        QCOMPARE(s->st.ControlField[1].at(0, 9), cfWater);
        QCOMPARE(s->st.CurrentPlayer, 0);
        QCOMPARE(s->st.Tries[1], 2);
        QVERIFY(s->ui.boxes.isEmpty());
    }

    void finishedIgnoresEverything()
    {
        auto s = make(HostFinished);
        const QString before = Agreement(s->st);
        s->net.SocketRead("0011xx%GO%");
        QCOMPARE(Agreement(s->st), before);
        QVERIFY(s->ui.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_nethostile)
#include "tst_nethostile.moc"
