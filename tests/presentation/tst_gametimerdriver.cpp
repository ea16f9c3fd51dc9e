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
};

QTEST_MAIN(tst_gametimerdriver)
#include "tst_gametimerdriver.moc"
