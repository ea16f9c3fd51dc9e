#include "NetTestSupport.h"
#include "opponents/Cp1252.h"
#include "opponents/NetMessages.h"

#include <QStringDecoder>
#include <QtTest>

// The wire format's pieces: the code page of names, the checks of a fleet, a
// shot and a name.
class tst_netmessages : public QObject {
    Q_OBJECT

    static Grid rows(const QStringList &r) { return GridFromRows(r); }

private slots:
    void cp1252MatchesTheCodePage()
    {
        // Every assigned byte decodes as the system's converter has it and
        // encodes back to itself; the five unassigned bytes are refused.
        QStringDecoder reference("windows-1252");
        const QList<int> unassigned{0x81, 0x8D, 0x8F, 0x90, 0x9D};
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, static_cast<char>(b));
            const auto text = Cp1252::decode(byte);
            if (unassigned.contains(b)) {
                QVERIFY2(!text, qPrintable(QString::number(b, 16)));
                continue;
            }
            QVERIFY(text && text->size() == 1);
            if (reference.isValid())
                QCOMPARE(*text, reference.decode(byte));
            QCOMPARE(Cp1252::encode(*text), byte);
        }
        QCOMPARE(Cp1252::decode("\x80\xe4\x9f").value(), QStringLiteral("€äŸ"));
        QCOMPARE(Cp1252::encode(QStringLiteral("Jürgen€")), QByteArray("J\xfcrgen\x80"));
        // A character without a byte in the code page is sent as '?'.
        QCOMPARE(Cp1252::encode(QStringLiteral("Łukasz")), QByteArray("?ukasz"));
        QVERIFY(!Cp1252::canEncode(QChar(0x0141)));
        QVERIFY(Cp1252::canEncode(QChar(0x2122)));
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << QStringLiteral("Hanna") << true;
        QTest::newRow("ten") << QStringLiteral("ABCDEFGHIJ") << true;
        QTest::newRow("eleven") << QStringLiteral("ABCDEFGHIJK") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("umlauts and euro") << QStringLiteral("Jürgen €") << true;
        QTest::newRow("start word") << QStringLiteral("%GO%") << true;
        QTest::newRow("control") << QStringLiteral("a\x01") << false;
        QTest::newRow("line break") << QStringLiteral("a\r\nb") << false;
        QTest::newRow("not in code page") << QStringLiteral("Łukasz") << false;
        QTest::newRow("soft hyphen") << QStringLiteral("a\u00ADb") << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(NetMessages::IsValidName(name), valid);
    }

    void fleets_data()
    {
        QTest::addColumn<QStringList>("grid");
        QTest::addColumn<bool>("legal");
        const QStringList legal = LegalFleetRows();
        QTest::newRow("legal") << legal << true;

        QStringList touching = legal; // the 1er at x=3 moved next to the 2er
        touching[0] = QStringLiteral("###..#.#.#");
        QTest::newRow("a 3er made of 2er and 1er") << touching << false;

        QStringList bent = legal; // the 4er bent into an L of four cells
        bent[2] = QStringLiteral("###.###...");
        bent[3] = QStringLiteral("......#...");
        QTest::newRow("bent") << bent << false;

        QStringList bentDown = legal; // the vertical 3er at x=0 bent at its foot
        bentDown[6] = QStringLiteral("##........");
        bentDown[4] = QStringLiteral("#...#.....");
        bentDown[5] = QStringLiteral("#...#.....");
        QTest::newRow("bent at the foot") << bentDown << false;

        QStringList diagonal = legal; // corners may touch
        diagonal[0] = QStringLiteral("##...#.#.#");
        diagonal[1] = QStringLiteral("...#......");
        QTest::newRow("corner contact") << diagonal << true;

        QStringList five = legal; // the 4er grown to 5
        five[2] = QStringLiteral("###.#####.");
        QTest::newRow("ship of five") << five << false;

        QStringList extra = legal;
        extra[8] = QStringLiteral("........#.");
        QTest::newRow("one 1er too many") << extra << false;

        QStringList missing = legal;
        missing[0] = QStringLiteral("##.#.#.#..");
        QTest::newRow("one 1er missing") << missing << false;

        QStringList swapped = legal; // a 1er and a 2er traded for... three 1ers
        swapped[4] = QStringLiteral("#.#.......");
        swapped[5] = QStringLiteral("#.....#.#.");
        QTest::newRow("right cell count, wrong ships") << swapped << false;

        QTest::newRow("empty") << QStringList{} << false;
        QStringList plus{QStringLiteral(".#"), QStringLiteral("###"), QStringLiteral(".#")};
        QTest::newRow("plus") << plus << false;
    }
    void fleets()
    {
        QFETCH(QStringList, grid);
        QFETCH(bool, legal);
        QCOMPARE(NetMessages::IsLegalFleet(rows(grid)), legal);
        // The same through the wire form, from either side.
        QByteArray bytes = FleetBytes(rows(grid));
        QCOMPARE(NetMessages::ParseFleet(bytes, false).has_value(), legal);
        QCOMPARE(NetMessages::ParseFleet(bytes + '1', true).has_value(), legal);
    }

    void randomFleetsAreLegal()
    {
        ClockSeededRandom rng(7);
        for (int i = 0; i < 300; ++i) {
            Grid g;
            Game::PlaceShipsRandomly(g, rng);
            QVERIFY(NetMessages::IsLegalFleet(g));
            const auto parsed = NetMessages::ParseFleet(FleetBytes(g), false);
            QVERIFY(parsed && *parsed == g);
        }
    }

    void fleetBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("fromHost");
        QTest::addColumn<bool>("prefix");
        QTest::addColumn<bool>("complete");
        const QByteArray fleet = FleetBytes(GridFromRows(LegalFleetRows()));
        QTest::newRow("guest's") << fleet << false << true << true;
        QTest::newRow("host's, host starts") << fleet + '0' << true << true << true;
        QTest::newRow("host's, guest starts") << fleet + '1' << true << true << true;
        QTest::newRow("host's without start player") << fleet << true << true << false;
        QTest::newRow("start player 2") << fleet + '2' << true << false << false;
        QTest::newRow("guest's with a 101st") << fleet + '0' << false << false << false;
        QTest::newRow("half") << fleet.first(50) << false << true << false;
        QByteArray digit1 = fleet;
        digit1[2] = '1';
        QTest::newRow("a 1 among the cells") << digit1 << false << false << false;
        QByteArray letter = fleet;
        letter[99] = 'x';
        QTest::newRow("a letter") << letter << false << false << false;
        QByteArray space = fleet;
        space[0] = ' ';
        QTest::newRow("a blank") << space << false << false << false;
    }
    void fleetBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, fromHost);
        QFETCH(bool, prefix);
        QFETCH(bool, complete);
        QCOMPARE(NetMessages::IsFleetPrefix(bytes, fromHost), prefix);
        QCOMPARE(NetMessages::ParseFleet(bytes, fromHost).has_value(), complete);
    }

    void shots()
    {
        QCOMPARE(NetMessages::ParseShot("37").value(), (CellPos{3, 7}));
        QCOMPARE(NetMessages::ParseShot("09").value(), (CellPos{0, 9}));
        QCOMPARE(NetMessages::ParseShot("90").value(), (CellPos{9, 0}));
        for (const char *bad : {"3", "377", "3x", "x3", "-1", " 3", "3 ", "a:"})
            QVERIFY2(!NetMessages::ParseShot(bad), bad);
    }
};

QTEST_GUILESS_MAIN(tst_netmessages)
#include "tst_netmessages.moc"
