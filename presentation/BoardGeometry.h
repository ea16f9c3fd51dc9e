#pragma once

#include "game/Game.h"

#include <QPoint>
#include <QRect>

#include <optional>

// Where the two boards lie on the board surface (881 x 481): ten by ten cells
// of 40 pixels from y 80, the own board ("Spielfeld") from x 40, the control
// board ("Kontrollfeld") from x 480. The one place that maps between the
// surface's pixels and the game's cells.
namespace BoardGeometry {

constexpr int Cell = 40;

// The cell's square, its grid lines included at the top and left.
inline QRect cellRect(Board board, CellPos c)
{
    return {(board == Board::Own ? 40 : 480) + Cell * c.x, 80 + Cell * c.y, Cell, Cell};
}

inline QPoint cellCentre(Board board, CellPos c)
{
    return cellRect(board, c).center() + QPoint(1, 1);
}

struct BoardCell {
    Board board;
    CellPos cell;
};

// The cell under a pixel. The bounds are exclusive: a pixel on a board's
// outer grid line is on no cell.
inline std::optional<BoardCell> cellAt(QPoint p)
{
    const int X = p.x(), Y = p.y();
    if (X > 40 && X < 440 && Y > 80 && Y < 480)
        return BoardCell{Board::Own, {(X - 40) / Cell, (Y - 80) / Cell}};
    if (X > 480 && X < 880 && Y > 80 && Y < 480)
        return BoardCell{Board::Control, {(X - 480) / Cell, (Y - 80) / Cell}};
    return std::nullopt;
}

// A mouse button pressed at a pixel: the left button sets a ship cell or
// fires, the right and the middle one clear; other buttons do nothing.
inline void pressAt(Game &game, Qt::MouseButton button, QPoint pixel)
{
    CellPress press;
    switch (button) {
    case Qt::LeftButton:
        press = CellPress::Set;
        break;
    case Qt::RightButton:
    case Qt::MiddleButton:
        press = CellPress::Clear;
        break;
    default:
        return;
    }
    if (const auto at = cellAt(pixel))
        game.pressCell(at->board, at->cell, press);
}

// The mouse moved to a pixel: with the left or the right button held it
// presses there (the left one wins), otherwise it hovers.
inline void moveTo(Game &game, Qt::MouseButtons buttons, QPoint pixel)
{
    if (buttons.testAnyFlags(Qt::LeftButton | Qt::RightButton)) {
        pressAt(game, buttons.testFlag(Qt::LeftButton) ? Qt::LeftButton : Qt::RightButton, pixel);
        return;
    }
    if (const auto at = cellAt(pixel))
        game.hoverCell(at->board, at->cell);
    else
        game.hoverNoCell();
}

} // namespace BoardGeometry
