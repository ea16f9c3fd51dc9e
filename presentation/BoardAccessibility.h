#pragma once

#include "game/Game.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class BoardCursor;
class DrawingSurface;
class QAccessibleInterface;

// The boards in the accessibility tree. The board surface ("DXDraw") is
// exposed as two tables of 10 x 10 cells, "Spielfeld" and "Kontrollfeld",
// with the row letters and column numbers as headers. A cell is named by
// what the player at this screen knows: the own fleet and the shots at it,
// and on the control board only the own shots; never a ship not yet hit.
// The keyboard cursor's cell is the focused one. After every frame the
// surface presents, the changes since the last one are reported: the focus,
// cell names, and the banner in words as the surface's description.
class BoardAccessibility : public QObject {
    Q_OBJECT
public:
    BoardAccessibility(DrawingSurface &surface, const Game &game, const BoardCursor &cursor);

    // Lets Qt ask this for the board surface's interface; once per program.
    static void installFactory();

    // "B5, Treffer": row letter, column number, and what is known there.
    static QString cellName(const Game &game, Board board, CellPos cell);
    // The banner over the boards in words (the countdown without its
    // seconds, so that it is announced once); empty without a banner.
    static QString bannerText(const Game &game);

    struct FocusCell {
        Board board;
        CellPos cell;
        bool operator==(const FocusCell &) const = default;
    };
    // The cursor's cell on the board that takes presses, if one does.
    std::optional<FocusCell> focusCell() const;

    const Game &game() const { return game_; }
    DrawingSurface &surface() { return surface_; }

    // The interface Qt made for the surface (set by it, cleared when it goes).
    void setExposed(QAccessibleInterface *surfaceInterface);
    // Sends the accessibility events for what changed since the last call.
    void reportChanges();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What was reported last; the first report after exposing sends nothing.
    void takeSnapshot();

    DrawingSurface &surface_;
    const Game &game_;
    const BoardCursor &cursor_;
    QAccessibleInterface *exposed_ = nullptr;
    std::array<QString, 2 * BoardSize * BoardSize> names_;
    QString banner_;
    std::optional<FocusCell> focus_;
};
