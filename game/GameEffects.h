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
    virtual void playSound(int id, bool forced = false) = 0;
    // Composes the whole board surface from the game state (title picture in
    // gpNoGame) and presents it when asked to.
    virtual void drawScreen(bool present) = 0;
    // Presents the board surface as it was composed last (after a banner).
    virtual void presentScreen() = 0;
    // Recomposes and presents the info panel.
    virtual void drawInfo() = 0;
    // The change-over countdown frame: boards, box, "Augen zu,", the name of
    // the player whose turn ends and the seconds; presents the frame itself.
    virtual void drawChangeOverBanner(int seconds) = 0;
    // Draws the found-all banner over the boards just drawn, without
    // presenting (the engine plays sound 301 just before).
    virtual void drawFoundAllBanner() = 0;
    // Draws "Das Spiel ist beendet." over the boards, without presenting.
    virtual void drawGameEndBanner() = 0;
    // The status line above the info panel.
    virtual void setStatusText(const QString &text) = 0;
    // Sends a text to the network peer; does nothing outside gmTwoAtTwo.
    virtual void sendText(const QString &text) = 0;
    // Closes this side's socket (client on the guest, server on the host);
    // without a connection nothing happens.
    virtual void closeConnection() = 0;
    // The balloon hint for a refused placement at the cell (x, y) of the left
    // board, and hiding a balloon that is showing.
    virtual void showPlacementBalloon(int x, int y) = 0;
    virtual void hideBalloon() = 0;
};

// An implementation that does nothing, for headless simulations.
class NullEffects : public GameEffects {
public:
    void playSound(int, bool) override {}
    void drawScreen(bool) override {}
    void presentScreen() override {}
    void drawInfo() override {}
    void drawChangeOverBanner(int) override {}
    void drawFoundAllBanner() override {}
    void drawGameEndBanner() override {}
    void setStatusText(const QString &) override {}
    void sendText(const QString &) override {}
    void closeConnection() override {}
    void showPlacementBalloon(int, int) override {}
    void hideBalloon() override {}
};
