#include "NetTestSupport.h"
#include "opponents/Cp1252.h"
#include "opponents/NetMessages.h"

#include <QStringDecoder>
#include <QtTest>

#include <memory>

// A peer that breaks the rules in any phase ends the game as if it had left,
// with a German message.

namespace {

enum Setup {
    GuestLobby,       // waiting for the host's name and the start word
    GuestPlacing,     // host's name "Hanna"
    GuestPlacedSent,  // the guest's fleet sent, the host's not here yet
    GuestFiringPeer,  // the host's turn
    HostLobby,        // waiting for the guest's name
    HostPlacing,      // guest's name "Gustav"
    HostFiringPeer,   // fleets exchanged, the guest's turn
    HostFiringOwn,    // the host's turn
    HostPeerFinished, // the guest has found every ship, its pause runs
};

QStringList legalRows()
{
    QStringList rows(10, u".........."_s);
    rows[0] = u"##.#.#.#.#"_s;           // 2er and four 1er
    rows[2] = u"###.####.."_s;           // 3er and 4er
    rows[4] = rows[5] = u"#.#.#....."_s; // 3er and two 2er standing
    rows[6] = u"#........."_s;
    return rows;
}
const Grid &fleet()
{
    static const Grid g = GridFromRows(legalRows());
    return g;
}
QByteArray digits(const Grid &grid)
{
    return Game::fleetDigits(grid).toLatin1();
}
// The legal fleet's digits with some rows changed.
QByteArray fleetWith(std::initializer_list<std::pair<int, const char *>> changes)
{
    QStringList rows = legalRows();
    for (auto [row, text] : changes)
        rows[row] = QString::fromLatin1(text);
    return digits(GridFromRows(rows));
}

std::unique_ptr<NetSide> make(Setup setup)
{
    const bool host = setup >= HostLobby;
    auto s = std::make_unique<NetSide>(host ? 0 : 1, host ? u"Hanna"_s : u"Gustav"_s);
    s->net.openOn(s->wire);
    if (setup == HostLobby || setup == GuestLobby)
        return s;
    s->net.receive(host ? "Gustav" : "Hanna%GO%");
    if (host)
        s->hostStarts();
    if (setup == HostPlacing || setup == GuestPlacing)
        return s;
    s->st.playField[s->st.localPlayer] = fleet();
    s->st.gamePhase = gpPlaced1; // the fleet just written is complete
    s->confirmFleet(setup == HostFiringOwn ? 0 : 1);
    if (setup == GuestFiringPeer)
        s->net.receive(digits(fleet()) + '0');
    if (!host)
        return s;
    s->net.receive(digits(fleet()));
    for (int k = 0; setup == HostPeerFinished && k < 100; ++k)
        if (fleet().at(k % 10, k / 10) >= pfShip)
            s->net.receive(QByteArray::number(k % 10) + QByteArray::number(k / 10));
    return s;
}

} // namespace

class tst_nethostile : public QObject {
    Q_OBJECT

private slots:
    void cp1252MatchesTheCodePage()
    {
        QStringDecoder reference("windows-1252");
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, static_cast<char>(b));
            const auto text = Cp1252::decode(byte);
            QCOMPARE(!text, QList<int>({0x81, 0x8D, 0x8F, 0x90, 0x9D}).contains(b)); // unassigned
            if (!text)
                continue;
            QCOMPARE(text->size(), 1);
            if (reference.isValid())
                QCOMPARE(*text, reference.decode(byte));
            QCOMPARE(Cp1252::encode(*text), byte);
        }
        QCOMPARE(Cp1252::decode("J\xfcrgen\x80\x9f").value(), u"Jürgen€Ÿ"_s);
        QCOMPARE(Cp1252::encode(u"Łukasz™"_s), QByteArray("?ukasz\x99"));
    }

    void violations_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QList<QByteArray>>("reads");
        using L = QList<QByteArray>;
        const QByteArray guestFleet = digits(fleet());
        QTest::newRow("host: name grows to 11") << int(HostLobby) << L{"ABCDEFGHIJ", "K"};
        QTest::newRow("host: named, then a control character") << int(HostLobby) << L{"Gus", "\x01"};
        QTest::newRow("guest: 12 and start") << int(GuestLobby) << L{"ABCDEFGHIJKL%GO%"};
        QTest::newRow("guest: start begun too late") << int(GuestLobby) << L{"ABCDEFGHIJ", "x%G"};
        QTest::newRow("guest: control character") << int(GuestLobby) << L{"Ha\x7f"};
        QTest::newRow("guest: junk after start") << int(GuestLobby) << L{"Hanna%GO%", "hello"};
        QTest::newRow("fleet: letter early") << int(HostPlacing) << L{"0x"};
        QTest::newRow("fleet: digit 1") << int(HostPlacing) << L{guestFleet.first(99) + '1'};
        QTest::newRow("fleet: empty sea") << int(HostPlacing) << L{QByteArray(100, '0')};
        QTest::newRow("fleet: edges touch") << int(HostPlacing) << L{fleetWith({{4, "#.##"}, {5, "#.##"}})};
        QTest::newRow("fleet: bent") << int(HostPlacing) << L{fleetWith({{2, "###.###..."}, {3, "......#"}})};
        QTest::newRow("fleet: bent at the foot")
            << int(HostPlacing) << L{fleetWith({{4, "#...#"}, {5, "#...#"}, {6, "##"}})};
        QTest::newRow("fleet: five long") << int(HostPlacing) << L{fleetWith({{2, "###.#####."}})};
        QTest::newRow("fleet: one ship too many") << int(HostPlacing) << L{fleetWith({{8, "........#."}})};
        QTest::newRow("fleet: right cells, wrong ships")
            << int(HostPlacing) << L{fleetWith({{4, "#.#......."}, {5, "#.....#.#."}})};
        QTest::newRow("fleet: twice") << int(HostPlacing) << L{guestFleet + guestFleet};
        QTest::newRow("fleet: host's start player 2") << int(GuestPlacing) << L{guestFleet + '2'};
        QTest::newRow("fleet: then a shot out of turn") << int(GuestPlacedSent) << L{guestFleet + "100"};
        QTest::newRow("shot: letter") << int(HostFiringPeer) << L{"3x"};
        QTest::newRow("shot: letter first") << int(HostFiringPeer) << L{"x"};
        QTest::newRow("shot: colon") << int(HostFiringPeer) << L{":0"};
        QTest::newRow("shot: minus") << int(HostFiringPeer) << L{"-1"};
        QTest::newRow("shot: same cell twice") << int(HostFiringPeer) << L{"00", "00"};
        QTest::newRow("shot: after its miss") << int(HostFiringPeer) << L{"9596"};
        QTest::newRow("shot: out of turn") << int(HostFiringOwn) << L{"12"};
        QTest::newRow("shot: guest side, repeated") << int(GuestFiringPeer) << L{"10", "10"};
        QTest::newRow("shot: finisher fires again") << int(HostPeerFinished) << L{"99"};
    }
    void violations()
    {
        QFETCH(int, setup);
        QFETCH(QList<QByteArray>, reads);
        auto s = make(Setup(setup));
        QVERIFY(s->ui.boxes.isEmpty()); // the way there was legal
        const bool gameRan = s->st.gamePhase != gpNoGame;
        for (const QByteArray &r : reads)
            s->net.receive(r);

        QCOMPARE(s->ui.boxes.size(), 1);
        const QString box = s->ui.boxes.first();
        QVERIFY2(box.startsWith(u"Verbindung getrennt|"_s) &&
                     box.endsWith(u" hat ungültige Daten gesendet. Die Verbindung wurde getrennt."_s),
                 qPrintable(box));
        QCOMPARE(s->net.link(), NetSession::Link::Idle);
        QCOMPARE(s->st.gamePhase, gpNoGame);
        if (gameRan || s->ui.wizardClosed > 0) {
            QVERIFY(box.contains(s->st.playerNames[s->peer()]));
            QVERIFY(GameTestAccess::animationTimer(s->game).isEnabled() && !s->game.changeOverRunning());
            QCOMPARE(s->fx.status, Texts::InfoText(0));
        } else {
            QVERIFY(s->ui.ipCtrlsEnabled && s->st.playerNames[0].isEmpty() && s->st.playerNames[1].isEmpty());
        }
        // Whatever still comes in changes nothing.
        const QString after = Agreement(s->st);
        s->net.receive("0022");
        QCOMPARE(Agreement(s->st), after);
        QCOMPARE(s->ui.boxes.size(), 1);
    }

    // The edges of what a peer may send.
    void accepted()
    {
        auto guest = make(GuestLobby);
        guest->net.receive("%GO%"); // a host named "%GO%" does not start the game
        QCOMPARE(guest->st.gamePhase, gpNoGame);
        guest->net.receive("%GO%");
        QCOMPARE(guest->st.playerNames[0], u"%GO%"_s);
        QCOMPARE(guest->st.gamePhase, gpPlacing1);

        auto full = make(GuestLobby);
        full->net.receive("ABCDEFGHIJ%G"); // ten, and the start word begun
        full->net.receive("O%");
        QCOMPARE(full->st.playerNames[0], u"ABCDEFGHIJ"_s);
        QVERIFY(guest->ui.boxes.isEmpty() && full->ui.boxes.isEmpty());

        auto host = make(HostPlacing); // ships may touch at their corners
        host->net.receive(fleetWith({{0, "##...#.#.#"}, {1, "...#......"}}));
        QVERIFY(host->ui.boxes.isEmpty() && (host->st.placementDone & pdRemote));
    }
};

QTEST_GUILESS_MAIN(tst_nethostile)
#include "tst_nethostile.moc"
