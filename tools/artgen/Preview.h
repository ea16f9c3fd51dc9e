#pragma once

#include <QImage>
#include <QList>

// A contact sheet for judging the artwork in use: the title picture, the board
// with a grid and some coloured cells, the sprites on the info panel's
// gradient (one of them rolled), and the logo on the about banner.
namespace Preview {

QImage compose(const QImage &title, const QImage &board, const QList<QImage> &sprites, const QImage &logo,
               const QImage &icon);

} // namespace Preview
