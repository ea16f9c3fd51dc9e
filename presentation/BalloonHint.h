#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

class QTimer;

// The balloon that explains a refused ship cell: a top-level popup that never
// takes the focus, with a warning icon, a bold title, the text and a stem
// whose tip points at a screen point. One balloon is created with the main
// window and reused. It hides itself DisplayTime ms after the last showing;
// a second showing moves it and restarts the time. It stays where it was put
// when the main window moves.
class BalloonHint : public QWidget {
    Q_OBJECT
public:
    explicit BalloonHint(QWidget *owner = nullptr);

    // Shows the balloon with its stem at screenPoint (or moves it there) and
    // restarts the hiding timer.
    void showBalloon(const QPoint &screenPoint);
    // Hides the balloon if one is showing; otherwise does nothing at all.
    void hideBalloon();
    bool isShowing() const { return showing_; }

    QPoint stemTip() const { return tip_; }
    int displayTime() const { return displayTime_; }
    void setDisplayTime(int ms) { displayTime_ = ms; }
    // Milliseconds until the balloon hides itself, or -1 when it will not.
    int msUntilHidden() const;

    QString title() const { return title_; }
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void layoutAt(const QPoint &screenPoint);

    QTimer *timer_;
    int displayTime_ = 5000;
    bool showing_ = false;
    QPoint tip_;
    QString title_;
    QString text_;
    QPixmap icon_;
    QPainterPath shape_;
    QRect iconRect_, titleRect_, textRect_;
};
