#include "opponents/ComputerPlayer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Left, up, down, right: the order in which neighbours are looked at decides
// which line of hits is followed and the order of the candidate list.
constexpr int kDirections[4][2] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};

bool onField(CellPos c)
{
    return c.x >= 0 && c.x <= 9 && c.y >= 0 && c.y <= 9;
}

bool strictFree(const Grid &g, int x, int y)
{
    return Game::canSetShipCell(g, x, y, true);
}

// The free line through (x, y) along one axis: the cell itself and the
// strict-passing cells that follow it on both sides, capped at the longest ship.
int freeSpan(const Grid &g, int x, int y, int dx, int dy)
{
    int span = 1;
    for (int s = -1; s <= 1; s += 2)
        for (int k = 1; strictFree(g, x + s * k * dx, y + s * k * dy); ++k)
            ++span;
    return std::min(span, 4);
}

// Whether some ship still afloat fits into a free line of the given length.
bool shipFits(const ShipCounts &afloat, int span)
{
    for (int length = 1; length <= span && length <= 4; ++length)
        if (afloat[length] > 0)
            return true;
    return false;
}

// Target mode: computerLastHit holds a hit on a ship that is not sunk yet.
CellPos targetCell(const Grid &control, CellPos a, const ShipCounts &afloat, Random &rng)
{
    int dx = 0, dy = 0;
    for (const auto &d : kDirections) {
        if (control.get(a.x + d[0], a.y + d[1]) == cfHit) {
            dx = d[0];
            dy = d[1];
            break;
        }
    }

    if (dx != 0 || dy != 0) {
        // Two or more hits in a line: extend it at one of its ends.
        CellPos c{a.x + dx, a.y + dy};
        while (control.get(c.x + dx, c.y + dy) == cfHit) {
            c.x += dx;
            c.y += dy;
        }
        const CellPos behind{a.x - dx, a.y - dy};
        const CellPos beyond{c.x + dx, c.y + dy};
        if (!Game::canSetShipCell(control, behind.x, behind.y, false))
            return beyond;
        if (!Game::canSetShipCell(control, beyond.x, beyond.y, false))
            return behind;
        return rng.random(2) == 0 ? behind : beyond;
    }

    // A single hit: try the neighbours along each axis where a ship still
    // afloat has room. The hit itself is cleared on a copy so that it does not
    // block its own neighbours in the strict test.
    Grid g = control;
    g.at(a.x, a.y) = cfUnknown;
    const bool verticalOpen = shipFits(afloat, freeSpan(g, a.x, a.y, 0, 1));
    const bool horizontalOpen = shipFits(afloat, freeSpan(g, a.x, a.y, 1, 0));
    std::vector<CellPos> candidates;
    for (const auto &d : kDirections) {
        const bool open = d[0] != 0 ? horizontalOpen : verticalOpen;
        if (open && strictFree(g, a.x + d[0], a.y + d[1]))
            candidates.push_back({a.x + d[0], a.y + d[1]});
    }
    if (candidates.empty())
        return NoCell;
    const int i = rng.random(static_cast<int>(candidates.size()));
    return candidates[std::clamp<std::size_t>(i, 0, candidates.size() - 1)];
}

// Hunt mode: draw unknown cells until one lies on a free line that a ship
// still afloat fits into.
CellPos huntCell(const Grid &control, const ShipCounts &afloat, Random &rng)
{
    std::vector<CellPos> cells;
    cells.reserve(100);
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if (control.at(x, y) == cfUnknown)
                cells.push_back({x, y});

    while (!cells.empty()) {
        const int drawn = rng.random(static_cast<int>(cells.size()));
        const auto it = cells.begin() + std::clamp<std::ptrdiff_t>(drawn, 0, cells.size() - 1);
        const CellPos cell = *it;
        cells.erase(it);
        if (!strictFree(control, cell.x, cell.y))
            continue;
        const int span =
            std::max(freeSpan(control, cell.x, cell.y, 1, 0), freeSpan(control, cell.x, cell.y, 0, 1));
        if (shipFits(afloat, span))
            return cell;
    }
    return NoCell;
}

// Cells that cannot hold a ship: water, sunk ships and their edge
// neighbours. Corners stay open, because ships may touch there.
bool knownEmpty(const Grid &g, int x, int y)
{
    const int code = g.get(x, y);
    if (code == cfWater || code == cfSunk)
        return true;
    for (const auto &d : kDirections)
        if (g.get(x + d[0], y + d[1]) == cfSunk)
            return true;
    return false;
}

bool besideHit(const Grid &g, int x, int y)
{
    for (const auto &d : kDirections)
        if (g.get(x + d[0], y + d[1]) == cfHit)
            return true;
    return false;
}

CellPos drawFrom(const std::vector<CellPos> &cells, Random &rng)
{
    if (cells.empty())
        return NoCell;
    const int i = rng.random(static_cast<int>(cells.size()));
    return cells[std::clamp<std::size_t>(i, 0, cells.size() - 1)];
}

} // namespace

ComputerPlayer::ComputerPlayer(Game &game) : game_(game)
{
    game_.setComputerMoveTarget(this);
}

ComputerPlayer::~ComputerPlayer()
{
    // The timer belongs to the game, which may outlive this player.
    game_.setComputerMoveTarget(nullptr);
}

ShipCounts ComputerPlayer::shipsAfloat(const Grid &control)
{
    const ShipCounts sunk = Game::countShips(control, 1);
    ShipCounts afloat{0, 0, 0, 0, 0};
    for (int length = 1; length <= 4; ++length)
        afloat[length] = std::max(0, RequiredShips(length) - sunk[length]);
    return afloat;
}

CellPos ComputerPlayer::chooseCell(const Grid &control, CellPos lastHit, Random &rng)
{
    const ShipCounts afloat = shipsAfloat(control);
    if (!shipFits(afloat, 4))
        return NoCell; // every ship found: nothing to draw, nothing to fire

    if (onField(lastHit) && control.at(lastHit.x, lastHit.y) == cfHit) {
        const CellPos cell = targetCell(control, lastHit, afloat, rng);
        // Only a grid that no game can produce leaves target mode without a
        // cell to shoot; hunting then keeps the game going.
        if (onField(cell) && control.at(cell.x, cell.y) == cfUnknown)
            return cell;
    }
    return huntCell(control, afloat, rng);
}

CellPos ComputerPlayer::chooseCell(ComputerLevelT level, const Grid &control, CellPos lastHit, Random &rng)
{
    switch (level) {
    case clEasy:
        return chooseEasyCell(control, rng);
    case clHard:
        return chooseHardCell(control, rng);
    default:
        return chooseCell(control, lastHit, rng);
    }
}

CellPos ComputerPlayer::chooseEasyCell(const Grid &control, Random &rng)
{
    if (!shipFits(shipsAfloat(control), 4))
        return NoCell;
    std::vector<CellPos> open, targets;
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            if (control.at(x, y) != cfUnknown || knownEmpty(control, x, y))
                continue;
            open.push_back({x, y});
            if (besideHit(control, x, y))
                targets.push_back({x, y});
        }
    }
    return drawFrom(targets.empty() ? open : targets, rng);
}

CellPos ComputerPlayer::chooseHardCell(const Grid &control, Random &rng)
{
    const ShipCounts afloat = shipsAfloat(control);
    if (!shipFits(afloat, 4))
        return NoCell;
    // Each hit of an unsunk ship that a placement covers multiplies its
    // weight by more than all placements through one cell can add up to
    // without that hit (2 L placements of length L, times the 5 - L ships of
    // that length: 40 together), so the hit ship is finished first. A
    // placement covers three hits at most: 40 * 10000^3 fits easily.
    constexpr long long HitFactor = 10000;
    std::array<long long, 100> weight{};
    for (int length = 1; length <= 4; ++length) {
        if (afloat[length] == 0)
            continue;
        // A ship of one cell has a single placement, not one per direction.
        for (int d = 0; d < (length == 1 ? 1 : 2); ++d) {
            const int dx = d == 0 ? 1 : 0, dy = 1 - dx;
            for (int x = 0; x + dx * (length - 1) < 10; ++x) {
                for (int y = 0; y + dy * (length - 1) < 10; ++y) {
                    int hits = 0;
                    bool fits = true;
                    for (int k = 0; k < length && fits; ++k) {
                        const int cx = x + k * dx, cy = y + k * dy;
                        hits += control.at(cx, cy) == cfHit;
                        // A hit beside the ship belongs to it, so must lie in it.
                        fits = !knownEmpty(control, cx, cy) && control.get(cx + dy, cy + dx) != cfHit &&
                               control.get(cx - dy, cy - dx) != cfHit;
                    }
                    fits = fits && hits < length && control.get(x - dx, y - dy) != cfHit &&
                           control.get(x + length * dx, y + length * dy) != cfHit;
                    if (!fits)
                        continue;
                    long long w = afloat[length];
                    for (int h = 0; h < hits; ++h)
                        w *= HitFactor;
                    for (int k = 0; k < length; ++k)
                        weight[(x + k * dx) * 10 + y + k * dy] += w;
                }
            }
        }
    }
    // The unshot cells of the highest weight, x outer and y inner.
    std::vector<CellPos> best;
    long long top = -1;
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            if (control.at(x, y) != cfUnknown || weight[x * 10 + y] < top)
                continue;
            if (weight[x * 10 + y] > top)
                best.clear();
            top = weight[x * 10 + y];
            best.push_back({x, y});
        }
    }
    return drawFrom(best, rng);
}

void ComputerPlayer::takeTurn()
{
    const GameState &st = game_.st;
    // Once the human has found every ship the computer fires on misses too;
    // otherwise only the outcome of this shot starts the timer again.
    game_.scheduleComputerMoves(st.winner == 0);

    CellPos cell = NoCell;
    if (st.gameMode == gmPCMode && st.gamePhase == gpFiring && st.currentPlayer == 1)
        cell = chooseCell(st.computerLevel, st.controlField[1], st.computerLastHit, game_.rng());
    if (cell != NoCell && game_.fireAt(cell.x, cell.y))
        return;

    // Nothing fired: a tick out of turn, or after the computer found every
    // ship. Its timer stays off.
    game_.scheduleComputerMoves(false);
}
