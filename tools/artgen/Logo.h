#pragma once

#include <QImage>

// The program's mark: a round emblem (a sailing boat cutting through waves,
// its wake behind it) and the stacked lettering KIEL / WANZ.
namespace Logo {

// 142 x 63, black and pure colours on white. The about banner ANDs it onto a
// gradient, so every channel is kept to values of the form 256 - 2^k: a
// bitwise AND with such a value never drops below it by more than the
// gradient's own low bits, which keeps antialiased edges smooth.
// scale 2 gives the same picture at twice the size, for high-density screens.
QImage logo(int scale = 1);

// The emblem alone in full colour with a transparent surround.
QImage icon(int size);

} // namespace Logo
