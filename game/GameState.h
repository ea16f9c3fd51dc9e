#pragma once

#include "game/GameTypes.h"

#include <QString>

#include <array>
#include <cstdint>

// What the settings file keeps between runs; part of the game's state.
struct StoredSettings {
    std::array<int, 2> ShotSound{SoundWaterDefault, SoundShipDefault}; // [0] water, [1] ship
    // Colours of the cell codes 1..3 (index 0 unused), red in the low byte.
    std::array<std::uint32_t, 4> CellColors{0, 0x800000, 0x00FFFF, 0x808080};
    std::array<QString, 2> RecentNames;
    int ChangingTime = 3; // seconds; countdown start value or think time
    int LocalPlayer = 0;  // network only: 0 host, 1 guest
    QString HostAddress;
    // How strongly the computer plays; kept across games like ChangingTime.
    ComputerLevelT ComputerLevel = clNormal;
};

// What the new-game wizard collected. Two at one PC uses both names and
// the countdown; against the computer the first name, the think time and
// the level; a network game the local player's name, the role and, for the
// guest, the host address.
struct GameChoices {
    GameModeT GameMode = gmTwoAtOne;
    std::array<QString, 2> PlayerNames;
    int ChangingTime = 3;
    int LocalPlayer = 0;
    QString HostAddress;
    int ComputerLevel = clNormal;
};

// The state of the one game the program runs, as one object (so that two
// games can live side by side in one test process). Member names are the
// names the rest of the program uses for these variables.
struct GameState : StoredSettings {
    GameModeT GameMode = gmTwoAtOne;
    GamePhaseT GamePhase = gpNoGame;
    int CurrentPlayer = 0;  // 0..1
    int NetStartPlayer = 0; // network only: the host's draw, taken by the guest
    int PlacementDone = 0;  // network only: pdLocal | pdRemote
    int Winner = -1;        // -1 while nobody has found all ships
    std::array<QString, 2> PlayerNames;
    std::array<Grid, 2> PlayField;
    std::array<Grid, 2> ControlField;
    std::array<int, 2> Tries{0, 0};
    std::array<CellPos, 2> LastShot{NoCell, NoCell};
    CellPos ComputerLastHit = NoCell;
    CellPos HoverCell = NoCell;
};
