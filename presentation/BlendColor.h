#pragma once

#include <QColor>

#include <cstdint>

// Colours are stored as Windows colour values: red in bits 0-7, green in
// 8-15, blue in 16-23.

// Channel-by-channel linear blend from a (i = 0) to b (i = n); the division
// truncates toward zero. n must not be 0.
constexpr std::uint32_t BlendColor(std::uint32_t a, std::uint32_t b, int i, int n)
{
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = int((a >> shift) & 0xFF);
        const int cb = int((b >> shift) & 0xFF);
        const int c = ca + (cb - ca) * i / n;
        result |= std::uint32_t(c & 0xFF) << shift;
    }
    return result;
}

// A Windows colour value from its three channels.
constexpr std::uint32_t WinRGB(int r, int g, int b)
{
    return std::uint32_t(r & 0xFF) | (std::uint32_t(g & 0xFF) << 8) | (std::uint32_t(b & 0xFF) << 16);
}

// The colour a stored value names, for drawing with Qt.
inline QColor WinColorToQColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
