#include "presentation/DrawingSurface.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <cstring>

DrawingSurface::DrawingSurface(int width, int height, QWidget *parent) : QWidget(parent)
{
    const qreal ratio = devicePixelRatioF();
    back_ = QImage(std::ceil(width * ratio), std::ceil(height * ratio), QImage::Format_RGB32);
    back_.setDevicePixelRatio(ratio);
    back_.fill(Qt::black);
    // The front image shares the back buffer's pixels until the next frame
    // is composed: a surface that does not change holds one picture, not two.
    front_ = back_;
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void DrawingSurface::setSingleBuffered(bool on)
{
    singleBuffered_ = on;
    front_ = on ? QImage() : back_;
    update();
}

void DrawingSurface::present()
{
    if (!singleBuffered_)
        front_ = back_;
    update();
    emit presented();
}

QRect DrawingSurface::deviceRect(const QRect &logical) const
{
    const qreal ratio = back_.devicePixelRatio();
    if (ratio == 1.0)
        return logical & back_.rect();
    const int l = std::floor(logical.left() * ratio), t = std::floor(logical.top() * ratio);
    const int r = std::ceil((logical.right() + 1) * ratio), b = std::ceil((logical.bottom() + 1) * ratio);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1)) & back_.rect();
}

void DrawingSurface::present(const QRect &changed)
{
    const QRect r = deviceRect(changed);
    if (!r.isEmpty() && singleBuffered_) {
        update(changed);
    } else if (!r.isEmpty()) {
        // Plain row copies: both images are RGB32, and a painter would cost
        // more than the copy for the few rows of an animation frame.
        const int bytes = r.width() * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(front_.scanLine(y) + r.left() * 4, back_.constScanLine(y) + r.left() * 4, bytes);
        update(changed);
    }
    emit presented();
}

void DrawingSurface::adoptPixelRatio(qreal ratio)
{
    const auto rescaled = [&](const QImage &image) {
        QImage img = image.scaled(std::ceil(width() * ratio), std::ceil(height() * ratio), Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
        img.setDevicePixelRatio(ratio);
        return img;
    };
    const bool shared = front_.constBits() == back_.constBits();
    back_ = rescaled(back_);
    if (!singleBuffered_)
        front_ = shared ? back_ : rescaled(front_);
    emit pixelRatioChanged();
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    // A change of the screen's pixel ratio always repaints the whole window.
    if (const qreal ratio = devicePixelRatioF(); ratio != back_.devicePixelRatio())
        adoptPixelRatio(ratio);
    QPainter p(this);
    p.setClipRegion(event->region());
    p.drawImage(QPoint(0, 0), frontImage());
}
void DrawingSurface::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    emit mousePressed(event->button(), pos.x(), pos.y());
}

void DrawingSurface::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(event->buttons(), pos.x(), pos.y());
}

void DrawingSurface::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    emit mouseLeft();
}
