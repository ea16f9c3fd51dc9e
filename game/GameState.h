#pragma once

#include "game/GameTypes.h"

#include <QString>

#include <array>
#include <cstdint>

// The state of the one game the program runs, as one object (so that two
// games can live side by side in one test process). Member names are the
// names the rest of the program uses for these variables.
struct GameState {
    GameModeT GameMode = gmTwoAtOne;
    int GamePhase = gpNoGame;
    int CurrentPlayer = 0;  // 0..1
    int LocalPlayer = 0;    // network only: 0 host, 1 guest
    int NetStartPlayer = 0; // network only: the host's draw, taken by the guest
    int PlacementDone = 0;  // network only: pdLocal | pdRemote
    int Winner = -1;        // -1 while nobody has found all ships
    int ChangingTime = 3;   // seconds; countdown start value or think time
    // How strongly the computer plays; kept across games like ChangingTime.
    ComputerLevelT ComputerLevel = clNormal;
    std::array<QString, 2> PlayerNames;
    std::array<Grid, 2> PlayField;
    std::array<Grid, 2> ControlField;
    std::array<int, 2> Tries{0, 0};
    std::array<CellPos, 2> LastShot{NoCell, NoCell};
    CellPos ComputerLastHit = NoCell;
    CellPos HoverCell = NoCell;
    std::array<int, 2> ShotSound{1, 101}; // [0] water, [1] ship

    // Filled from the settings and by the new-game wizard.
    std::array<QString, 2> RecentNames;
    QString HostAddress;
    // Colours of the cell codes 1..3 (index 0 unused), red in the low byte.
    std::array<std::uint32_t, 4> CellColors{0, 0x800000, 0x00FFFF, 0x808080};
};
