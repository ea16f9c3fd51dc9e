#pragma once

#include <QImage>
#include <QWidget>

// A drawing surface with a back buffer: composing draws into backBuffer(),
// present() hands it to the front image and schedules a repaint, so no
// partial frame is ever visible. Tests read frontImage() to see what the user
// sees.
//
// Both images have the screen's device pixel ratio: they hold width x height
// logical pixels at device resolution, so that everything drawn with a
// QPainter in logical coordinates is sharp on a high-density screen. The
// widget itself keeps its logical size.
class DrawingSurface : public QWidget {
    Q_OBJECT
public:
    DrawingSurface(int width, int height, QWidget *parent = nullptr);

    QImage &backBuffer() { return back_; }
    const QImage &frontImage() const { return singleBuffered_ ? back_ : front_; }
    // For an owner that composes every frame in one step, with no event
    // processed in between: the widget then shows the back buffer itself,
    // and the front image (and a copy per frame) is saved.
    void setSingleBuffered(bool on);
    void present();
    // Presents only the part of the back buffer that changed since the last
    // present (in logical pixels); the rest of the front image must already
    // equal it. Saves the copy and the repaint of the whole surface for small
    // changes (the info panel's animation).
    void present(const QRect &changed);
    // The device pixels that cover a rectangle of logical pixels.
    QRect deviceRect(const QRect &logical) const;
signals:
    // After every present, whether anything changed or not.
    void presented();
    void mousePressed(Qt::MouseButton button, int x, int y);
    void mouseMoved(Qt::MouseButtons buttons, int x, int y);
    void mouseLeft();
    // The window went to a screen of another pixel ratio: both images now
    // have the new ratio and hold the old picture scaled to it, until the
    // owner draws it anew.
    void pixelRatioChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void adoptPixelRatio(qreal ratio);

    QImage back_;
    QImage front_;
    bool singleBuffered_ = false;
};
