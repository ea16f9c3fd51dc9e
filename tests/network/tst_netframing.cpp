#include "NetTestSupport.h"

#include <QtTest>

// TCP keeps no message boundaries. One whole game is played between two
// sessions over an in-memory wire that cuts and joins the bytes at will: it
// must end the same on both sides as with one message per read.

namespace {

// Cuts the bytes of one delivery (numbered in order) into reads.
using Cutter = std::function<QList<QByteArray>(int delivery, const QByteArray &bytes)>;

Cutter pieces(int size) // 0: whole
{
    return [size](int, const QByteArray &b) {
        QList<QByteArray> out;
        for (qsizetype i = 0, n = size > 0 ? size : b.size(); i < b.size(); i += n)
            out << b.mid(i, n);
        return out;
    };
}

struct Outcome {
    QStringList state; // each side's boards, effects and wizard
    QList<QByteArray> deliveries;
};

// joined: bytes wait until their receiver is about to act, so that all one
// side sends in a row arrives in one delivery; else each action's bytes are
// delivered right after it.
Outcome play(const Cutter &cut, bool joined)
{
    NetSide host(0, u"Hanna"_s, 5), guest(1, u"Gustav"_s, 6);
    QByteArray toHost, toGuest;
    Outcome out;
    host.net.sendHook = [&](const QByteArray &b) { toGuest += b; };
    guest.net.sendHook = [&](const QByteArray &b) { toHost += b; };
    auto deliver = [&](NetSide &to) {
        QByteArray &pending = &to == &host ? toHost : toGuest;
        if (pending.isEmpty())
            return;
        out.deliveries << std::exchange(pending, {});
        for (const QByteArray &piece : cut(out.deliveries.size() - 1, out.deliveries.last()))
            to.net.SocketRead(piece);
    };
    host.net.OpenWithoutSocket();
    guest.net.OpenWithoutSocket();
    PlayGame(host, guest, 0, 1, [&](NetSide &side, const std::function<void()> &step) {
        deliver(side);
        step();
        if (!joined) {
            deliver(host);
            deliver(guest);
        }
    });
    deliver(host);
    deliver(guest);
    for (NetSide *s : {&host, &guest})
        out.state << Agreement(s->st) << s->fx.log.join(u'\n')
                  << u"%1|%2|%3|%4|%5"_s.arg(s->ui.ipState)
                         .arg(s->ui.wizardClosed)
                         .arg(s->ui.boxes.join(u';'), s->st.PlayerNames[0], s->st.PlayerNames[1]);
    return out;
}

} // namespace

class tst_netframing : public QObject {
    Q_OBJECT

    Outcome reference_, joined_;

private slots:
    void initTestCase()
    {
        reference_ = play(pieces(0), false);
        joined_ = play(pieces(0), true);
    }

    // The reference is a whole game that both sides agree on; joined
    // delivery puts name, start word and fleet in one read.
    void reference()
    {
        const QStringList &r = reference_.state;
        QCOMPARE(r[0], r[3]);
        QVERIFY(r[0].contains(u" phase %1 "_s.arg(gpFinished)));
        QVERIFY(r[2].endsWith(u"|0||Hanna|Gustav"_s) && r[5].endsWith(u"|1||Hanna|Gustav"_s));
        QVERIFY(joined_.deliveries.contains(QByteArray("Hanna%GO%") + reference_.deliveries[2]));
    }

    void cutAndJoined_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("joined");
        for (int size : {0, 1, 3})
            for (bool joined : {false, true})
                if (size > 0 || joined)
                    QTest::addRow("pieces of %d%s", size, joined ? ", joined" : "") << size << joined;
    }
    void cutAndJoined()
    {
        QFETCH(int, size);
        QFETCH(bool, joined);
        QCOMPARE(play(pieces(size), joined).state, reference_.state);
    }

    // Every single cut of every joined delivery.
    void everySplit()
    {
        for (int target = 0; target < joined_.deliveries.size(); ++target)
            for (qsizetype at = 1; at < joined_.deliveries[target].size(); ++at) {
                const Cutter cut = [=](int d, const QByteArray &b) -> QList<QByteArray> {
                    return d == target ? QList<QByteArray>{b.first(at), b.sliced(at)} : QList<QByteArray>{b};
                };
                QVERIFY2(play(cut, true).state == reference_.state,
                         qPrintable(u"delivery %1 cut at %2"_s.arg(target).arg(at)));
            }
    }
};

QTEST_GUILESS_MAIN(tst_netframing)
#include "tst_netframing.moc"
