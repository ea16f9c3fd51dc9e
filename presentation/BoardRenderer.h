#pragma once

#include "game/GameState.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;

// Composes the board surface DXDraw (881 x 481) from the game state: the title
// picture while no game runs, otherwise both boards with grid, labels, cells,
// hover and last-shot marks, and the banners drawn over them. It draws into any
// QImage of the surface's size, so it can be tested and timed without a window.
class BoardRenderer {
public:
    static constexpr int Width = 881;
    static constexpr int Height = 481;
    static constexpr int Cell = 40;

    BoardRenderer();

    // Picture sheet DXImageList1: 0 the title picture, 1 the board background.
    const QImage &Picture(int index) const { return index == 0 ? title_ : board_; }
    // True when a picture was missing from the resources and a painted
    // stand-in is used instead.
    bool IsStandIn(int index) const { return index == 0 ? titleStandIn_ : boardStandIn_; }

    // 0: board font (Arial 20 pt, black, bold); 1: banner font (Arial 60 pt,
    // red, bold); any other kind only resets name and bold style.
    void SetScreenFont(int kind);
    const QFont &ScreenFont() const { return font_; }
    QColor ScreenFontColor() const { return fontColor_; }

    // The whole surface for the current phase (no present).
    void DrawScreen(QImage &target, const GameState &st, bool dxTimerRunning);
    // The banner box centred on the surface: outline grown by one pixel in
    // black, white blended in at 150/255.
    void DrawInfoRectangle(QImage &target, int w, int h);
    // Banners over the boards already composed in target.
    void DrawChangeOverBanner(QImage &target, const GameState &st, int seconds);
    void DrawFoundAllBanner(QImage &target, const GameState &st);
    void DrawGameEndBanner(QImage &target);

    // The text, or its longest prefix followed by "..." (dropping at least two
    // characters) that fits into maxWidth pixels.
    static QString FitTextWithEllipsis(const QString &text, const QFont &font, int maxWidth);
    // Stored colours keep red in the low byte; the surface wants it high.
    static std::uint32_t SwapRedBlue(std::uint32_t c)
    {
        return ((c & 0xFF) << 16) + (((c >> 8) & 0xFF) << 8) + ((c >> 16) & 0xFF);
    }
    // A colour value with red in the low byte as the surface shows it.
    static QColor StoredColor(std::uint32_t c) { return QColor::fromRgb(SwapRedBlue(c) | 0xFF000000u); }
    // Font sizes are given in points at 96 dpi, rounded like the Windows
    // font mapper does (20 pt = 27 px).
    static int PointsToPixels(int points) { return (points * 96 + 36) / 72; }
    static QFont ArialFont(int points, bool bold, bool italic = false);

    // Cell (x, y) of the left ("Spielfeld") and right ("Kontrollfeld") board.
    static QRect LeftCellRect(int x, int y) { return {Cell * (x + 1), Cell * (y + 2), Cell, Cell}; }
    static QRect RightCellRect(int x, int y) { return {Cell * (x + 12), Cell * (y + 2), Cell, Cell}; }

private:
    void buildStaticLayer();
    void textOut(QPainter &p, int x, int y, const QString &text) const;
    void textCentredIn(QPainter &p, const QRect &square, const QString &text) const;
    // Text centred across the surface, its top at y, in the painter's font.
    void textCentredAt(QPainter &p, int y, const QString &text) const;
    // Every banner: the box over the boards and the banner font, at its own
    // size when one is given.
    void beginBanner(QImage &target, int points = 0);

    QImage title_;
    QImage board_;
    // Picture 1 with the grid, numbers, letters and captions: they never
    // change, so they are drawn once and copied with the picture.
    QImage staticLayer_;
    bool titleStandIn_ = false;
    bool boardStandIn_ = false;
    QFont font_;
    QColor fontColor_;
};
