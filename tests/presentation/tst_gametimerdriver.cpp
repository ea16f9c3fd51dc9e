#include "presentation/GameTimerDriver.h"
#include "support/RecordingEffects.h"

#include <QtTest>

// The wake-up of the game timers: armed exactly while a timer is polled and
// the application is active, aimed at the due time, never spinning.
class tst_gametimerdriver : public QObject {
    Q_OBJECT
private slots:
    void aimsAtTheDueTimeAndSleepsInTheBackground()
    {
        ManualClock clock;
        TimerHub hub(clock);
        GameTimer t(hub, QStringLiteral("t"), 700);
        int ticks = 0;
        TimerCalls onTimer([&](GameTimer &, int) { ++ticks; });
        t.setTarget(&onTimer);
        GameTimerDriver driver(hub);
        hub.setApplicationActive(true);
        QVERIFY(!driver.isArmed());
        t.enable();
        QVERIFY(driver.remainingMs() > 600 && driver.remainingMs() <= 700);
        clock.advance(500);
        driver.reaim();
        QVERIFY(driver.remainingMs() <= 200);
        hub.setApplicationActive(false);
        QVERIFY(!driver.isArmed());
        hub.setApplicationActive(true);
        QVERIFY(driver.isArmed());

        // Due now: it fires and is aimed at the next tick.
        clock.advance(200);
        driver.reaim();
        QTRY_COMPARE(ticks, 1);
        QVERIFY(driver.remainingMs() > 600);
        t.disable();
        QVERIFY(!driver.isArmed());
    }

    void ticksOnTimeWithoutSpinning()
    {
        SteadyClock clock;
        TimerHub hub(clock);
        GameTimer t(hub, QStringLiteral("t"), 20);
        int ticks = 0;
        TimerCalls onTimer([&](GameTimer &, int) { ++ticks; });
        t.setTarget(&onTimer);
        GameTimerDriver driver(hub);
        hub.setApplicationActive(true);
        t.enable();
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 5000);
        // Between ticks the wake-up waits for the next one; stopped, it sleeps.
        QVERIFY(driver.isArmed() && driver.remainingMs() <= 20);
        t.disable();
        QVERIFY(!driver.isArmed());
    }

    // A short timer is woken no sooner than the minimum wake interval after it
    // fired, and then counts every interval that passed; a long one is not held back.
    void minimumWakeInterval_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("firstWake");
        QTest::addColumn<int>("lagCount");
        QTest::newRow("10 ms animation") << 10 << 40 << 4;
        QTest::newRow("1 s change-over") << 1000 << 1000 << 1;
    }
    void minimumWakeInterval()
    {
        QFETCH(int, interval);
        QFETCH(int, firstWake);
        QFETCH(int, lagCount);
        ManualClock clock;
        TimerHub hub(clock);
        GameTimer t(hub, QStringLiteral("t"), interval);
        QList<int> lags;
        TimerCalls onTimer([&](GameTimer &, int lag) { lags << lag; });
        t.setTarget(&onTimer);
        GameTimerDriver driver(hub);
        driver.setMinimumWakeInterval(40);
        hub.setApplicationActive(true);
        t.enable();
        QVERIFY(driver.remainingMs() > firstWake - 10 && driver.remainingMs() <= firstWake);
        clock.advance(firstWake);
        driver.reaim();
        QTRY_COMPARE(lags, QList<int>{lagCount});
        QVERIFY(driver.remainingMs() > firstWake - 10 && driver.remainingMs() <= firstWake);
    }
};

QTEST_MAIN(tst_gametimerdriver)
#include "tst_gametimerdriver.moc"
