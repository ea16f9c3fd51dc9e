#include "presentation/BoardRenderer.h"

#include "presentation/Artwork.h"
#include "presentation/BoardGeometry.h"

#include "game/Game.h"

#include "game/Texts.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {

using BoardGeometry::Cell;
constexpr int PictureWidth = 880;
constexpr int PictureHeight = 480;
const QColor Red(255, 0, 0);

// Simple painted pictures for when the artwork is missing from the resources,
// so the program stays usable.
QImage titleStandIn()
{
    QImage img(PictureWidth, PictureHeight, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor(70, 120, 200));
    sky.setColorAt(1, QColor(175, 205, 235));
    p.fillRect(0, 0, PictureWidth, 240, sky);
    QLinearGradient sea(0, 240, 0, PictureHeight);
    sea.setColorAt(0, QColor(40, 90, 150));
    sea.setColorAt(1, QColor(15, 40, 85));
    p.fillRect(0, 240, PictureWidth, PictureHeight - 240, sea);
    p.setFont(BoardRenderer::arialFont(48, true));
    p.setPen(Qt::black);
    p.drawText(QRect(440, 150, 440, 90), Qt::AlignCenter, QStringLiteral("KIELWANZ"));
    return img;
}

QImage boardStandIn()
{
    QImage img(PictureWidth, PictureHeight, QImage::Format_RGB32);
    img.fill(QColor(214, 224, 232));
    QPainter p(&img);
    p.fillRect(440, 0, PictureWidth - 440, PictureHeight, QColor(168, 184, 200));
    return img;
}

const char *const PictureNames[2] = {"title", "board"};

// Picture index at the given device pixel ratio, or its stand-in.
QImage loadPicture(int index, qreal ratio, bool *standIn = nullptr)
{
    QImage img = Artwork::load(QLatin1String(PictureNames[index]), ratio);
    if (standIn)
        *standIn = img.isNull();
    if (img.isNull())
        return index == 0 ? titleStandIn() : boardStandIn();
    return img.convertToFormat(QImage::Format_RGB32);
}

// An empty image of the surface's size at the device pixel ratio.
QImage surfaceImage(qreal ratio)
{
    QImage img(std::ceil(BoardRenderer::Width * ratio), std::ceil(BoardRenderer::Height * ratio),
               QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    return img;
}

// Outline of the rectangle from (l, t) to (r, b), right and bottom excluded,
// with a pen of the given width centred on the edge pixels.
void outline(QPainter &p, int l, int t, int r, int b, int width, const QColor &c)
{
    const int lo = width / 2;
    const int w = r - l;
    const int h = b - t;
    p.fillRect(l - lo, t - lo, w - 1 + width, width, c);     // top
    p.fillRect(l - lo, b - 1 - lo, w - 1 + width, width, c); // bottom
    p.fillRect(l - lo, t - lo, width, h - 1 + width, c);     // left
    p.fillRect(r - 1 - lo, t - lo, width, h - 1 + width, c); // right
}

} // namespace

BoardRenderer::BoardRenderer()
{
    setScreenFont(0);
}

const QImage &BoardRenderer::picture(int index) const
{
    index = index == 0 ? 0 : 1;
    if (pictures_[index].isNull())
        pictures_[index] = loadPicture(index, 1.0, &standIn_[index]);
    return pictures_[index];
}

bool BoardRenderer::isStandIn(int index) const
{
    picture(index);
    return standIn_[index == 0 ? 0 : 1];
}

void BoardRenderer::buildTitleFrame(qreal ratio)
{
    const QImage title = loadPicture(0, ratio);
    titleFrame_ = surfaceImage(ratio);
    QPainter p(&titleFrame_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform, title.devicePixelRatio() != ratio);
    p.drawImage(QRect(0, 0, PictureWidth, PictureHeight), title);
    // The picture is one pixel narrower and lower than the surface; its edge
    // is repeated so that nothing of the last game stays there.
    const int w = title.width(), h = title.height();
    p.drawImage(QRect(PictureWidth, 0, Width - PictureWidth, PictureHeight), title, QRect(w - 1, 0, 1, h));
    p.drawImage(QRect(0, PictureHeight, Width, Height - PictureHeight), title, QRect(0, h - 1, w, 1));
}

QFont BoardRenderer::arialFont(int points, bool bold, bool italic)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pointsToPixels(points));
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void BoardRenderer::setScreenFont(int kind)
{
    if (kind == 0) {
        font_ = arialFont(20, true);
        fontColor_ = Qt::black;
    } else if (kind == 1) {
        font_ = arialFont(60, true);
        fontColor_ = Red;
    } else {
        font_.setFamily(QStringLiteral("Arial"));
        font_.setBold(true);
    }
}

void BoardRenderer::textOut(QPainter &p, int x, int y, const QString &text) const
{
    p.setFont(font_);
    p.setPen(fontColor_);
    p.drawText(x, y + p.fontMetrics().ascent(), text);
}

void BoardRenderer::textCentredIn(QPainter &p, const QRect &square, const QString &text) const
{
    p.setFont(font_);
    const QFontMetrics fm = p.fontMetrics();
    textOut(p, square.x() + (square.width() - fm.horizontalAdvance(text)) / 2,
            square.y() + (square.height() - fm.height()) / 2, text);
}

void BoardRenderer::buildStaticLayer(qreal ratio)
{
    const QImage board = loadPicture(1, ratio);
    staticLayer_ = surfaceImage(ratio);
    staticLayer_.fill(Qt::white);
    QPainter p(&staticLayer_);
    p.setRenderHint(QPainter::SmoothPixmapTransform, board.devicePixelRatio() != ratio);
    p.drawImage(QRect(0, 0, PictureWidth, PictureHeight), board);

    // Vertical lines and the column numbers.
    for (int k = 0; k <= 22; ++k) {
        const int x = Cell * k;
        const bool thick = k == 0 || k == 1 || k == 11 || k == 12 || k == 22;
        const int top = (k == 0 || k == 11 || k == 22) ? 0 : Cell;
        if (thick)
            p.fillRect(x - 1, top, 3, Height - top, Qt::black);
        else
            p.fillRect(x, top, 1, Height - top, Qt::black);
        if (k % 11 > 0)
            textCentredIn(p, QRect(x, Cell, Cell, Cell), QString::number(k % 11));
    }
    // Horizontal lines and the row letters of both boards.
    for (int k = 0; k <= 12; ++k) {
        const int y = Cell * k;
        if (k <= 2 || k == 12)
            p.fillRect(0, y - 1, Width, 3, Qt::black);
        else
            p.fillRect(0, y, Width, 1, Qt::black);
    }
    for (int k = 0; k <= 9; ++k) {
        const QString letter(QChar(65 + k));
        textCentredIn(p, QRect(0, Cell * (k + 2), Cell, Cell), letter);
        textCentredIn(p, QRect(440, Cell * (k + 2), Cell, Cell), letter);
    }
    textCentredIn(p, QRect(0, 0, 440, Cell), QString::fromUtf8(Texts::CaptionPlayField));
    textCentredIn(p, QRect(440, 0, 440, Cell), QString::fromUtf8(Texts::CaptionControlField));
}

void BoardRenderer::drawScreen(QImage &target, const GameState &st, bool changeOverRunning)
{
    const qreal ratio = target.devicePixelRatio();
    if (st.gamePhase == gpNoGame) {
        if (titleFrame_.isNull() || titleFrame_.devicePixelRatio() != ratio)
            buildTitleFrame(ratio);
        if (target.size() == titleFrame_.size()) {
            target = titleFrame_; // shared until someone draws on it
            return;
        }
        QPainter p(&target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, titleFrame_);
        return;
    }
    if (staticLayer_.isNull() || staticLayer_.devicePixelRatio() != ratio)
        buildStaticLayer(ratio);
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, staticLayer_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const bool hover = st.hoverCell.x >= 0 && !changeOverRunning && st.placementDone != pdLocal;
    QRect hoverSquare;
    if (hover) {
        hoverSquare =
            BoardGeometry::cellRect(st.gamePhase < gpFiring ? Board::Own : Board::Control, st.hoverCell);
        const int l = hoverSquare.x(), t = hoverSquare.y();
        outline(p, l + 1, t + 1, l + 40, t + 40, 3, Red);
    }

    const int v = Game::viewedPlayerOf(st);
    QColor colors[4];
    for (int code = 1; code <= 3; ++code)
        colors[code] = storedColor(st.cellColors[code]);
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            const int own = st.playField[v].at(x, y);
            if (own >= 1 && own <= 3)
                p.fillRect(BoardGeometry::cellRect(Board::Own, {x, y}).adjusted(1, 1, 0, 0), colors[own]);
            const int shot = st.controlField[v].at(x, y);
            if (shot >= 1 && shot <= 3)
                p.fillRect(BoardGeometry::cellRect(Board::Control, {x, y}).adjusted(1, 1, 0, 0),
                           colors[shot]);
        }
    }

    if (hover)
        p.fillRect(hoverSquare, QColor(255, 0, 0, 50));

    const int slot = st.gameMode == gmTwoAtOne ? (st.currentPlayer ^ 1) : 0;
    const CellPos last = st.lastShot[slot];
    if (last.x >= 0) {
        const QRect r = BoardGeometry::cellRect(Board::Own, last);
        outline(p, r.left() - 1, r.top() - 1, r.left() + Cell + 2, r.top() + Cell + 2, 3, Red);
    }
}

void BoardRenderer::drawInfoRectangle(QImage &target, int w, int h)
{
    const int l = (Width - w) / 2, t = (Height - h) / 2;
    const int r = (Width + w) / 2, b = (Height + h) / 2;
    QPainter p(&target);
    outline(p, l - 1, t - 1, r + 1, b + 1, 1, Qt::black);
    p.fillRect(QRect(l, t, r - l, b - t), QColor(255, 255, 255, 150));
}

void BoardRenderer::drawChangeOverBanner(QImage &target, const GameState &st, int seconds)
{
    beginBanner(target);
    QPainter p(&target);
    p.setFont(font_);
    const int t = p.fontMetrics().height();
    textCentredAt(p, (Height - 3 * t) / 2, Texts::InfoText(3));
    textCentredAt(p, (Height - t) / 2, st.playerNames[st.currentPlayer]);

    font_.setPixelSize(pointsToPixels(80));
    font_.setItalic(true);
    p.setFont(font_);
    textCentredAt(p, (Height + t) / 2, QString::number(seconds));
    setScreenFont(0);
}

void BoardRenderer::drawFoundAllBanner(QImage &target, const GameState &st)
{
    beginBanner(target, 40);
    QPainter p(&target);
    p.setFont(font_);
    const QFontMetrics fm = p.fontMetrics();
    const QString name = st.playerNames[st.currentPlayer];
    const int t = fm.height();
    const bool remoteShooter = (st.gameMode == gmTwoAtTwo && st.currentPlayer != st.localPlayer) ||
                               (st.gameMode == gmPCMode && st.currentPlayer == 1);
    if (remoteShooter) {
        textCentredAt(p, Height / 2 - t, fitTextWithEllipsis(name, font_, Width - 100));
        textCentredAt(p, Height / 2, Texts::InfoText(13));
    } else {
        textCentredAt(p, (Height - 3 * t) / 2, Texts::InfoText(6));
        const QString bang = QStringLiteral("!");
        QString line = name + bang;
        if (fm.horizontalAdvance(line) > Width - 100)
            line = fitTextWithEllipsis(name, font_, Width - 100 - fm.horizontalAdvance(bang)) + bang;
        textCentredAt(p, (Height - t) / 2, line);
        textCentredAt(p, (Height + t) / 2, Texts::InfoText(7));
    }
    setScreenFont(0);
}

void BoardRenderer::drawGameEndBanner(QImage &target)
{
    beginBanner(target, 40);
    QPainter p(&target);
    p.setFont(font_);
    textCentredAt(p, (Height - p.fontMetrics().height()) / 2, Texts::InfoText(8));
    setScreenFont(0);
}

void BoardRenderer::beginBanner(QImage &target, int points)
{
    drawInfoRectangle(target, Width - 50, Height - 100);
    setScreenFont(1);
    if (points > 0)
        font_.setPixelSize(pointsToPixels(points));
}

void BoardRenderer::textCentredAt(QPainter &p, int y, const QString &text) const
{
    textOut(p, (Width - p.fontMetrics().horizontalAdvance(text)) / 2, y, text);
}

QString BoardRenderer::fitTextWithEllipsis(const QString &text, const QFont &font, int maxWidth)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(text) <= maxWidth)
        return text;
    for (qsizetype n = text.size() - 2; n > 0; --n) {
        const QString candidate = text.left(n) + QStringLiteral("...");
        if (fm.horizontalAdvance(candidate) <= maxWidth)
            return candidate;
    }
    return QStringLiteral("...");
}
