#pragma once

#include <QImage>

// The open sea under a cloudy sky, rendered per pixel: a cloud layer and a
// wavy sea plane seen in perspective, the sea reflecting the sky.
namespace Seascape {

constexpr int Width = 880;
constexpr int Height = 480;
constexpr int Horizon = 238;

// supersample: samples per pixel along each axis. scale 2 renders the same
// scene at twice the size, for high-density screens; the functions below
// take the scale of the pictures they are given.
QImage render(int supersample, int scale = 1);

// The title picture: the seascape with the lettering and the small logo (the
// logo at the same scale).
QImage title(const QImage &sea, const QImage &logo, int scale = 1);

// The board background: the seascape washed out, darker on the right half.
QImage board(const QImage &sea, int scale = 1);

} // namespace Seascape
