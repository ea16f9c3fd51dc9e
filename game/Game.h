#pragma once

#include "game/GameEffects.h"
#include "game/GameState.h"
#include "game/GameTimers.h"
#include "game/Random.h"

#include <QString>

#include <optional>

// The rules engine: the game state with its three timers and every operation
// that changes them. It knows nothing of windows; whatever it does outside its
// state goes out through GameEffects, in the order the rules prescribe.
class Game : private TimerTarget {
    // The game's state. Only the engine writes it; the tests reach it through
    // their own friend.
    GameState st_;

public:
    Game(GameEffects &effects, Random &rng, const Clock &clock);
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;

    // The state, for reading.
    const GameState &st = st_;

    // ---- The game's timers ----
    // The hub that polls them; the program's wake-up timer drives it.
    TimerHub &timerHub() { return timers_; }
    // The change-over countdown or the victory pause is running: the boards
    // are under a banner.
    bool changeOverRunning() const { return changeOverTimer_.isEnabled(); }
    // The title picture's ship sails again (no game runs).
    void resumeTitleAnimation() { animationTimer_.enable(); }
    // Starts or stops the computer's move timer.
    void scheduleComputerMoves(bool on) { computerTimer_.setEnabled(on); }
    // Who is told of a tick of the computer's timer, and of a frame of the
    // title animation (with the whole 10 ms intervals elapsed); nobody when null.
    void setComputerMoveTarget(TimerTarget *target) { computerTimer_.setTarget(target); }
    void setAnimationTarget(TimerTarget *target) { animationTimer_.setTarget(target); }

    GameEffects &effects() { return effects_; }
    Random &rng() { return rng_; }

    // ---- Grid queries and fleet rules (pure) ----
    static int shipLength(const Grid &grid, int x, int y);
    static ShipCounts countShips(const Grid &grid, int threshold);
    static bool canSetShipCell(const Grid &grid, int x, int y, bool strict);
    static void placeShipsRandomly(Grid &grid, Random &rng);
    static bool isCompleteFleet(const ShipCounts &counts);
    // The 100 digits of a grid, row by row from the top, each row left to right.
    static QString fleetDigits(const Grid &grid);

    // ---- What the player chose, the settings and the dialogs ----
    // The wizard's choices: two at one PC and against the computer are then
    // ready to start; a network game keeps the local player's name, role and
    // the host address while the connection is made.
    void takeChoices(const GameChoices &choices);
    // The names of the last game are forgotten (the wizard opens, a
    // connection that had not started a game ends).
    void forgetPlayerNames();
    // The values read from the settings file.
    void applySettings(const StoredSettings &stored);
    // The sounds of a shot into the water and of a hit.
    void setShotSounds(const std::array<int, 2> &sounds);
    // The colours of the cell codes 1..3; the boards are redrawn if they
    // changed and a board with cells is shown (not under a banner).
    void setCellColors(const std::array<std::uint32_t, 4> &colors);

    // ---- Game start, status line, drawing ----
    void startGame();
    // startGame, then the status line greets namePlayer (-1: the player
    // whose turn it is) and the boards and the info panel are drawn.
    void beginGame(int namePlayer);
    // How strongly the computer plays from its next shot on; a value that is
    // no level gives clNormal.
    void setComputerLevel(int level);
    // The status line for the state as it is.
    QString statusText() const;
    // Shows statusText() in the status line.
    void showStatusText();
    // Redraws the boards; in gpNoGame the status line is refreshed first.
    void drawScreen(bool present);
    // Whose boards are shown: currentPlayer (two at one PC), localPlayer
    // (network), 0 (against the computer).
    int viewedPlayer() const;
    static int viewedPlayerOf(const GameState &st);
    // Is it the turn of a human at this screen?
    bool isLocalTurn() const;

    // ---- Placement ----
    void clearPlayField();
    void removeAllShips();
    void placeAllShipsRandomly();
    // Whether "Alle Schiffe entfernen" and "Schiffe zufällig platzieren" are shown.
    bool placementItemsVisible() const;

    // ---- The player's hand on the boards ----
    // The board on which a press does something now: the own board while
    // placing, the control board on a local turn; none during a change-over
    // or victory pause, while waiting for the peer's fleet, on the peer's or
    // the computer's turn and without a running game.
    std::optional<Board> boardTakingPresses() const;
    // A press on a cell, or a drag over it with a button held: on the own
    // board while placing (Set a ship cell, Clear it), on the control board
    // a shot (Set only) while firing. Anything else is ignored.
    void pressCell(Board board, CellPos cell, CellPress press);
    // The pointer rests over a cell without a button held: the hover frame.
    void hoverCell(Board board, CellPos cell);
    // The pointer is over the boards' surface but on no cell.
    void hoverNoCell();
    // The pointer left the boards' surface: no hover frame any more.
    void leaveBoards();

    // ---- Firing ----
    // One shot of currentPlayer. A cell outside the field or already shot, or
    // any shot in gpFinished, is refused (returns false) and changes nothing.
    bool fireAt(int x, int y);
    int hits(int player) const;
    // Cells of a controlField that hold a hit or a sunk ship.
    static int hitCells(const Grid &control);
    // Hit ratio in percent, rounded half to even; nothing while no shot was fired.
    std::optional<int> hitRatio(int player) const;
    static int roundHalfToEven(long long numerator, long long denominator);

    // ---- The network peer ----
    // The peer's name (checked by the caller) in its slot and among the
    // recent names.
    void takePeerName(const QString &name);
    // The peer's fleet, with the host's draw of who starts when this side is
    // the guest. Firing begins if the local fleet is in as well.
    void takePeerFleet(const Grid &fleet, int startPlayer);
    // A shot of the peer. A pause still running is ended first; a shot out
    // of turn or at a cell already shot changes nothing and returns false.
    bool takePeerShot(int x, int y);

    // ---- Game flow ----
    // A game is running: "Neu" and closing ask first.
    bool gameRunning() const;
    // "Neu" after the question: stop all timers, back to the title picture.
    void abandonGame();
    // The player confirms (the Enter key): placing done, hand over, or the
    // end banner closed.
    void confirm();
    // A tick of the change-over timer: the next countdown frame, or the hand-over.
    void changeOverTick();

private:
    friend struct GameTestAccess;
    void timerFired(GameTimer &, int) override { changeOverTick(); }
    // Where the hover frame may go for a cell of a board (NoCell: nowhere).
    void hoverCandidate(CellPos candidate);

    TimerHub timers_;
    GameTimer changeOverTimer_; // change-over countdown and victory pause
    GameTimer computerTimer_;   // the computer's moves
    GameTimer animationTimer_;  // info panel animation
    // The change-over countdown: seconds still to show.
    int countdown_ = 0;
    // Both fleets of a network game are in: firing begins.
    void bothFleetsIn();
    void markSunk(Grid &control, int x, int y);
    // Every ship of the fleet is marked sunk on a controlField.
    static bool foundAllShips(const Grid &control);
    // While placing: placed once currentPlayer's field holds exactly the
    // fleet, placing again otherwise. After every change of that field.
    void updatePlacementPhase();
    // Player numbers as indices, safe whatever the state holds.
    int cur() const { return st_.currentPlayer & 1; }
    int local() const { return st_.localPlayer & 1; }
    // May currentPlayer fire at (x, y): on the field and never shot at.
    bool freeTarget(int x, int y) const;
    // The board on which hoverCell was taken: the viewed player, and the left
    // board (placing) or the right one (firing). The hover frame belongs to
    // it and is dropped when the boards are drawn for another.
    int hoverBoard() const;
    int hoverBoard_ = -1;

    GameEffects &effects_;
    Random &rng_;
};
