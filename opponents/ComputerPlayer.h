#pragma once

#include "game/Game.h"

// The computer opponent of "Ein Spieler gegen den Computer" (player 1). It
// keeps no state of its own: each tick of computerTimer looks only at the
// computer's controlField, computerLastHit and winner, chooses one cell for
// the level in computerLevel, and fires it through Game::fireAt.
//
// The main window needs only:  ComputerPlayer cp(game);
class ComputerPlayer : private TimerTarget {
public:
    // From now on every tick of the computer's timer is a turn.
    explicit ComputerPlayer(Game &game);
    ~ComputerPlayer();
    ComputerPlayer(const ComputerPlayer &) = delete;
    ComputerPlayer &operator=(const ComputerPlayer &) = delete;

    // One tick of the computer's timer: at most one shot.
    void takeTurn();

    // The cell the computer fires at next, from what it learnt so far, or
    // NoCell when no cell is worth a shot (every ship found). Makes every
    // draw of the strategy on rng, in order.
    static CellPos chooseCell(const Grid &control, CellPos lastHit, Random &rng);
    // The same for any level: "Normal" is chooseCell above.
    static CellPos chooseCell(ComputerLevelT level, const Grid &control, CellPos lastHit, Random &rng);
    // "Leicht": a random cell not known to be water; while a ship is hit but
    // not sunk, a random one of the hits' neighbours, wherever the line runs.
    static CellPos chooseEasyCell(const Grid &control, Random &rng);
    // "Schwer": the unshot cell that the most placements of the ships afloat
    // cover, placements through the hits of an unsunk ship counting far more.
    static CellPos chooseHardCell(const Grid &control, Random &rng);

    // Ships of each length 1..4 that are not sunk yet, judged from the sunk
    // ships marked on a controlField.
    static ShipCounts shipsAfloat(const Grid &control);

private:
    void timerFired(GameTimer &, int) override { takeTurn(); }

    Game &game_;
};
