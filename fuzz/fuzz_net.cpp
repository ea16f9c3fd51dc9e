// What a network peer can send. The first byte picks this side (bit 0: the
// guest, else the host); then come the pieces in which the peer's bytes
// arrive, each as a length byte and that many bytes (length 0: the peer
// leaves). After each piece this side makes its own natural move (the host
// starts once a name is in, the fleet is placed and confirmed, a shot when it
// is this side's turn, time passes). Seeds hold what a well-behaved peer
// sends: name (and start word), fleet, shots.

#include "support/GameTestAccess.h"
#include "game/Game.h"
#include "opponents/Cp1252.h"
#include "opponents/NetSession.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

struct QuietUi : NetSessionUi {
    bool forward = false;
    void showConnectionState(const QString &) override {}
    void setAddressControlsEnabled(bool) override {}
    void setForwardEnabled(bool enabled) override { forward = enabled; }
    void closeWizard() override {}
    void showConnectionMessage(const QString &, const QString &) override {}
};

struct WiredEffects : NullEffects {
    NetSession *net = nullptr;
    void SendText(const QString &text) override { net->sendText(text); }
    void CloseConnection() override { net->closeConnection(); }
};

void ownMove(Game &game, NetSession &net, QuietUi &ui, ManualClock &clock)
{
    GameState &st = GameTestAccess::state(game);
    if (st.LocalPlayer == 0 && net.link() == NetSession::Link::Lobby && ui.forward) {
        net.sendStart();
        game.StartGame();
    }
    if (net.link() != NetSession::Link::Playing)
        return;
    if (!(st.PlacementDone & pdLocal) && game.PlacementItemsVisible()) {
        game.MenuItem_SetShipsAutomaticallyClick();
        game.FormKeyPress(13);
    }
    if (st.GamePhase == gpFiring && game.IsLocalTurn()) {
        for (int k = 0; k < 100; ++k) {
            if (st.ControlField[st.LocalPlayer & 1].at(k % 10, k / 10) == cfUnknown) {
                game.DXDrawMouseDown(MouseButton::Left, 500 + 40 * (k % 10), 100 + 40 * (k / 10));
                break;
            }
        }
    }
    clock.advance(1000);
    game.timers.poll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    // Names cross the wire in Windows-1252: what decodes must encode back unchanged.
    if (const auto text = Cp1252::decode(input); text && Cp1252::encode(*text) != input)
        std::abort();

    WiredEffects fx;
    ScriptedRandom rng({}, 1);
    ManualClock clock;
    Game game(fx, rng, clock);
    QuietUi ui;
    NetSession net(game, ui);
    fx.net = &net;
    struct : NetTransport {
        void send(const QByteArray &) override {}
    } nowhere;
    GameTestAccess::state(game).GameMode = gmTwoAtTwo;
    GameTestAccess::state(game).LocalPlayer = data[0] & 1;
    GameTestAccess::state(game).PlayerNames[data[0] & 1] = game.st.LocalPlayer == 0 ? QStringLiteral("Hanna") : QStringLiteral("Gustav");
    net.openOn(nowhere);

    for (qsizetype at = 1; at < input.size();) {
        const qsizetype length = static_cast<unsigned char>(input[at++]);
        if (length == 0)
            net.peerDisconnected();
        else
            net.receive(input.mid(at, length));
        at += length;
        ownMove(game, net, ui, clock);
    }
    return 0;
}
