#include "game/GameTimers.h"

#include <QtTest>

#include <memory>

// The three game timers on one idle hook: only the timer started last is
// polled, stopping unhooks, nothing ticks in the background.
class tst_gametimers : public QObject {
    Q_OBJECT
private slots:
    void intervalAndLag_data();
    void intervalAndLag();
    void enablingARunningTimerChangesNothing();
    void enablingAStoppedTimerRestartsIt();
    void onlyThePolledTimerTicks();
    void stoppingUnhooks();
    void stoppingAStoppedTimerKeepsTheHook();
    void inactiveApplication();
    void reactivationInCreationOrder_data();
    void reactivationInCreationOrder();
    void handlerMayHandOver();
    void scheduleChanges();
};

namespace {

struct Hub {
    ManualClock clock;
    TimerHub hub{clock};
    GameTimer a{hub, QStringLiteral("DXTimer"), 1000};
    GameTimer b{hub, QStringLiteral("DXTimer_Computer"), 3000};
    GameTimer c{hub, QStringLiteral("DXTimer_Info"), 10};
    QStringList ticks;

    Hub()
    {
        for (GameTimer *t : {&a, &b, &c})
            t->OnTimer = [this, t](int lag) { ticks << QStringLiteral("%1 %2").arg(t->name()).arg(lag); };
    }
    // Advance ms in steps, polling after each.
    void run(int ms, int step = 1)
    {
        for (int t = 0; t < ms; t += step) {
            clock.advance(step);
            hub.poll();
        }
    }
};

} // namespace

void tst_gametimers::intervalAndLag_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("pollsAfter"); // ms since the last poll
    QTest::addColumn<QList<int>>("lags");       // 0: no tick

    QTest::newRow("just before, just at") << 1000 << QList<int>{999, 1} << QList<int>{0, 1};
    QTest::newRow("late poll passes the lag") << 1000 << QList<int>{2500} << QList<int>{2};
    QTest::newRow("measured from the tick, not the schedule")
        << 1000 << QList<int>{2500, 999, 1} << QList<int>{2, 0, 1};
    QTest::newRow("long pause") << 10 << QList<int>{10000, 10} << QList<int>{1000, 1};
    QTest::newRow("interval 0 ticks every poll") << 0 << QList<int>{0, 0, 5} << QList<int>{1, 1, 1};
}

void tst_gametimers::intervalAndLag()
{
    QFETCH(int, interval);
    QFETCH(QList<int>, pollsAfter);
    QFETCH(QList<int>, lags);

    Hub h;
    h.a.setInterval(interval);
    h.a.enable();
    for (int i = 0; i < pollsAfter.size(); ++i) {
        h.clock.advance(pollsAfter[i]);
        h.ticks.clear();
        QCOMPARE(h.hub.poll(), lags[i] > 0);
        QCOMPARE(h.ticks,
                 lags[i] > 0 ? QStringList{QStringLiteral("DXTimer %1").arg(lags[i])} : QStringList{});
    }
}

void tst_gametimers::enablingARunningTimerChangesNothing()
{
    Hub h;
    h.a.enable();
    h.b.enable(); // takes over
    h.clock.advance(600);
    h.a.enable(); // running: neither restarted nor hooked again
    QCOMPARE(h.hub.polled(), &h.b);
    h.b.enable();
    h.run(2400);
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer_Computer 1")});
    QCOMPARE(h.clock.nowMs() - 1'000'000, 3000);
}

void tst_gametimers::enablingAStoppedTimerRestartsIt()
{
    Hub h;
    h.a.enable();
    h.clock.advance(900);
    h.a.disable();
    h.a.enable();
    QCOMPARE(h.hub.nextDue(), std::optional<std::int64_t>(h.clock.nowMs() + 1000));
    h.run(999);
    QVERIFY(h.ticks.isEmpty());
    h.run(1);
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer 1")});
}

void tst_gametimers::onlyThePolledTimerTicks()
{
    Hub h;
    h.c.enable();
    h.a.enable();
    QCOMPARE(h.hub.polled(), &h.a);
    h.run(1000);
    // The info timer was due a hundred times but was taken over; it keeps
    // its enabled state.
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer 1")});
    QVERIFY(h.c.Enabled());
    QCOMPARE(h.hub.nextDue(), std::optional<std::int64_t>(h.clock.nowMs() + 1000));
}

void tst_gametimers::stoppingUnhooks()
{
    Hub h;
    h.c.enable();
    h.c.disable(); // the only started timer: nothing is polled any more
    QCOMPARE(h.hub.polled(), nullptr);
    QCOMPARE(h.hub.nextDue(), std::nullopt);
    h.run(5000, 10);
    QVERIFY(h.ticks.isEmpty());
    // Stopping the polled timer hands the hook to the newest timer still
    // started, so a timer that was taken over is never stranded.
    h.a.enable();
    h.c.enable();
    h.c.disable();
    QCOMPARE(h.hub.polled(), &h.a);
    // Stopping one that was taken over does the same.
    h.b.enable();
    h.a.disable();
    QCOMPARE(h.hub.polled(), &h.b);
    h.b.disable();
    QCOMPARE(h.hub.polled(), nullptr);
}

void tst_gametimers::stoppingAStoppedTimerKeepsTheHook()
{
    Hub h;
    h.a.enable();
    h.b.disable();
    QCOMPARE(h.hub.polled(), &h.a);
    h.run(1000);
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer 1")});
}

void tst_gametimers::inactiveApplication()
{
    Hub h;
    h.a.enable();
    h.clock.advance(500);
    h.hub.setApplicationActive(false);
    QCOMPARE(h.hub.nextDue(), std::nullopt);
    h.run(10000, 100);
    QVERIFY(h.ticks.isEmpty());
    // Enabling while in the background hooks the timer but it waits too.
    h.c.enable();
    h.run(1000, 10);
    QVERIFY(h.ticks.isEmpty());
    h.c.disable();
    h.hub.setApplicationActive(true);
    // Back in front: the started timer takes the hook again; its interval
    // ran out long ago.
    QCOMPARE(h.hub.polled(), &h.a);
    QVERIFY(h.hub.poll());
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer 11")});
}

void tst_gametimers::reactivationInCreationOrder_data()
{
    QTest::addColumn<QString>("enableOrder");
    QTest::addColumn<QString>("polledAfter");
    // Whatever the order they were started in, the last created started one
    // is polled after the application becomes active again.
    QTest::newRow("c then a") << "ca"
                              << "c";
    QTest::newRow("a then c") << "ac"
                              << "c";
    QTest::newRow("b then a") << "ba"
                              << "b";
    QTest::newRow("c, b, a") << "cba"
                             << "c";
    QTest::newRow("a only") << "a"
                            << "a";
    QTest::newRow("none") << ""
                          << "";
}

void tst_gametimers::reactivationInCreationOrder()
{
    QFETCH(QString, enableOrder);
    QFETCH(QString, polledAfter);
    Hub h;
    auto timer = [&](QChar n) { return n == u'a' ? &h.a : n == u'b' ? &h.b : &h.c; };
    for (QChar n : enableOrder)
        timer(n)->enable();
    h.hub.setApplicationActive(false);
    h.hub.setApplicationActive(true);
    QCOMPARE(h.hub.polled(), polledAfter.isEmpty() ? nullptr : timer(polledAfter[0]));
}

// A handler that stops its own timer and starts another (the hand-over
// after a countdown): the other one is polled from then on.
void tst_gametimers::handlerMayHandOver()
{
    Hub h;
    h.a.OnTimer = [&](int) {
        h.a.disable();
        h.b.enable();
    };
    h.a.enable();
    h.run(1000);
    QCOMPARE(h.hub.polled(), &h.b);
    h.run(2999);
    QVERIFY(h.ticks.isEmpty());
    h.run(1);
    QCOMPARE(h.ticks, QStringList{QStringLiteral("DXTimer_Computer 1")});
}

void tst_gametimers::scheduleChanges()
{
    Hub h;
    int changes = 0;
    h.hub.onScheduleChanged = [&] { ++changes; };
    h.a.enable();
    QCOMPARE(changes, 1);
    h.a.enable(); // nothing changes
    QCOMPARE(changes, 1);
    h.a.setInterval(2000);
    QCOMPARE(h.hub.nextDue(), std::optional<std::int64_t>(h.clock.nowMs() + 2000));
    QCOMPARE(changes, 2);
    h.run(2000, 1000);
    QCOMPARE(changes, 3); // the tick moved the due time
    h.a.setInterval(-5);
    QCOMPARE(h.a.Interval(), 0);
    // An interval of 0 is woken 1 ms later, never in a spin.
    QCOMPARE(h.hub.nextDue(), std::optional<std::int64_t>(h.clock.nowMs() + 1));
}

QTEST_GUILESS_MAIN(tst_gametimers)
#include "tst_gametimers.moc"
