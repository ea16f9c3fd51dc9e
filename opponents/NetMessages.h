#pragma once

#include "game/GameTypes.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The wire format of a network game: the peer's name, the start word, the
// fleet of 100 digits (the host adds the start player as a 101st) and the shot
// of two digits. No length prefix or delimiter is sent, so the receiver cuts
// messages by what its phase expects. Everything here checks what a peer
// sent; none of it trusts the peer.
namespace NetMessages {

inline constexpr char StartWord[] = "%GO%";
inline constexpr int StartWordLength = 4;
inline constexpr int MaxNameLength = 10;
inline constexpr int FleetDigitCount = 100;
inline constexpr int ShotLength = 2;

// Fleet bytes from the host (with the start player) or from the guest.
constexpr int fleetLength(bool fromHost)
{
    return FleetDigitCount + (fromHost ? 1 : 0);
}

// A name is 1 to 10 printable characters of Windows-1252.
bool isValidName(const QString &name);
bool isPrintableNameChar(QChar c);

// Whether the bytes seen so far can still begin a valid fleet message.
bool isFleetPrefix(QByteArrayView bytes, bool fromHost);
// A complete fleet message as a grid (0 water, 2 ship), or nothing when a
// byte is not an allowed digit or the ships are not a legal fleet. The start
// player digit of the host's message is left to the caller.
std::optional<Grid> parseFleet(QByteArrayView bytes, bool fromHost);
// A legal fleet: every ship straight, 1 to 4 cells long, no two ships
// sharing an edge, and 4, 3, 2, 1 ships of the lengths 1, 2, 3, 4.
bool isLegalFleet(const Grid &grid);

// A shot message as a cell, or nothing if either byte is not a digit.
std::optional<CellPos> parseShot(QByteArrayView bytes);

} // namespace NetMessages
