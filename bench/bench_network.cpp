// Time from sending a shot to the peer having carried it out, over loopback:
// two game cores with their network sessions in one process, 1000 shots
// taking turns. Prints the median and the 99th percentile.

#include "game/Game.h"
#include "opponents/NetSession.h"
#include "support/GameTestAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct QuietUi : NetSessionUi {
    void showConnectionState(const QString &) override {}
    void setAddressControlsEnabled(bool) override {}
    void setForwardEnabled(bool) override {}
    void closeWizard() override {}
    void showConnectionMessage(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "unexpected: %s\n", qPrintable(text));
    }
};

QElapsedTimer clockNs;
qint64 sentAt = 0;

struct Effects : NullEffects {
    NetSession *net = nullptr;
    void sendText(const QString &text) override
    {
        sentAt = clockNs.nsecsElapsed();
        net->sendText(text);
    }
    void closeConnection() override { net->closeConnection(); }
};

struct Side {
    Effects fx;
    ClockSeededRandom rng;
    SteadyClock clock;
    Game game{fx, rng, clock};
    QuietUi ui;
    NetSession net{game, ui};
    Side(int local, const char *name, unsigned seed) : rng(seed)
    {
        fx.net = &net;
        GameTestAccess::state(game).gameMode = gmTwoAtTwo;
        GameTestAccess::state(game).localPlayer = local;
        GameTestAccess::state(game).playerNames[local] = QString::fromLatin1(name);
    }
};

bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Open sea on both sides from here on: every shot misses and the turn
// alternates, so a game never ends however many shots are fired.
void clearSea(Side &s)
{
    for (int p = 0; p < 2; ++p) {
        GameTestAccess::state(s.game).playField[p].clear();
        GameTestAccess::state(s.game).controlField[p].clear();
    }
    GameTestAccess::state(s.game).tries = {0, 0};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kShots = 1000;
    clockNs.start();

    Side host(0, "Hanna", 1), guest(1, "Gustav", 2);
    host.net.setPort(0);
    host.net.listen();
    guest.net.setPort(host.net.listeningPort());
    guest.net.connectTo(QStringLiteral("127.0.0.1"));
    if (!waitFor([&] {
            return !host.game.st.playerNames[1].isEmpty() && !guest.game.st.playerNames[0].isEmpty();
        })) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }
    host.net.sendStart();
    host.game.startGame();
    waitFor([&] { return guest.game.st.gamePhase == gpPlacing1; });
    for (Side *s : {&host, &guest}) {
        s->game.placeAllShipsRandomly();
        s->game.confirm();
    }
    if (!waitFor([&] { return host.game.st.gamePhase == gpFiring && guest.game.st.gamePhase == gpFiring; })) {
        std::fprintf(stderr, "no firing\n");
        return 1;
    }

    std::vector<double> us;
    us.reserve(kShots);
    for (int i = 0; i < kShots; ++i) {
        if (i % 200 == 0) {
            clearSea(host);
            clearSea(guest);
        }
        Side &shooter = host.game.st.currentPlayer == 0 ? host : guest;
        Side &peer = &shooter == &host ? guest : host;
        const int k = (i % 200) / 2;
        const int tries = peer.game.st.tries[shooter.game.st.localPlayer];
        shooter.game.pressCell(Board::Control, {k % 10, k / 10}, CellPress::Set);
        // Carried out on the peer's side once its count of the shooter's tries has grown.
        if (!waitFor([&] { return peer.game.st.tries[shooter.game.st.localPlayer] == tries + 1; })) {
            std::fprintf(stderr, "shot %d lost\n", i);
            return 1;
        }
        us.push_back((clockNs.nsecsElapsed() - sentAt) / 1000.0);
    }

    std::sort(us.begin(), us.end());
    const auto at = [&](double q) { return us[static_cast<size_t>(q * (us.size() - 1))]; };
    std::printf("shots %d over loopback: median %.1f us, p99 %.1f us, min %.1f us, max %.1f us\n", kShots,
                at(0.5), at(0.99), us.front(), us.back());
    return 0;
}
