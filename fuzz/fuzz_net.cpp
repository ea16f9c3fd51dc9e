// What a network peer can send. The first byte picks this side (bit 0: the
// guest, else the host); then come the pieces in which the peer's bytes
// arrive, each as a length byte and that many bytes (length 0: the peer
// leaves). After each piece this side makes its own natural move (the host
// starts once a name is in, the fleet is placed and confirmed, a shot when it
// is this side's turn, time passes). Seeds hold what a well-behaved peer
// sends: name (and start word), fleet, shots.

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

// Time moves only when this side makes its move.
struct StepClock final : Clock {
    std::int64_t now = 1'000'000;
    std::int64_t nowMs() const override { return now; }
};

struct WiredEffects : NullEffects {
    NetSession *net = nullptr;
    void sendText(const QString &text) override { net->sendText(text); }
    void closeConnection() override { net->closeConnection(); }
};

void ownMove(Game &game, NetSession &net, QuietUi &ui, StepClock &clock)
{
    const GameState &st = game.st;
    if (st.localPlayer == 0 && net.link() == NetSession::Link::Lobby && ui.forward) {
        net.sendStart();
        game.startGame();
    }
    if (net.link() != NetSession::Link::Playing)
        return;
    if (!(st.placementDone & pdLocal) && game.placementItemsVisible()) {
        game.placeAllShipsRandomly();
        game.confirm();
    }
    if (st.gamePhase == gpFiring && game.isLocalTurn()) {
        for (int k = 0; k < 100; ++k) {
            if (st.controlField[st.localPlayer & 1].at(k % 10, k / 10) == cfUnknown) {
                game.pressCell(Board::Control, {k % 10, k / 10}, CellPress::Set);
                break;
            }
        }
    }
    clock.now += 1000;
    game.timerHub().poll();
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
    ClockSeededRandom rng(1);
    StepClock clock;
    Game game(fx, rng, clock);
    QuietUi ui;
    NetSession net(game, ui);
    fx.net = &net;
    struct : NetTransport {
        void send(const QByteArray &) override {}
    } nowhere;
    GameChoices choices;
    choices.gameMode = gmTwoAtTwo;
    choices.localPlayer = data[0] & 1;
    choices.playerNames = {QStringLiteral("Hanna"), QStringLiteral("Gustav")};
    game.takeChoices(choices);
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
