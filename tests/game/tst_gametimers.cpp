#include "game/GameTimers.h"
#include "support/RecordingEffects.h"

#include <QtTest>

// The three game timers on one idle hook: only the timer started last is
// polled, stopping hands the hook on, nothing ticks in the background.

class tst_gametimers : public QObject {
    Q_OBJECT
private slots:
    // A script of steps: "a+" / "a-" start and stop timer a (1000 ms; b 3000,
    // c 10), "a=0" sets an interval, "N" advances the clock N ms and polls
    // once, "~N" advances N ms polling every millisecond, "bg" / "fg" make the
    // application inactive / active, "hold" / "free" hold the hub (a question
    // or menu is open) and let it go. Ticks are logged as name and lag.
    void rules_data()
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
    void rules()
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
        QCOMPARE(c.Enabled(), script.contains("c+") && !script.contains("c-"));
        QVERIFY(a.Interval() >= 0);
    }
};

QTEST_GUILESS_MAIN(tst_gametimers)
#include "tst_gametimers.moc"
