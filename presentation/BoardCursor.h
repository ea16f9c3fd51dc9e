#pragma once

#include "game/Game.h"

#include <QObject>

#include <array>

// The keyboard's hand on the boards: a cursor on the board that takes presses
// now (the own board while placing, the control board on a local turn). The
// arrow keys move it one cell, Home and End to the ends of its row, Page Up
// and Page Down to the ends of its column; Space presses the cell as the left
// button does, Delete as the right one. Moving it hovers the cell, so the
// hover frame shows it; a hover frame the mouse left is where it goes on from.
class BoardCursor : public QObject {
    Q_OBJECT
public:
    explicit BoardCursor(Game &game, QObject *parent = nullptr);

    // A key pressed in the main window; true when it was one of the cursor's
    // keys (it did something only where a click would have).
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    // Where the cursor stands on a board of the player at the screen: the
    // last cell that player used there, A1 at first.
    CellPos cell(Board board) const { return cells_[slot(board)]; }

signals:
    // The cursor moved or pressed; it may stand where it stood.
    void used();

private:
    int slot(Board board) const { return game_.viewedPlayer() * 2 + (board == Board::Own ? 0 : 1); }

    Game &game_;
    std::array<CellPos, 4> cells_{CellPos{0, 0}, CellPos{0, 0}, CellPos{0, 0}, CellPos{0, 0}};
};
