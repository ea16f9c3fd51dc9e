#pragma once

#include "game/GameState.h"
#include "game/GameTimers.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

class DrawingSurface;
class GameTimer;
class Random;

// The sailing ship of the title animation: x of its centre, its sprite (0-3,
// red hull) and half its vertical travel.
struct SailingShip {
    int x = 0;
    int sprite = 0;
    int amplitude = 0;
};

// The info panel between the status line and the boards: during a
// game rows of little ships (placed, or sunk) and each side's statistics;
// while no game runs a ship sails across it, driven by animationTimer. Every
// frame is composed completely in the surface's back buffer and presented in
// one step.
class InfoPanel : public TimerTarget {
public:
    static constexpr int Width = 881;
    static constexpr int Height = 182;
    // Sprites 0-3: ships of length 1-4 with a red hull; 4-7 the same with a
    // white hull. Every sprite is 50 high and 33 * length + 24 wide.
    using ShipSprites = std::array<QImage, 8>;

    // Without sprites the panel loads them for the surface's device pixel ratio.
    InfoPanel(DrawingSurface &surface, Random &rng, const ShipSprites &sprites = {});

    // ":/assets/ship<k>.png" (or its double-size variant on a high-density
    // screen) with fuchsia as the transparent colour; a sprite that is missing
    // is replaced by a drawn stand-in.
    static ShipSprites loadShipSprites(qreal devicePixelRatio = 1.0);
    static ShipSprites drawnShipSprites();
    // Turns the fuchsia pixels (255, 0, 255) transparent and prepares the
    // picture for fast drawing.
    static QImage prepareSprite(const QImage &picture);
    // The diagonal gradient, light blue at the top left to darker blue at the
    // bottom right, at the given device pixel ratio.
    static QImage buildInfoBackground(qreal devicePixelRatio = 1.0);
    // A sprite's size in logical pixels.
    static QSize logicalSize(const QImage &sprite) { return sprite.deviceIndependentSize().toSize(); }

    // The background as the panel draws it (made on each call).
    QImage infoBackground() const;
    const ShipSprites &sprites() const { return sprites_; }

    // Start values of the sailing ship: left of the panel, a random sprite.
    void resetTitleShip();
    SailingShip titleShip;

    // Composes the panel from the game state and presents it.
    void drawInfo(const GameState &st);
    // After the surface's pixel ratio changed: the panel's own sprites are
    // loaded for the new ratio (given ones are kept); drawInfo follows.
    void adoptPixelRatio();
    // One animation frame; lagCount = whole 10 ms intervals since the last.
    void animate(int lagCount);
    // Where the sailing ship is drawn for its current X: the centre's y and
    // the roll in 1/256 of a full turn (positive: clockwise).
    struct Pose {
        int y;
        int roll;
    };
    static Pose titlePose(const SailingShip &ship);

    // "bisher %d Versuch(e)" with " / Trefferquote: %d%%" once a shot was fired.
    static QString statisticsText(int tries, int hits);
    QFont infoFont() const { return font_; }

private:
    // A tick of the animation timer is one frame.
    void timerFired(GameTimer &, int lagCount) override { animate(lagCount); }
    void drawFleetHalf(QImage &target, int ox, const ShipCounts &counts) const;
    void prepareSprites();

    DrawingSurface &surface_;
    Random &rng_;
    const bool ownSprites_; // loaded here, for the surface's pixel ratio
    ShipSprites sprites_;
    // The gradient's colours by line: the background is painted from them
    // where needed instead of being kept as a picture.
    std::vector<QRgb> gradient_;
    QFont font_;
    bool fullFrame_ = true; // the next animation frame recomposes everything
    QRect lastShip_;        // where the previous frame drew the ship
};
