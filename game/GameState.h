#pragma once

#include "game/GameTypes.h"

#include <QString>

#include <array>
#include <cstdint>

// What the settings file keeps between runs; part of the game's state.
struct StoredSettings {
    std::array<int, 2> shotSound{SoundWaterDefault, SoundShipDefault}; // [0] water, [1] ship
    // Colours of the cell codes 1..3 (index 0 unused), red in the low byte.
    std::array<std::uint32_t, 4> cellColors{0, 0x800000, 0x00FFFF, 0x808080};
    std::array<QString, 2> recentNames;
    int changingTime = 3; // seconds; countdown start value or think time
    int localPlayer = 0;  // network only: 0 host, 1 guest
    QString hostAddress;
    // How strongly the computer plays; kept across games like changingTime.
    ComputerLevelT computerLevel = clNormal;
};

// What the new-game wizard collected. Two at one PC uses both names and
// the countdown; against the computer the first name, the think time and
// the level; a network game the local player's name, the role and, for the
// guest, the host address.
struct GameChoices {
    GameModeT gameMode = gmTwoAtOne;
    std::array<QString, 2> playerNames;
    int changingTime = 3;
    int localPlayer = 0;
    QString hostAddress;
    int computerLevel = clNormal;
};

// The state of the one game the program runs, as one object (so that two
// games can live side by side in one test process). Member names are the
// names the rest of the program uses for these variables.
struct GameState : StoredSettings {
    GameModeT gameMode = gmTwoAtOne;
    GamePhaseT gamePhase = gpNoGame;
    int currentPlayer = 0;  // 0..1
    int netStartPlayer = 0; // network only: the host's draw, taken by the guest
    int placementDone = 0;  // network only: pdLocal | pdRemote
    int winner = -1;        // -1 while nobody has found all ships
    std::array<QString, 2> playerNames;
    std::array<Grid, 2> playField;
    std::array<Grid, 2> controlField;
    std::array<int, 2> tries{0, 0};
    std::array<CellPos, 2> lastShot{NoCell, NoCell};
    CellPos computerLastHit = NoCell;
    CellPos hoverCell = NoCell;
};
