#pragma once

#include <QString>

// Everything the game engine does to the world outside its state goes through
// this one narrow interface, called in the order the game's rules prescribe
// (for example a shot plays its sound before the board is redrawn). The main
// window's WindowEffects implements it; tests implement it with a recorder.
class GameEffects {
public:
    virtual ~GameEffects() = default;

    // Plays a numbered sound; forced plays even with sounds switched off.
    virtual void PlaySound(int id, bool forced = false) = 0;
    // Composes the whole board surface from the game state (title picture in
    // gpNoGame) and presents it when asked to.
    virtual void DrawScreen(bool present) = 0;
    // Presents the board surface as it was composed last (after a banner).
    virtual void PresentScreen() = 0;
    // Recomposes and presents the info panel.
    virtual void DrawInfo() = 0;
    // The change-over countdown frame: boards, box, "Augen zu,", the name of
    // the player whose turn ends and the seconds; presents the frame itself.
    virtual void DrawChangeOverBanner(int seconds) = 0;
    // Draws the found-all banner over the boards just drawn, without
    // presenting (the engine plays sound 301 just before).
    virtual void DrawFoundAllBanner() = 0;
    // Draws "Das Spiel ist beendet." over the boards, without presenting.
    virtual void DrawGameEndBanner() = 0;
    // The status line Label_Info.
    virtual void SetStatusText(const QString &text) = 0;
    // Sends a text to the network peer; does nothing outside gmTwoAtTwo.
    virtual void SendText(const QString &text) = 0;
    // Closes this side's socket (client on the guest, server on the host);
    // without a connection nothing happens.
    virtual void CloseConnection() = 0;
    // The balloon hint for a refused placement at the cell (x, y) of the left
    // board, and hiding a balloon that is showing.
    virtual void ShowPlacementBalloon(int x, int y) = 0;
    virtual void HideBalloon() = 0;
};

// An implementation that does nothing, for headless simulations.
class NullEffects : public GameEffects {
public:
    void PlaySound(int, bool) override {}
    void DrawScreen(bool) override {}
    void PresentScreen() override {}
    void DrawInfo() override {}
    void DrawChangeOverBanner(int) override {}
    void DrawFoundAllBanner() override {}
    void DrawGameEndBanner() override {}
    void SetStatusText(const QString &) override {}
    void SendText(const QString &) override {}
    void CloseConnection() override {}
    void ShowPlacementBalloon(int, int) override {}
    void HideBalloon() override {}
};
