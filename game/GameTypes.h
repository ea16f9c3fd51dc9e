#pragma once

#include <array>
#include <cstdint>

// Enumerations and small value types of the game state. The numeric values
// are part of the program's contract (settings, network, drawing).

enum GameModeT : std::uint8_t { gmTwoAtOne = 0, gmTwoAtTwo = 1, gmPCMode = 2 };

// How strongly the computer plays ("Spielstärke"); clNormal is the default.
enum ComputerLevelT : std::uint8_t { clEasy = 0, clNormal = 1, clHard = 2 };

enum GamePhaseT : int {
    gpNoGame = 0,
    gpPlacing1 = 1,
    gpPlaced1 = 2,
    gpPlacing2 = 3,
    gpPlaced2 = 4,
    gpFiring = 5,
    gpFinished = 6
};

// The playing field is BoardSize x BoardSize cells.
constexpr int BoardSize = 10;

// Sound ids (kept in the settings file): the default sounds of a shot into
// the water and of a hit, and the fanfare when one player found every ship.
constexpr int SoundWaterDefault = 1;
constexpr int SoundShipDefault = 101;
constexpr int SoundFoundAll = 301;

// playField cell codes: the own fleet and the opponent's shots at it.
enum PlayFieldCode : std::uint8_t { pfWater = 0, pfWaterShot = 1, pfShip = 2, pfShipHit = 3 };

// controlField cell codes: what a player learnt by firing.
enum ControlFieldCode : std::uint8_t { cfUnknown = 0, cfWater = 1, cfHit = 2, cfSunk = 3 };

// placementDone bits (network game only).
constexpr int pdLocal = 1;
constexpr int pdRemote = 2;

struct CellPos {
    int x = -1;
    int y = -1;
    bool operator==(const CellPos &) const = default;
};

constexpr CellPos NoCell{-1, -1};

// The two boards a player sees: the own fleet ("Spielfeld", left) and the
// shots at the opponent's ("Kontrollfeld", right).
enum class Board { Own, Control };

// What a press on a cell asks for: a ship cell or a shot (the left button),
// or water (any other button).
enum class CellPress { Set, Clear };

// A 12 x 12 grid indexed -1..10 in both axes: the 10 x 10 playing cells in a
// ring of one cell that always reads 0, so neighbour looks need no range test.
struct Grid {
    std::array<std::uint8_t, 144> cells{};

    std::uint8_t &at(int x, int y) { return cells[(x + 1) * 12 + (y + 1)]; }
    std::uint8_t at(int x, int y) const { return cells[(x + 1) * 12 + (y + 1)]; }
    // Reads off the playing cells give 0, the ring included: a ring damaged
    // by a careless write can then neither lengthen a ship nor let a walk
    // along a ship run off the array.
    std::uint8_t get(int x, int y) const
    {
        if (x < 0 || x > 9 || y < 0 || y > 9)
            return 0;
        return at(x, y);
    }
    bool isShip(int x, int y) const { return get(x, y) >= 2; }
    void clear() { cells.fill(0); }
    void clearPlayingCells()
    {
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                at(x, y) = 0;
    }
    bool operator==(const Grid &) const = default;
};

// Ships per length: index 1..4 is the length, index 0 is unused.
using ShipCounts = std::array<int, 5>;

// The required fleet: 5 - L ships of length L.
constexpr int RequiredShips(int length)
{
    return 5 - length;
}
