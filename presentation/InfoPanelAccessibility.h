#pragma once

#include "game/GameState.h"

#include <QObject>
#include <QString>

#include <array>

class DrawingSurface;
class QAccessibleInterface;

// The info panel ("DXDraw_Info") in the accessibility tree: two static
// texts, one for each half of the panel, in the order they are drawn. While
// firing each tells a player's name, shots, hit rate and how many of that
// player's ships still float; while placing the first tells how many ships
// the placing player has set up. A text whose words change is reported
// after the frame that shows the change.
class InfoPanelAccessibility : public QObject {
    Q_OBJECT
public:
    InfoPanelAccessibility(DrawingSurface &surface, const GameState &st);

    // Lets Qt ask this for the info panel's interface; once per program.
    static void installFactory();

    // The words for one half of the panel (0 left, 1 right); empty when it
    // shows nothing of a game.
    static QString halfText(const GameState &st, int half);

    const GameState &state() const { return st_; }
    // The interface Qt made for the panel (set by it, cleared when it goes).
    void setExposed(QAccessibleInterface *panelInterface);
    // Sends a name change for each half whose words changed.
    void reportChanges();

private:
    const GameState &st_;
    QAccessibleInterface *exposed_ = nullptr;
    std::array<QString, 2> texts_;
};
