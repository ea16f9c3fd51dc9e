#pragma once

#include "game/GameEffects.h"
#include "game/GameState.h"
#include "game/GameTimers.h"
#include "game/Random.h"

#include <QString>

#include <optional>

enum class MouseButton { Left, Right, Middle };

// The rules engine: the game state with its three timers and every operation
// that changes them. It knows nothing of windows; whatever it does outside its
// state goes out through GameEffects, in the order the rules prescribe.
class Game : private TimerTarget {
    // The game's state. Only the engine writes it; the tests reach it through
    // their own friend.
    GameState st_;
    friend struct GameTestAccess;

public:
    Game(GameEffects &effects, Random &rng, const Clock &clock);
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;

    // The state, for reading.
    const GameState &st = st_;
    TimerHub timers;
    GameTimer changeOverTimer;          // change-over countdown and victory pause; Tag = counter
    GameTimer computerTimer; // the computer's moves
    GameTimer animationTimer;     // info panel animation

    GameEffects &effects() { return effects_; }
    Random &rng() { return rng_; }

    // ---- Grid queries and fleet rules (pure) ----
    static int GetShipLength(const Grid &grid, int x, int y);
    static ShipCounts CountShips(const Grid &grid, int threshold);
    static bool CanSetShipCell(const Grid &grid, int x, int y, bool strict);
    static void PlaceShipsRandomly(Grid &grid, Random &rng);
    static bool IsCompleteFleet(const ShipCounts &counts);
    // The 100 digits of a grid, row by row from the top, each row left to right.
    static QString FleetDigits(const Grid &grid);

    // ---- What the player chose, the settings and the dialogs ----
    // The wizard's choices: two at one PC and against the computer are then
    // ready to start; a network game keeps the local player's name, role and
    // the host address while the connection is made.
    void TakeChoices(const GameChoices &choices);
    // The names of the last game are forgotten (the wizard opens, a
    // connection that had not started a game ends).
    void ForgetPlayerNames();
    // The values read from the settings file.
    void ApplySettings(const StoredSettings &stored);
    // The sounds of a shot into the water and of a hit.
    void SetShotSounds(const std::array<int, 2> &sounds);
    // The colours of the cell codes 1..3; the boards are redrawn if they
    // changed and a board with cells is shown (not under a banner).
    void SetCellColors(const std::array<std::uint32_t, 4> &colors);

    // ---- Game start, status line, drawing ----
    void StartGame();
    // StartGame, then the status line greets namePlayer (-1: the player
    // whose turn it is) and the boards and the info panel are drawn.
    void BeginGame(int namePlayer);
    // How strongly the computer plays from its next shot on; a value that is
    // no level gives clNormal.
    void SetComputerLevel(int level);
    // Composes the status line for the current phase; moves the placement
    // phase within its pair and sets Winner in gpFiring. Returns the text.
    QString SetInfoLabelCaption();
    // Redraws the boards; in gpNoGame the status line is refreshed first.
    void DrawScreen(bool present);
    // Whose boards are shown: CurrentPlayer (two at one PC), LocalPlayer
    // (network), 0 (against the computer).
    int ViewedPlayer() const;
    static int ViewedPlayerOf(const GameState &st);
    // Is it the turn of a human at this screen?
    bool IsLocalTurn() const;

    // ---- Placement ----
    void ClearPlayField();
    void MenuItem_DeleteAllShipsClick();
    void MenuItem_SetShipsAutomaticallyClick();
    // Whether "Alle Schiffe entfernen" and "Schiffe zufällig platzieren" are shown.
    bool PlacementItemsVisible() const;

    // ---- Mouse on the board surface (pixels of the 881 x 481 surface) ----
    void DXDrawMouseDown(MouseButton button, int X, int Y);
    void DXDrawMouseMove(bool leftHeld, bool rightHeld, int X, int Y);
    // The pointer left the board surface: no hover frame any more.
    void DXDrawMouseLeave();
    // Board cell under a pixel, or NoCell; bounds are exclusive.
    static CellPos LeftBoardCell(int X, int Y);
    static CellPos RightBoardCell(int X, int Y);

    // ---- Firing ----
    // One shot of CurrentPlayer. A cell outside the field or already shot, or
    // any shot in gpFinished, is refused (returns false) and changes nothing.
    bool ClickControlField(int x, int y);
    int Hits(int player) const;
    // Cells of a ControlField that hold a hit or a sunk ship.
    static int HitCells(const Grid &control);
    // Hit ratio in percent, rounded half to even; nothing while no shot was fired.
    std::optional<int> HitRatio(int player) const;
    static int RoundHalfToEven(long long numerator, long long denominator);

    // ---- The network peer ----
    // The peer's name (checked by the caller) in its slot and among the
    // recent names.
    void TakePeerName(const QString &name);
    // The peer's fleet, with the host's draw of who starts when this side is
    // the guest. Firing begins if the local fleet is in as well.
    void TakePeerFleet(const Grid &fleet, int startPlayer);
    // A shot of the peer. A pause still running is ended first; a shot out
    // of turn or at a cell already shot changes nothing and returns false.
    bool TakePeerShot(int x, int y);

    // ---- Game flow ----
    // A game is running: "Neu" and closing ask first.
    bool GameRunning() const;
    // "Neu" after the question: stop all timers, back to the title picture.
    void AbandonGame();
    // The Enter key; other keys are ignored.
    void FormKeyPress(int key);
    // A tick of changeOverTimer: the next countdown frame, or the hand-over.
    void changeOverTick();

private:
    void timerFired(GameTimer &, int) override { changeOverTick(); }
    // Both fleets of a network game are in: firing begins.
    void bothFleetsIn();
    void markSunk(Grid &control, int x, int y);
    // Player numbers as indices, safe whatever the state holds.
    int cur() const { return st_.CurrentPlayer & 1; }
    int local() const { return st_.LocalPlayer & 1; }
    // May CurrentPlayer fire at (x, y): on the field and never shot at.
    bool freeTarget(int x, int y) const;
    // The board on which HoverCell was taken: the viewed player, and the left
    // board (placing) or the right one (firing). The hover frame belongs to
    // it and is dropped when the boards are drawn for another.
    int hoverBoard() const;
    int hoverBoard_ = -1;

    GameEffects &effects_;
    Random &rng_;
};
