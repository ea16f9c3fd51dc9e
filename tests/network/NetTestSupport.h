#pragma once

#include "game/Game.h"
#include "game/Texts.h"
#include "opponents/NetSession.h"
#include "support/GameTestAccess.h"
#include "support/RecordingEffects.h"

#include <QStringList>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

constexpr int kWait = 5000; // ms; a loopback exchange takes far less

// One side of a network game: the engine with recorded effects, a recorded
// wizard and the session, wired as the main window wires them.
struct UiRecorder : NetSessionUi {
    QString ipState;
    bool ipCtrlsEnabled = false, forwardEnabled = false;
    int wizardClosed = 0;
    QStringList boxes;               // "caption|text"
    std::function<void()> duringBox; // runs while the modal box would be open

    void showConnectionState(const QString &text) override { ipState = text; }
    void setAddressControlsEnabled(bool enabled) override { ipCtrlsEnabled = enabled; }
    void setForwardEnabled(bool enabled) override { forwardEnabled = enabled; }
    void closeWizard() override { ++wizardClosed; }
    void showConnectionMessage(const QString &caption, const QString &text) override
    {
        boxes << caption + u'|' + text;
        if (duringBox)
            duringBox();
    }
};

struct NetEffects : RecordingEffects {
    NetSession *net = nullptr;
    void sendText(const QString &text) override
    {
        RecordingEffects::sendText(text);
        net->sendText(text);
    }
    void closeConnection() override
    {
        RecordingEffects::closeConnection();
        net->closeConnection();
    }
};

// What the session sends waits here until the test delivers it.
struct Wire final : NetTransport {
    QByteArray pending;
    void send(const QByteArray &bytes) override { pending += bytes; }
};

struct NetSide {
    Wire wire;
    NetEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    UiRecorder ui;
    NetSession net{game, ui};
    GameState &st = GameTestAccess::state(game);

    NetSide(int localPlayer, const QString &name, unsigned seed = 1) : rng({}, seed)
    {
        fx.net = &net;
        fx.attach(game);
        st.gameMode = gmTwoAtTwo;
        st.localPlayer = localPlayer;
        st.playerNames[localPlayer] = name;
        st.shotSound = {1, 101};
    }
    int peer() const { return st.localPlayer ^ 1; }

    void hostStarts() // "Weiter" on the host's wizard
    {
        net.sendStart();
        fx.log << u"send %GO%"_s; // the wizard's send, logged like the engine's
        game.startGame();
    }
    void placeFleet() { game.placeAllShipsRandomly(); }
    void confirmFleet(int startPlayer = 0)
    {
        if (st.localPlayer == 0)
            rng.push(startPlayer);
        game.confirm();
    }
    void click(int x, int y) { game.pressCell(Board::Control, {x, y}, CellPress::Set); }
    void drag(int x, int y) { game.pressCell(Board::Control, {x, y}, CellPress::Set); }

    // The first cell of the peer's fleet not shot yet that is (not) a ship, or NoCell.
    CellPos target(bool ship) const
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if (st.controlField[st.localPlayer].at(x, y) == cfUnknown &&
                    (st.playField[peer()].at(x, y) >= pfShip) == ship)
                    return {x, y};
        return NoCell;
    }
    void endPause() // the victory pause
    {
        clock.advance(2000);
        game.timerHub().poll();
    }
};

// What both sides must agree on at every moment of a game.
inline QString Agreement(const GameState &st)
{
    QStringList parts;
    for (int p = 0; p < 2; ++p)
        parts << GridRows(st.playField[p]) << GridRows(st.controlField[p]);
    return parts.join(u'/') + QString::asprintf(" phase %d current %d winner %d tries %d,%d", st.gamePhase,
                                                st.currentPlayer, st.winner, st.tries[0], st.tries[1]);
}

// A whole game, each step run by act(side, step). Both hit in streaks (every
// other hit by dragging) and miss now and then; the first finisher never
// polls its clock, so the other side fires alone after its own pause.
using Act = std::function<void(NetSide &side, const std::function<void()> &step)>;
inline void PlayGame(NetSide &host, NetSide &guest, int firstToPlace, int startPlayer, const Act &act)
{
    act(host, [&] { host.hostStarts(); });
    NetSide *order[2] = {&host, &guest};
    if (firstToPlace == 1)
        std::swap(order[0], order[1]);
    for (NetSide *s : order) {
        act(*s, [&] { s->placeFleet(); });
        act(*s, [&] { s->confirmFleet(startPlayer); });
    }
    NetSide *last = order[1];
    for (int shot = 1; last->st.gamePhase == gpFiring && shot < 300; ++shot) {
        if (last->st.winner == last->st.localPlayer && last->game.changeOverRunning()) {
            last = last == &host ? &guest : &host; // the other side's pause ends first
            act(*last, [&] { last->endPause(); });
            continue;
        }
        NetSide &s = last->st.currentPlayer == 0 ? host : guest;
        act(s, [&] {
            const bool hit = shot % (&s == &host ? 4 : 3) != 0;
            const CellPos c = s.target(hit) != NoCell ? s.target(hit) : s.target(!hit);
            if (hit && shot % 2 == 0)
                s.drag(c.x, c.y);
            else
                s.click(c.x, c.y);
        });
        last = &s;
    }
}

// A whole game over connected sockets.
inline void PlayOverSockets(NetSide &host, NetSide &guest, int firstToPlace = 0, int startPlayer = 0)
{
    // Each step waits until the peer has carried out what it sent: start word, fleet, shots.
    const auto carriedOut = [](const NetSide &peer) {
        return peer.ui.wizardClosed + bool(peer.st.placementDone & pdRemote) + peer.st.tries[peer.peer()];
    };
    PlayGame(host, guest, firstToPlace, startPlayer, [&](NetSide &s, const std::function<void()> &step) {
        if (QTest::currentTestFailed())
            return; // no more waiting
        NetSide &peer = &s == &host ? guest : host;
        const int sends = s.fx.only(u"send"_s).size(), before = carriedOut(peer);
        step();
        const int expected = before + s.fx.only(u"send"_s).size() - sends;
        QVERIFY(QTest::qWaitFor([&] { return carriedOut(peer) >= expected; }, kWait));
    });
}
