#include "NetTestSupport.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <random>

// TCP keeps no message boundaries. One whole game is played between two
// sessions over an in-memory wire whose deliveries the test cuts and joins at
// will: every way of splitting and coalescing the recorded byte streams must
// give the same game on both sides as clean one-message-per-read delivery.

namespace {

// Cuts one delivery (the bytes pending for one side) into reads.
using Cutter = std::function<QList<QByteArray>(int delivery, const QByteArray &bytes)>;

QList<QByteArray> whole(int, const QByteArray &bytes)
{
    return {bytes};
}

QList<QByteArray> pieces(const QByteArray &bytes, int size)
{
    QList<QByteArray> out;
    for (qsizetype i = 0; i < bytes.size(); i += size)
        out << bytes.mid(i, size);
    return out;
}

struct Outcome {
    QString host, guest;           // the game state of each side
    QStringList hostLog, guestLog; // every engine effect of each side, in order
    QString hostUi, guestUi;       // the wizard's final state and any message box
    QList<QByteArray> deliveries;  // the recorded streams, one entry per delivery
    int actions = 0;
};

class Wire {
public:
    // lazy: bytes wait until their receiver is about to act, so that all
    // that one side sends in a row arrives joined; otherwise every action's
    // bytes are delivered right after it.
    Wire(Cutter cut, bool lazy) : cut_(std::move(cut)), lazy_(lazy)
    {
        host.net.sendHook = [this](const QByteArray &b) { toGuest_ += b; };
        guest.net.sendHook = [this](const QByteArray &b) { toHost_ += b; };
    }

    NetSide host{0, QStringLiteral("Hanna"), 5};
    NetSide guest{1, QStringLiteral("Gustav"), 6};
    QList<QByteArray> deliveries;
    int actions = 0;

    void act(NetSide &side, const std::function<void()> &action)
    {
        deliver(side);
        action();
        ++actions;
        if (!lazy_) {
            deliver(host);
            deliver(guest);
        }
    }
    void flush()
    {
        deliver(host);
        deliver(guest);
    }

private:
    void deliver(NetSide &to)
    {
        QByteArray &pending = &to == &host ? toHost_ : toGuest_;
        if (pending.isEmpty())
            return;
        const QByteArray bytes = pending;
        pending.clear();
        deliveries << bytes;
        for (const QByteArray &piece : cut_(deliveries.size() - 1, bytes))
            to.net.SocketRead(piece);
    }

    Cutter cut_;
    bool lazy_;
    QByteArray toGuest_, toHost_;
};

// The game: the host confirms its fleet first and draws the guest to begin;
// each side hits in streaks (some by dragging) and misses now and then. When
// one side has found everything, only the other side ends its pause on its
// own clock; its next shot overtakes the finisher's pause, and it fires on
// alone. The finisher's side never polls its timer: without the overtaking
// hand-over that shot would be out of turn there.
std::unique_ptr<Outcome> play(Cutter cut, bool lazy)
{
    Wire w(std::move(cut), lazy);
    NetSide &host = w.host, &guest = w.guest;
    // The connection comes up on both sides before anything is read.
    host.net.OpenWithoutSocket();
    guest.net.OpenWithoutSocket();
    w.act(host, [&] {
        if (host.st.PlayerNames[1] == QStringLiteral("Gustav"))
            host.hostStarts();
    });
    w.act(host, [&] { host.placeFleet(); });
    w.act(host, [&] { host.confirmFleet(1); });
    w.act(guest, [&] { guest.placeFleet(); });
    w.act(guest, [&] { guest.confirmFleet(); });

    NetSide *last = &guest;
    int shotNo = 0;
    bool pauseEnded = false;
    while (last->st.GamePhase == gpFiring && w.actions < 1000) {
        if (last->st.Winner != -1 && !pauseEnded && last->game.DXTimer.Enabled()) {
            // The first finisher is known: the other side's pause ends first.
            NetSide &other = last->st.Winner == 0 ? guest : host;
            w.act(other, [&] { other.endPause(); });
            pauseEnded = true;
            last = &other;
            continue;
        }
        NetSide &s = last->st.CurrentPlayer == 0 ? host : guest;
        w.act(s, [&] {
            ++shotNo;
            const bool wantHit = &s == &host ? shotNo % 4 != 0 : shotNo % 3 != 0;
            CellPos c = s.target(wantHit);
            if (c == NoCell)
                c = s.target(!wantHit);
            if (wantHit && shotNo % 2 == 0)
                s.drag(c.x, c.y);
            else
                s.click(c.x, c.y);
        });
        last = &s;
    }
    w.flush();

    auto out = std::make_unique<Outcome>();
    out->host = Agreement(host.st);
    out->guest = Agreement(guest.st);
    out->hostLog = host.fx.log;
    out->guestLog = guest.fx.log;
    auto ui = [](const NetSide &s) {
        return QStringLiteral("%1|%2|%3|%4|%5")
            .arg(s.ui.ipState)
            .arg(s.ui.wizardClosed)
            .arg(s.ui.boxes.join(u';'))
            .arg(s.st.PlayerNames[0], s.st.PlayerNames[1]);
    };
    out->hostUi = ui(host);
    out->guestUi = ui(guest);
    out->deliveries = w.deliveries;
    out->actions = w.actions;
    return out;
}

} // namespace

class tst_netframing : public QObject {
    Q_OBJECT

    std::unique_ptr<Outcome> reference_;
    std::unique_ptr<Outcome> recorded_;

    void compare(const Outcome &o, const QString &what)
    {
        QVERIFY2(o.host == reference_->host, qPrintable(what));
        QVERIFY2(o.guest == reference_->guest, qPrintable(what));
        QVERIFY2(o.hostLog == reference_->hostLog, qPrintable(what));
        QVERIFY2(o.guestLog == reference_->guestLog, qPrintable(what));
        QVERIFY2(o.hostUi == reference_->hostUi, qPrintable(what));
        QVERIFY2(o.guestUi == reference_->guestUi, qPrintable(what));
    }

private slots:
    void initTestCase()
    {
        reference_ = play(whole, false);
        recorded_ = play(whole, true);
    }

    // The reference itself is a whole, sane game.
    void referenceGame()
    {
        const Outcome &r = *reference_;
        QCOMPARE(r.host, r.guest);
        QVERIFY(r.host.contains(QStringLiteral("phase 6 ")));
        QVERIFY(r.hostLog.contains(QStringLiteral("DXTimer off")) &&
                r.guestLog.contains(QStringLiteral("DXTimer off")));
        QCOMPARE(r.hostUi, QStringLiteral("%1|0||Hanna|Gustav")
                               .arg(FormatText(Texts::WizardText(3), {QStringLiteral("Gustav")})));
        QVERIFY(r.guestUi.endsWith(QStringLiteral("|1||Hanna|Gustav")));
        QVERIFY(r.hostLog.contains(QStringLiteral("banner found-all")));
        QVERIFY(r.guestLog.contains(QStringLiteral("banner game-end")));
        QVERIFY(r.actions > 40);
        // Coalesced delivery joins name, start word and fleet into one read.
        QVERIFY(recorded_->deliveries.size() < reference_->deliveries.size());
        QVERIFY(recorded_->deliveries.contains(QByteArray("Gustav")));
        bool joined = false;
        for (const QByteArray &d : recorded_->deliveries)
            joined = joined || (d.startsWith("Hanna%GO%") && d.size() == 9 + 101);
        QVERIFY(joined);
    }

    void coalesced() { compare(*recorded_, QStringLiteral("lazy")); }

    void fixedPieces_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("lazy");
        for (int size : {1, 2, 3, 4, 5, 7, 11, 50, 100, 101})
            for (bool lazy : {false, true})
                QTest::addRow("%d bytes%s", size, lazy ? " joined" : "") << size << lazy;
    }
    void fixedPieces()
    {
        QFETCH(int, size);
        QFETCH(bool, lazy);
        compare(*play([size](int, const QByteArray &b) { return pieces(b, size); }, lazy),
                QStringLiteral("size %1").arg(size));
    }

    void randomPieces()
    {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            auto rng = std::make_shared<std::mt19937>(seed);
            Cutter cut = [rng](int, const QByteArray &b) {
                QList<QByteArray> out;
                qsizetype i = 0;
                while (i < b.size()) {
                    const qsizetype n = 1 + (*rng)() % 13;
                    out << b.mid(i, n);
                    i += n;
                }
                return out;
            };
            compare(*play(cut, seed % 2 == 0), QStringLiteral("seed %1").arg(seed));
        }
    }

    // Every single cut of every recorded delivery.
    void everySplit()
    {
        const QList<QByteArray> &d = recorded_->deliveries;
        int runs = 0;
        for (int target = 0; target < d.size(); ++target) {
            for (qsizetype at = 1; at < d[target].size(); ++at) {
                Cutter cut = [target, at](int delivery, const QByteArray &b) -> QList<QByteArray> {
                    if (delivery != target)
                        return {b};
                    return {b.first(at), b.sliced(at)};
                };
                compare(*play(cut, true), QStringLiteral("delivery %1 cut at %2").arg(target).arg(at));
                ++runs;
            }
        }
        QVERIFY(runs > 150);
    }
};

QTEST_GUILESS_MAIN(tst_netframing)
#include "tst_netframing.moc"
