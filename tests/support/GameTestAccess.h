#pragma once

#include "game/Game.h"

// Tests set up positions by writing the engine's state directly, and switch
// and read its timers.
struct GameTestAccess {
    static GameState &state(Game &game) { return game.st_; }
    static GameTimer &changeOverTimer(Game &game) { return game.changeOverTimer_; }
    static GameTimer &computerTimer(Game &game) { return game.computerTimer_; }
    static GameTimer &animationTimer(Game &game) { return game.animationTimer_; }
    // Seconds the change-over countdown still shows.
    static int &countdown(Game &game) { return game.countdown_; }
};
