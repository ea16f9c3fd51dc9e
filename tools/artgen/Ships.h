#pragma once

#include <QImage>

// The ship sprites: side views, bow to the right, on the fuchsia key colour.
namespace Ships {

constexpr QRgb Key = 0xFFFF00FF;

// Sprite index 0..7: 0..3 ships of length 1..4 with a red hull, 4..7 the same
// with a white hull. The result is an 8-bit palettised picture whose pixels
// are either exactly the key colour or fully opaque artwork.
// scale 2 gives the same picture at twice the size, for high-density screens.
QImage sprite(int index, int scale = 1);

// Colours of the plain hull side, e.g. for pixel probes: every sprite shows
// it at (width / 2, 40).
QRgb hullColour(bool red);

} // namespace Ships
