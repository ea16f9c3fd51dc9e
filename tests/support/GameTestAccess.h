#pragma once

#include "game/Game.h"

// Tests set up positions by writing the engine's state directly.
struct GameTestAccess {
    static GameState &state(Game &game) { return game.st_; }
};
