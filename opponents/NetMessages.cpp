#include "opponents/NetMessages.h"

#include "opponents/Cp1252.h"

namespace NetMessages {

bool isPrintableNameChar(QChar c)
{
    return Cp1252::canEncode(c) && c.isPrint();
}

bool isValidName(const QString &name)
{
    if (name.isEmpty() || name.size() > MaxNameLength)
        return false;
    for (QChar c : name)
        if (!isPrintableNameChar(c))
            return false;
    return true;
}

static bool fleetByteOk(char b, int index)
{
    if (index < FleetDigitCount)
        return b == '0' || b == '2';
    return b == '0' || b == '1'; // the host's start player
}

bool isFleetPrefix(QByteArrayView bytes, bool fromHost)
{
    if (bytes.size() > fleetLength(fromHost))
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (!fleetByteOk(bytes[i], static_cast<int>(i)))
            return false;
    return true;
}

std::optional<Grid> parseFleet(QByteArrayView bytes, bool fromHost)
{
    if (bytes.size() != fleetLength(fromHost) || !isFleetPrefix(bytes, fromHost))
        return std::nullopt;
    Grid grid;
    for (int k = 0; k < FleetDigitCount; ++k)
        grid.at(k % 10, k / 10) = bytes[k] == '2' ? pfShip : pfWater;
    if (!isLegalFleet(grid))
        return std::nullopt;
    return grid;
}

bool isLegalFleet(const Grid &grid)
{
    // Ships are the edge-connected groups of ship cells; each must be one
    // straight run. Walking from a group's top-left cell right or down and
    // then checking that no cell of the group lies elsewhere does that.
    ShipCounts counts{0, 0, 0, 0, 0};
    Grid seen;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (!grid.isShip(x, y) || seen.at(x, y))
                continue;
            // (x, y) is the first cell of a new group in reading order, so
            // nothing of it lies above or to the left in a straight ship.
            const bool vertical = grid.isShip(x, y + 1);
            const int dx = vertical ? 0 : 1, dy = vertical ? 1 : 0;
            int length = 0;
            while (grid.isShip(x + length * dx, y + length * dy))
                ++length;
            if (length > 4)
                return false;
            for (int k = 0; k < length; ++k) {
                const int cx = x + k * dx, cy = y + k * dy;
                seen.at(cx, cy) = 1;
                // Any ship cell beside the run (or before its start) would
                // bend the ship or join another one to it.
                if (grid.isShip(cx + dy, cy + dx) || grid.isShip(cx - dy, cy - dx))
                    return false;
            }
            if (grid.isShip(x - dx, y - dy))
                return false;
            ++counts[length];
        }
    }
    for (int length = 1; length <= 4; ++length)
        if (counts[length] != RequiredShips(length))
            return false;
    return true;
}

std::optional<CellPos> parseShot(QByteArrayView bytes)
{
    if (bytes.size() != ShotLength)
        return std::nullopt;
    const char a = bytes[0], b = bytes[1];
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return std::nullopt;
    return CellPos{a - '0', b - '0'};
}

} // namespace NetMessages
