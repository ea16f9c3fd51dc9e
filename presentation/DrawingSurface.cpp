#include "presentation/DrawingSurface.h"

#include <QMouseEvent>
#include <QPainter>

DrawingSurface::DrawingSurface(int width, int height, QWidget *parent)
    : QWidget(parent), back_(width, height, QImage::Format_RGB32), front_(width, height, QImage::Format_RGB32)
{
    back_.fill(Qt::black);
    front_.fill(Qt::black);
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void DrawingSurface::present()
{
    front_ = back_.copy();
    update();
    emit presented();
}

void DrawingSurface::present(const QRect &changed)
{
    const QRect r = changed & back_.rect();
    if (!r.isEmpty()) {
        QPainter p(&front_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(r.topLeft(), back_, r);
        update(r);
    }
    emit presented();
}

void DrawingSurface::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.drawImage(event->rect(), front_, event->rect());
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
