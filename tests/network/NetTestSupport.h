#pragma once

#include "game/Format.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "opponents/NetSession.h"
#include "support/RecordingEffects.h"

#include <QStringList>

#include <functional>

// One side of a network game in a test: the engine with recorded effects, a
// recorded wizard and the network session. The engine's sends and closes go
// to the session, as the main window does it.

struct UiRecorder : NetSessionUi {
    QString ipState;
    bool ipCtrlsEnabled = false;
    bool forwardEnabled = false;
    int wizardClosed = 0;
    QStringList boxes; // "caption|text"
    QStringList log;
    // Runs while a message box would be open (a modal loop in the program).
    std::function<void()> duringBox;

    void SetIPState(const QString &text) override
    {
        ipState = text;
        log << QStringLiteral("state ") + text;
    }
    void SetIPCtrlsEnabled(bool enabled) override
    {
        ipCtrlsEnabled = enabled;
        log << QStringLiteral("ctrls %1").arg(enabled);
    }
    void SetForwardEnabled(bool enabled) override
    {
        forwardEnabled = enabled;
        log << QStringLiteral("forward %1").arg(enabled);
    }
    void CloseWizard() override
    {
        ++wizardClosed;
        log << QStringLiteral("close wizard");
    }
    void ShowConnectionMessage(const QString &caption, const QString &text) override
    {
        boxes << caption + u'|' + text;
        log << QStringLiteral("box ") + text;
        if (duringBox)
            duringBox();
    }
};

struct NetEffects : RecordingEffects {
    NetSession *net = nullptr;
    void SendText(const QString &text) override
    {
        RecordingEffects::SendText(text);
        if (net != nullptr)
            net->SocketSendText(text);
    }
    void CloseConnection() override
    {
        RecordingEffects::CloseConnection();
        if (net != nullptr)
            net->CloseConnection();
    }
};

struct NetSide {
    NetEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    UiRecorder ui;
    NetSession net{game, ui};
    GameState &st = game.st;

    NetSide(int localPlayer, const QString &name, unsigned seed = 1) : rng({}, seed)
    {
        fx.net = &net;
        fx.attach(game);
        st.GameMode = gmTwoAtTwo;
        st.LocalPlayer = localPlayer;
        st.PlayerNames[localPlayer] = name;
        st.RecentNames[0] = name;
        st.ShotSound = {1, 101};
    }

    int peer() const { return st.LocalPlayer ^ 1; }

    // What the wizard does when the host presses "Weiter" with the guest's name known.
    void hostStarts()
    {
        net.SendStart();
        game.StartGame();
        fx.SetStatusText(FormatText(Texts::InfoText(1), {st.PlayerNames[st.LocalPlayer]}));
        game.DrawScreen(true);
        fx.DrawInfo();
    }

    // Places a fleet drawn from the side's generator.
    void placeFleet() { game.MenuItem_SetShipsAutomaticallyClick(); }
    void placeFleet(const Grid &fleet)
    {
        st.PlayField[st.LocalPlayer] = fleet;
        game.SetInfoLabelCaption();
    }
    // Enter; on the host the start player is the given draw.
    void confirmFleet(int startPlayer = 0)
    {
        if (st.LocalPlayer == 0)
            rng.push(startPlayer);
        game.FormKeyPress(13);
    }

    static int px(int x) { return 480 + 40 * x + 20; }
    static int py(int y) { return 80 + 40 * y + 20; }
    void click(int x, int y) { game.DXDrawMouseDown(MouseButton::Left, px(x), py(y)); }
    void drag(int x, int y) { game.DXDrawMouseMove(true, false, px(x), py(y)); }

    // The first cell in reading order of the peer's fleet not shot yet that
    // is (not) a ship, or NoCell.
    CellPos target(bool ship) const
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if (st.ControlField[st.LocalPlayer].at(x, y) == cfUnknown &&
                    (st.PlayField[peer()].at(x, y) >= pfShip) == ship)
                    return {x, y};
        return NoCell;
    }
    // Ends the victory pause on this side's clock.
    void endPause()
    {
        clock.advance(2000);
        game.timers.poll();
    }
};

// What both sides must agree on at every moment of a game.
inline QString Agreement(const GameState &st)
{
    QStringList parts;
    for (int p = 0; p < 2; ++p)
        parts << GridRows(st.PlayField[p]).join(u'/') << GridRows(st.ControlField[p]).join(u'/');
    parts << QStringLiteral("phase %1 current %2 winner %3 tries %4,%5")
                 .arg(st.GamePhase)
                 .arg(st.CurrentPlayer)
                 .arg(st.Winner)
                 .arg(st.Tries[0])
                 .arg(st.Tries[1]);
    return parts.join(u'\n');
}

// A legal fleet in the test notation, and variants of it.
inline QStringList LegalFleetRows()
{
    return {
        QStringLiteral("##.#.#.#.#"), // 2er, 1er, 1er, 1er, 1er
        QStringLiteral(".........."), //
        QStringLiteral("###.####.."), // 3er, 4er
        QStringLiteral(".........."), //
        QStringLiteral("#.#.#....."), // 3er vertical at x=0, 2er vertical at x=2 and x=4
        QStringLiteral("#.#.#....."), //
        QStringLiteral("#........."), //
        QStringLiteral(".........."), //
        QStringLiteral(".........."), //
        QStringLiteral(".........."), //
    };
}

inline QByteArray FleetBytes(const Grid &grid)
{
    return Game::FleetDigits(grid).toLatin1();
}
