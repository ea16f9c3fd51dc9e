#pragma once

#include <QImage>

// The open sea under a cloudy sky, rendered per pixel: a cloud layer and a
// wavy sea plane seen in perspective, the sea reflecting the sky.
namespace Seascape {

constexpr int Width = 880;
constexpr int Height = 480;
constexpr int Horizon = 238;

// supersample: samples per pixel along each axis.
QImage render(int supersample);

// The title picture: the seascape with the lettering and the small logo.
QImage title(const QImage &sea, const QImage &logo);

// The board background: the seascape washed out, darker on the right half.
QImage board(const QImage &sea);

} // namespace Seascape
