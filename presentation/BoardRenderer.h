#pragma once

#include "game/GameState.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;

// Composes the board surface (881 x 481) from the game state: the title
// picture while no game runs, otherwise both boards with grid, labels, cells,
// hover and last-shot marks, and the banners drawn over them. It draws into any
// QImage of the surface's size, so it can be tested and timed without a window.
// The target's device pixel ratio decides the artwork's resolution; the
// pictures are decoded when first needed, not at start.
class BoardRenderer {
public:
    static constexpr int Width = 881;
    static constexpr int Height = 481;

    BoardRenderer();

    // The picture sheet at 1x: 0 the title picture, 1 the board background.
    // Decoded on the first call; drawing does not keep them.
    const QImage &picture(int index) const;
    // True when a picture was missing from the resources and a painted
    // stand-in is used instead.
    bool isStandIn(int index) const;

    // 0: board font (Arial 20 pt, black, bold); 1: banner font (Arial 60 pt,
    // red, bold); any other kind only resets name and bold style.
    void setScreenFont(int kind);
    const QFont &screenFont() const { return font_; }
    QColor screenFontColor() const { return fontColor_; }

    // The whole surface for the current phase (no present).
    void drawScreen(QImage &target, const GameState &st, bool changeOverRunning);
    // The banner box centred on the surface: outline grown by one pixel in
    // black, white blended in at 150/255.
    void drawInfoRectangle(QImage &target, int w, int h);
    // Banners over the boards already composed in target.
    void drawChangeOverBanner(QImage &target, const GameState &st, int seconds);
    void drawFoundAllBanner(QImage &target, const GameState &st);
    void drawGameEndBanner(QImage &target);

    // The text, or its longest prefix followed by "..." (dropping at least two
    // characters) that fits into maxWidth pixels.
    static QString fitTextWithEllipsis(const QString &text, const QFont &font, int maxWidth);
    // Stored colours keep red in the low byte; the surface wants it high.
    static std::uint32_t swapRedBlue(std::uint32_t c)
    {
        return ((c & 0xFF) << 16) + (((c >> 8) & 0xFF) << 8) + ((c >> 16) & 0xFF);
    }
    // A colour value with red in the low byte as the surface shows it.
    static QColor storedColor(std::uint32_t c) { return QColor::fromRgb(swapRedBlue(c) | 0xFF000000u); }
    // Font sizes are given in points at 96 dpi, rounded like the Windows
    // font mapper does (20 pt = 27 px).
    static int pointsToPixels(int points) { return (points * 96 + 36) / 72; }
    static QFont arialFont(int points, bool bold, bool italic = false);

private:
    void buildTitleFrame(qreal ratio);
    void buildStaticLayer(qreal ratio);
    void textOut(QPainter &p, int x, int y, const QString &text) const;
    void textCentredIn(QPainter &p, const QRect &square, const QString &text) const;
    // Text centred across the surface, its top at y, in the painter's font.
    void textCentredAt(QPainter &p, int y, const QString &text) const;
    // Every banner: the box over the boards and the banner font, at its own
    // size when one is given.
    void beginBanner(QImage &target, int points = 0);

    mutable QImage pictures_[2];
    mutable bool standIn_[2] = {false, false};
    // The title picture with its edges carried on to the surface's size: the
    // title screen is this very image, shared, not a copy of it.
    QImage titleFrame_;
    // Picture 1 with the grid, numbers, letters and captions: they never
    // change, so they are drawn once and copied with the picture.
    QImage staticLayer_;
    QFont font_;
    QColor fontColor_;
};
