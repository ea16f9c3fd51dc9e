#include "presentation/BoardCursor.h"

#include <algorithm>

BoardCursor::BoardCursor(Game &game, QObject *parent) : QObject(parent), game_(game) {}

bool BoardCursor::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    // The keypad's arrows count as arrows; with Ctrl, Alt or Shift the keys
    // belong to someone else.
    if (modifiers & ~Qt::KeypadModifier)
        return false;
    static constexpr int keys[] = {Qt::Key_Left,  Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                                   Qt::Key_Home,  Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown,
                                   Qt::Key_Space, Qt::Key_Delete};
    if (std::find(std::begin(keys), std::end(keys), key) == std::end(keys))
        return false;
    const std::optional<Board> board = game_.boardTakingPresses();
    if (!board)
        return true;

    CellPos &c = cells_[slot(*board)];
    // The hover frame lies on the board that takes presses: the mouse put it
    // there last, and the keyboard goes on from it.
    if (game_.st.hoverCell != NoCell)
        c = game_.st.hoverCell;
    constexpr int last = BoardSize - 1;
    switch (key) {
    case Qt::Key_Left:
        c.x = std::max(c.x - 1, 0);
        break;
    case Qt::Key_Right:
        c.x = std::min(c.x + 1, last);
        break;
    case Qt::Key_Up:
        c.y = std::max(c.y - 1, 0);
        break;
    case Qt::Key_Down:
        c.y = std::min(c.y + 1, last);
        break;
    case Qt::Key_Home:
        c.x = 0;
        break;
    case Qt::Key_End:
        c.x = last;
        break;
    case Qt::Key_PageUp:
        c.y = 0;
        break;
    case Qt::Key_PageDown:
        c.y = last;
        break;
    default:
        break;
    }
    // Hover first: a press redraws with the frame where the cursor is.
    const CellPos at = c;
    game_.hoverCell(*board, at);
    if (key == Qt::Key_Space || key == Qt::Key_Delete)
        game_.pressCell(*board, at, key == Qt::Key_Space ? CellPress::Set : CellPress::Clear);
    emit used();
    return true;
}
