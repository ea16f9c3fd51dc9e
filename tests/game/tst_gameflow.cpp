#include "game/Texts.h"
#include "support/TestGame.h"

#include <QtTest>

#include <climits>
#include <functional>

// The flow of games: the three timers on one idle hook, the Enter key, the
// change-over countdown, "Neu", and whole games at one PC and on the network
// through the engine alone (against the computer: tests/computer).

namespace {

const QString kAllMissing = " Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er.";
const QString kOtherFleet = "||#.#.#.#.#.||##.##.##||###.###||####";

QString sendLine(CellPos c)
{
    return QStringLiteral("send %1%2 | ").arg(c.x).arg(c.y);
}

void click(Game &g, CellPos c, bool rightBoard = true)
{
    g.pressCell(rightBoard ? Board::Control : Board::Own, c, CellPress::Set);
}

QString firstFinisher(const QString &status)
{
    return "sound 101 | status " + status +
           " | draw | info | sound 301 | banner found-all | changeOverTimer on 2000 | present";
}
QString secondFinisher(const QString &status)
{
    return "sound 101 | status " + status + " | draw | info | banner game-end | close | status " +
           Texts::InfoText(18) + " | present";
}

struct EnterCase {
    const char *name;
    int mode, phase, placementDone, local;
    int draw; // the value random(2) gives, or -1: no draw
    QString log;
    int phaseAfter, currentAfter, placementDoneAfter;
};

// One side of a network game; fleets and shots go straight to the peer's engine.
struct NetSide : TestGame {
    explicit NetSide(int local) : TestGame(true)
    {
        st.gameMode = gmTwoAtTwo;
        st.localPlayer = local;
        st.playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
    }
    void receive(const QString &text)
    {
        if (game.st.gamePhase == gpFiring) {
            game.takePeerShot(text[0].digitValue(), text[1].digitValue());
            return;
        }
        Grid fleet;
        for (int k = 0; k < 100; ++k)
            fleet.at(k % 10, k / 10) = std::uint8_t(text[k].digitValue());
        game.takePeerFleet(fleet, text.mid(100) == "1");
    }
};

} // namespace

class tst_gameflow : public QObject {
    Q_OBJECT
private slots:
    // Only the timer started last is polled, stopping hands the hook on.
    // A script of steps: "a+" / "a-" start and stop timer a (1000 ms; b 3000,
    // c 10), "a=0" sets an interval, "N" advances the clock N ms and polls
    // once, "~N" advances N ms polling every millisecond, "bg" / "fg" make the
    // application inactive / active, "hold" / "free" hold the hub (a question
    // or menu is open) and let it go. Ticks are logged as name and lag.
    void timerRules_data()
    {
        const char *const rows[][4] = {
            {"just before, just at", "a+ 999 1", "a1", "a"},
            {"a late poll passes the lag, measured from the tick", "a+ 2500 999 1", "a2 a1", "a"},
            {"long pause", "c+ 10000 10", "c1000 c1", "c"},
            {"interval 0 ticks every poll", "a=0 a+ 0 0", "a1 a1", "a"},
            {"a negative interval is 0", "a=-5 a+ 0 0", "a1 a1", "a"},
            {"enabling a running timer changes nothing", "a+ b+ 600 a+ b+ ~2400", "b1", "b"},
            {"enabling a stopped timer restarts it", "a+ 900 a- a+ 999 1", "a1", "a"},
            {"only the polled timer ticks; the other stays started", "c+ a+ b- ~1000 a- 1", "a1 c100", "c"},
            {"stopping the only one", "c+ c- ~5000", "", ""},
            {"stopping the polled one", "a+ c+ c-", "", "a"},
            {"stopping a taken-over one", "a+ b+ c+ a-", "", "c"},
            {"hook by creation order, not start order", "c+ a+ b+ b-", "", "c"},
            {"nothing in the background", "a+ 500 bg ~10000 c+ ~1000 c- fg 1", "a11", "a"},
            {"back in front by creation order", "c+ a+ bg fg", "", "c"},
            {"back in front, none started", "a+ a- bg fg", "", ""},
            {"held: nothing, then at once; the hook stays", "c+ a+ 500 hold ~3000 free 0", "a3", "a"},
        };
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<QString>("polled");
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]);
    }
    void timerRules()
    {
        QFETCH(QString, script);
        QFETCH(QString, ticks);
        QFETCH(QString, polled);
        ManualClock clock;
        TimerHub hub(clock);
        GameTimer a(hub, "a", 1000), b(hub, "b", 3000), c(hub, "c", 10);
        QStringList log;
        TimerCalls onTimer([&log](GameTimer &t, int lag) { log << t.name() + QString::number(lag); });
        for (GameTimer *t : {&a, &b, &c})
            t->setTarget(&onTimer);
        for (const QString &step : script.split(u' ')) {
            GameTimer *t = step[0] == u'a' ? &a : step[0] == u'b' ? &b : &c;
            if (step == "bg" || step == "fg")
                hub.setApplicationActive(step == "fg");
            else if (step == "hold" || step == "free")
                hub.setHeld(step == "hold");
            else if (step.endsWith(u'+') || step.endsWith(u'-'))
                t->setEnabled(step.endsWith(u'+'));
            else if (step.contains(u'='))
                t->setInterval(step.mid(2).toInt());
            else if (step[0] == u'~')
                for (int ms = step.mid(1).toInt(); ms > 0; --ms, hub.poll())
                    clock.advance(1);
            else
                clock.advance(step.toInt()), hub.poll();
        }
        QCOMPARE(log.join(u' '), ticks);
        QCOMPARE(hub.polled() ? hub.polled()->name() : QString(), polled);
        // Due in the future, 1 ms at least after a tick: the wake-up never spins.
        QVERIFY(polled.isEmpty() ? !hub.nextDue() : *hub.nextDue() > clock.nowMs());
        QCOMPARE(c.isEnabled(), script.contains("c+") && !script.contains("c-"));
        QVERIFY(a.interval() >= 0);
    }

    void enterKey_data()
    {
        const int One = gmTwoAtOne, Net = gmTwoAtTwo, PC = gmPCMode;
        const QString turn = "status %1 ist an der Reihe." + kAllMissing;
        const EnterCase cases[] = {
            {"no game", PC, 0, 0, 0, -1, "", 0, 0, 0},
            {"finished: back to the title", One, 6, 0, 0, -1,
             "status " + Texts::InfoText(0) + " | draw present | animationTimer on", 0, 0, 0},
            {"two at one, incomplete", One, 1, 0, 0, -1, "", 1, 0, 0},
            {"two at one, first placer done", One, 2, 0, 0, -1,
             "status Bert, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen. | "
             "draw present | "
             "info",
             3, 1, 0},
            {"two at one, second placer done", One, 4, 0, 0, -1, "changeOverTimer on", 5, 0, 0},
            {"two at one, firing: hand over", One, 5, 0, 0, -1, "changeOverTimer on", 5, 0, 0},
            {"computer, firing", PC, 5, 0, 0, -1, "", 5, 0, 0},
            {"human begins", PC, 2, 0, 0, 0,
             "draw present | status Sie sind an der Reihe." + kAllMissing + " | info", 5, 0, 0},
            {"guest first", Net, 2, 0, 1, -1,
             "send " + Game::fleetDigits(GridOf(kOtherFleet)) +
                 " | status Warten Sie, bis Anna die Schiffe aufgestellt hat. | draw present",
             2, 1, 1},
            {"fleet already sent", Net, 2, pdLocal, 0, -1, "", 2, 0, 1},
            {"network, incomplete", Net, 1, pdRemote, 0, -1, "", 1, 0, 2},
        };
        QTest::addColumn<EnterCase>("c");
        for (const EnterCase &c : cases)
            QTest::newRow(c.name) << c;
    }
    void enterKey()
    {
        QFETCH(EnterCase, c);
        TestGame t;
        Game &g = t.game;
        t.st.gameMode = GameModeT(c.mode);
        t.st.gamePhase = GamePhaseT(c.phase);
        t.st.placementDone = c.placementDone;
        t.st.localPlayer = t.st.currentPlayer = c.local;
        t.st.changingTime = 5;
        t.st.playerNames = {QStringLiteral("Anna"), c.mode == gmPCMode ? "Computer" : "Bert"};
        t.st.playField[0] = GridFromRows(StandardFleetRows());
        t.st.playField[1] = GridOf(kOtherFleet);
        if (c.draw >= 0)
            t.rng.push(c.draw);
        g.confirm();

        QCOMPARE(t.takeLog(), c.log);
        QCOMPARE(t.st.gamePhase, c.phaseAfter);
        QCOMPARE(t.st.currentPlayer, c.currentAfter);
        QCOMPARE(t.st.placementDone, c.placementDoneAfter);
        QCOMPARE(t.rng.log.size(), std::size_t(c.draw >= 0));
        if (c.log == "changeOverTimer on") // from changingTime; the first frame a second later
            QVERIFY(GameTestAccess::countdown(g) == 5 &&
                    GameTestAccess::changeOverTimer(g).interval() == 1000);
    }

    void abandonAndLateTick()
    {
        TestGame t;
        Game &g = t.game;
        t.st.gamePhase = gpFiring;
        GameTestAccess::animationTimer(g).enable();
        GameTestAccess::computerTimer(g).enable();
        GameTestAccess::changeOverTimer(g).setInterval(2000); // a victory pause cut short
        GameTestAccess::countdown(g) = 6;
        GameTestAccess::changeOverTimer(g).enable();
        t.st.tries = {3, 4};
        t.fx.clear();
        QVERIFY(g.gameRunning());
        g.abandonGame();
        QCOMPARE(t.takeLog(), "changeOverTimer off | computerTimer off | animationTimer off | status " +
                                  Texts::InfoText(0) + " | draw present");
        QVERIFY(!g.gameRunning() && g.timerHub().polled() == nullptr);
        QCOMPARE(t.st.tries[1], 4); // kept until the next game starts
        // The next game's victory pause hands over at its first tick.
        QVERIFY(GameTestAccess::changeOverTimer(g).interval() == 1000 && GameTestAccess::countdown(g) <= 1);

        // A pause that outlived its game (the peer's finishing shot came
        // meanwhile) hands nothing over.
        t.st.gamePhase = gpFinished;
        GameTestAccess::changeOverTimer(g).setInterval(2000);
        GameTestAccess::changeOverTimer(g).enable();
        t.fx.clear();
        t.run(2000);
        QCOMPARE(t.takeLog(), "changeOverTimer off");
        QVERIFY(t.st.gamePhase == gpFinished && t.st.currentPlayer == 0 &&
                GameTestAccess::changeOverTimer(g).interval() == 1000);
    }

    void wholeGameTwoAtOne()
    {
        TestGame t(true);
        Game &g = t.game;
        t.st.playerNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
        t.st.changingTime = 3; // a change-over of 2 s
        t.rng.push(1);
        g.startGame();
        // Bert places first, cell by cell; Anna at random.
        for (const CellPos &c : ShipCells(GridFromRows(StandardFleetRows())))
            click(g, c, false);
        QCOMPARE(t.fx.status, Texts::InfoText(2));
        g.confirm();
        g.placeAllShipsRandomly();
        QCOMPARE(g.st.gamePhase, int(gpPlaced2));
        g.confirm();
        QCOMPARE(t.run(3000), 3);
        QCOMPARE(t.fx.only("countdown"), (QStringList{"countdown 2", "countdown 1"}));
        QCOMPARE(t.fx.status, "Bert ist an der Reihe." + kAllMissing); // the first placer fires first

        // Bert: a hit, then a miss and the change-over.
        const QList<CellPos> annasShips = ShipCells(g.st.playField[0]),
                             annasWater = ShipCells(g.st.playField[0], false);
        const QList<CellPos> bertsShips = ShipCells(g.st.playField[1]);
        click(g, annasShips[0]);
        click(g, annasWater[0]);
        QCOMPARE(t.run(2000), 2);
        QCOMPARE(g.st.currentPlayer, 0);
        QCOMPARE(g.st.lastShot[1], annasWater[0]);

        // Anna finds Bert's whole fleet without a miss.
        for (int i = 0; i < bertsShips.size() - 1; ++i)
            click(g, bertsShips[i]);
        t.fx.clear();
        click(g, bertsShips.last());
        QCOMPARE(t.takeLog(),
                 sendLine(bertsShips.last()) + firstFinisher("Anna hat alle Schiffe von Bert gefunden."));
        click(g, annasWater[1]); // nothing during the victory screen
        QCOMPARE(t.run(2000), 1);
        QCOMPARE(g.st.currentPlayer, 1);

        // Bert fires alone: a miss keeps the turn without a countdown.
        click(g, annasWater[1]);
        QVERIFY(g.st.currentPlayer == 1 && !g.changeOverRunning());
        for (int i = 1; i < annasShips.size() - 1; ++i)
            click(g, annasShips[i]);
        t.fx.clear();
        click(g, annasShips.last());
        QCOMPARE(t.takeLog(),
                 sendLine(annasShips.last()) + secondFinisher("Bert hat alle Schiffe von Anna gefunden."));
        QVERIFY(g.st.gamePhase == gpFinished && g.st.winner == 1);
        QCOMPARE(g.hitRatio(1), std::optional<int>(91)); // 20 of 22
        QCOMPARE(g.hitRatio(0), std::optional<int>(100));

        // A new game (against the computer now) leaves nothing of the old one
        // but the names, and draws or switches nothing.
        GameState &st = t.st;
        g.confirm();
        st.gameMode = gmPCMode;
        st.changingTime = 7;
        st.computerLastHit = st.hoverCell = {2, 2};
        t.fx.clear();
        g.startGame();
        QVERIFY(st.gamePhase == gpPlacing1 && st.placementDone == 0 && st.winner == -1 &&
                st.currentPlayer == 0);
        QVERIFY(st.computerLastHit == NoCell && st.hoverCell == NoCell);
        QCOMPARE(st.lastShot, (std::array<CellPos, 2>{NoCell, NoCell}));
        QCOMPARE(st.tries, (std::array<int, 2>{0, 0}));
        QVERIFY(st.controlField[0] == Grid{} && st.controlField[1] == Grid{} && st.playField[0] == Grid{});
        QVERIFY(Game::isCompleteFleet(Game::countShips(st.playField[1], 0)));
        QVERIFY(GameTestAccess::computerTimer(g).interval() == 7000 &&
                GameTestAccess::animationTimer(g).isEnabled() && st.playerNames[1] == "Bert");
        QCOMPARE(t.takeLog(), QString());
        // A think time beyond reason neither overflows nor goes below 0.
        for (const auto &[seconds, interval] : {std::pair{INT_MAX, INT_MAX}, std::pair{-5, 0}}) {
            st.changingTime = seconds;
            g.startGame();
            QCOMPARE(GameTestAccess::computerTimer(g).interval(), interval);
        }
    }

    void wholeGameNetwork()
    {
        NetSide host(0), guest(1);
        // Each action on a fresh record on both sides; its messages go across when it ends.
        auto act = [&](const std::function<void()> &action) {
            host.fx.clear();
            guest.fx.clear();
            action();
            for (const QString &m : host.fx.only("send "))
                guest.receive(m.mid(5));
            for (const QString &m : guest.fx.only("send "))
                host.receive(m.mid(5));
        };
        auto shoot = [&](NetSide &side, CellPos c) { act([&] { click(side.game, c); }); };
        host.game.startGame();
        guest.game.startGame();
        QVERIFY(host.game.st.currentPlayer == 0 && guest.game.st.currentPlayer == 1); // each places its own
        host.game.placeAllShipsRandomly();
        guest.rng.push({0, 9, 6}); // its 4 down the right edge: not the host's fleet
        guest.game.placeAllShipsRandomly();
        const Grid hostFleet = host.game.st.playField[0], guestFleet = guest.game.st.playField[1];

        // The host confirms first and draws the guest to begin; the guest's
        // confirmation starts the game on both sides.
        host.rng.push(1);
        act([&] { host.game.confirm(); });
        QCOMPARE(host.fx.status, QStringLiteral("Warten Sie, bis Bert die Schiffe aufgestellt hat."));
        QVERIFY(!host.game.placementItemsVisible());
        act([&] { guest.game.confirm(); });
        for (NetSide *s : {&host, &guest}) {
            QVERIFY(s->game.st.gamePhase == gpFiring && s->game.st.currentPlayer == 1);
            QVERIFY(s->game.st.playField[0] == hostFleet && s->game.st.playField[1] == guestFleet);
        }
        QCOMPARE(host.fx.status, "Bert ist an der Reihe." + kAllMissing);
        QCOMPARE(guest.fx.status, "Sie sind an der Reihe." + kAllMissing);

        // The guest hits and misses; the host cannot fire out of turn.
        const QList<CellPos> hostShips = ShipCells(hostFleet), hostWater = ShipCells(hostFleet, false);
        const QList<CellPos> guestShips = ShipCells(guestFleet);
        shoot(host, {0, 0});
        QCOMPARE(host.game.st.tries[0], 0);
        shoot(guest, hostShips[0]);
        shoot(guest, hostWater[0]);
        QVERIFY(host.game.st.currentPlayer == 0 && guest.game.st.currentPlayer == 0);
        QCOMPARE(host.game.st.lastShot[0], hostWater[0]); // the peer's shot is marked
        QCOMPARE(guest.game.st.lastShot[0], NoCell);

        // The host finds everything first, the guest last.
        for (const CellPos &c : guestShips)
            shoot(host, c);
        QCOMPARE(host.takeLog(),
                 sendLine(guestShips.last()) + firstFinisher("Sie haben alle Schiffe von Bert gefunden."));
        QCOMPARE(guest.takeLog(), firstFinisher("Anna hat alle Ihre Schiffe gefunden."));
        QVERIFY(host.run(2000) == 1 && guest.run(2000) == 1);
        for (const CellPos &c : hostShips.mid(1))
            shoot(guest, c);
        QCOMPARE(host.takeLog(), secondFinisher("Bert hat alle Ihre Schiffe gefunden."));
        QCOMPARE(guest.takeLog(),
                 sendLine(hostShips.last()) + secondFinisher("Sie haben alle Schiffe von Anna gefunden."));
        for (NetSide *s : {&host, &guest}) {
            QVERIFY(s->game.st.gamePhase == gpFinished && s->game.st.winner == 1);
            QVERIFY(s->game.st.controlField == host.game.st.controlField);
            QCOMPARE(s->game.st.tries, (std::array<int, 2>{20, 21}));
        }
    }
};

QTEST_GUILESS_MAIN(tst_gameflow)
#include "tst_gameflow.moc"
