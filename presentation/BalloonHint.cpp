#include "presentation/BalloonHint.h"

#include "game/Texts.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int Padding = 9;
constexpr int StemHeight = 18;
constexpr int StemWidth = 18;
constexpr int Radius = 7;
constexpr int IconSize = 16;
constexpr int MaxTextWidth = 360;
constexpr int StemInset = 24; // tip's distance from the balloon's near edge

const QColor Fill(255, 255, 225);
const QColor Border(80, 80, 80);

} // namespace

BalloonHint::BalloonHint(QWidget *owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowStaysOnTopHint),
      timer_(new QTimer(this)), title_(QString::fromUtf8(Texts::BalloonTitle)), text_(Texts::BalloonText())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    text_.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    icon_ = style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(IconSize, IconSize);
    timer_->setSingleShot(true);
    // Never early: the balloon stays its full time.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &BalloonHint::hideBalloon);
}

void BalloonHint::layoutAt(const QPoint &point)
{
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics tfm(titleFont);
    const QFontMetrics fm(font());
    const QRect textBounds = fm.boundingRect(QRect(0, 0, MaxTextWidth, 10000), Qt::TextWordWrap, text_);
    const int titleHeight = qMax(tfm.height(), IconSize);
    const int contentWidth = qMax(IconSize + 6 + tfm.horizontalAdvance(title_), textBounds.width());
    const int bodyWidth = contentWidth + 2 * Padding;
    const int bodyHeight = titleHeight + 6 + textBounds.height() + 2 * Padding;
    const int width = bodyWidth + 1;
    const int height = bodyHeight + StemHeight + 1;

    QRect avail(point - QPoint(2000, 2000), QSize(4000, 4000));
    if (QScreen *screen = QGuiApplication::screenAt(point))
        avail = screen->availableGeometry();
    else if (QScreen *primary = QGuiApplication::primaryScreen())
        avail = primary->availableGeometry();

    // Below the point with the stem up, unless there is no room below.
    const bool stemUp = point.y() + height <= avail.bottom() + 1 || point.y() - height < avail.top();
    // The stem sits near the left edge, unless the balloon must be pushed
    // left to stay on the screen.
    int left = point.x() - StemInset;
    left = qMin(left, avail.right() + 1 - width);
    left = qMax(left, avail.left());
    const int top = stemUp ? point.y() : point.y() - height + 1;
    // The tip may reach the balloon's very edge (a point at the screen's
    // edge); the stem's base stays on the straight part of the body's edge.
    const int tipX = qBound(0, point.x() - left, width - 1);
    const bool stemRight = tipX > width / 2; // base on the side with more room
    const double baseX0 = stemRight ? qMin(tipX, width - Radius - 2) - StemWidth : qMax(tipX, Radius + 1);

    const QRectF body(0.5, (stemUp ? StemHeight : 0) + 0.5, bodyWidth - 1, bodyHeight);
    QPainterPath bodyPath;
    bodyPath.addRoundedRect(body, Radius, Radius);
    const double baseY = stemUp ? body.top() + 1 : body.bottom() - 1;
    const double tipY = stemUp ? 0.5 : height - 0.5;
    QPainterPath stem;
    stem.moveTo(tipX + 0.5, tipY);
    stem.lineTo(baseX0 + 0.5, baseY);
    stem.lineTo(baseX0 + StemWidth + 0.5, baseY);
    stem.closeSubpath();
    shape_ = bodyPath.united(stem).simplified();

    const int contentTop = int(body.top()) + Padding;
    iconRect_ = QRect(Padding, contentTop + (titleHeight - IconSize) / 2, IconSize, IconSize);
    titleRect_ = QRect(Padding + IconSize + 6, contentTop, contentWidth - IconSize - 6, titleHeight);
    textRect_ = QRect(Padding, contentTop + titleHeight + 6, contentWidth, textBounds.height());

    setGeometry(left, top, width, height);
    // The mask gives the balloon its shape without needing a compositor.
    QBitmap mask(width, height);
    mask.fill(Qt::color0);
    {
        QPainter mp(&mask);
        mp.setPen(QPen(Qt::color1, 1));
        mp.setBrush(Qt::color1);
        mp.drawPath(shape_);
    }
    setMask(mask);
    tip_ = QPoint(left + tipX, stemUp ? top : top + height - 1);
}

void BalloonHint::showBalloon(const QPoint &screenPoint)
{
    layoutAt(screenPoint);
    showing_ = true;
    show();
    update();
    timer_->start(displayTime_);
}

void BalloonHint::hideBalloon()
{
    if (!showing_)
        return;
    showing_ = false;
    timer_->stop();
    QWidget::hide();
}

void BalloonHint::hideEvent(QHideEvent *event)
{
    // Hidden by any road: the timer must not fire for a balloon not shown.
    showing_ = false;
    timer_->stop();
    QWidget::hideEvent(event);
}

void BalloonHint::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Border, 1));
    p.setBrush(Fill);
    p.drawPath(shape_);
    p.drawPixmap(iconRect_, icon_);
    QFont titleFont = font();
    titleFont.setBold(true);
    p.setPen(Qt::black);
    p.setFont(titleFont);
    p.drawText(titleRect_, Qt::AlignLeft | Qt::AlignVCenter, title_);
    p.setFont(font());
    p.drawText(textRect_, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text_);
}

int BalloonHint::msUntilHidden() const
{
    return timer_->isActive() ? timer_->remainingTime() : -1;
}
