#include "dialogs/AboutDialog.h"

#include "KielwanzConfig.h"

#include "presentation/BlendColor.h"
#include "presentation/DialogLayout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <functional>

const QString AboutDialog::MakerLine = QStringLiteral("Ein Spiel vom Kielwanz-Team");
const QString AboutDialog::MailAddress = QStringLiteral("kontakt@kielwanz.example");
const QString AboutDialog::WebAddress = QStringLiteral("www.kielwanz.example");

namespace {

using ColorRef = std::uint32_t;

constexpr ColorRef BannerBlue = 0xFFA04A;
constexpr ColorRef White = 0xFFFFFF;

// Stand-in for the logo picture while the program carries none.
QImage paintedLogo()
{
    QImage logo(142, 63, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 96, 192));
    p.drawRect(8, 46, 126, 6); // the water line
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon({QPoint(18, 34), QPoint(124, 34), QPoint(110, 46), QPoint(30, 46)})); // hull
    p.drawRect(69, 6, 3, 28);                                                                    // mast
    p.setBrush(QColor(220, 40, 40));
    p.drawPolygon(QPolygon({QPoint(72, 6), QPoint(96, 12), QPoint(72, 18)})); // pennant
    p.setBrush(QColor(255, 200, 0));
    p.drawPolygon(QPolygon({QPoint(66, 10), QPoint(66, 32), QPoint(40, 32)})); // sail
    return logo;
}

QImage loadLogo()
{
    QImage logo(QStringLiteral(":/assets/logo.png"));
    if (logo.isNull())
        return paintedLogo();
    // Transparent parts count as white, which leaves the gradient untouched.
    QImage opaque(logo.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, logo);
    return opaque;
}

// Black pixels become white, every other pixel black.
QImage makeMask(const QImage &logo)
{
    QImage mask(logo.size(), QImage::Format_RGB32);
    for (int y = 0; y < logo.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(logo.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(mask.scanLine(y));
        for (int x = 0; x < logo.width(); ++x)
            dst[x] = (src[x] & 0xFFFFFF) == 0 ? 0xFFFFFFFF : 0xFF000000;
    }
    return mask;
}

QIcon fallbackIcon()
{
    const QPixmap file(QStringLiteral(":/assets/icon.png"));
    if (!file.isNull())
        return QIcon(file);
    QPixmap pm(32, 32);
    pm.fill(QColor(0, 0, 128));
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(5, 20), QPoint(27, 20), QPoint(23, 26), QPoint(9, 26)}));
    p.drawRect(15, 6, 2, 14);
    return QIcon(pm);
}

// A plain area that leaves its painting to its owner.
class PaintBox : public QWidget {
public:
    PaintBox(QWidget *parent, std::function<void(QPainter &)> onPaint)
        : QWidget(parent), onPaint_(std::move(onPaint))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        onPaint_(p);
    }

private:
    std::function<void(QPainter &)> onPaint_;
};

QLabel *newLinkLabel(QWidget *parent, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setCursor(Qt::PointingHandCursor);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(pal);
    return label;
}

void setLabelColour(QLabel *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

// Only the underline is set, so the label keeps following its window's font.
void setUnderlined(QLabel *label, bool on)
{
    QFont f;
    f.setUnderline(on);
    label->setFont(f);
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    QFont face(QStringLiteral("MS Sans Serif"));
    face.setStyleHint(QFont::SansSerif);
    face.setPointSize(8);
    setFont(face);

    banner_ = new PaintBox(this, [this](QPainter &p) { paintBanner(p); });
    banner_->setObjectName(QStringLiteral("LogoPB"));

    makerLabel_ = new QLabel(this);
    makerLabel_->setObjectName(QStringLiteral("InfoLbl"));
    mailLink_ = newLinkLabel(this, QString());
    mailLink_->setObjectName(QStringLiteral("EMailLbl"));
    webLink_ = newLinkLabel(this, QString());
    webLink_->setObjectName(QStringLiteral("URLLbl"));
    for (QLabel *link : {mailLink_, webLink_})
        link->installEventFilter(this);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OK"));
    okButton_->setAutoDefault(true);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    loadContents();
}

void AboutDialog::loadContents()
{
    // The build gives the program its version; this is where it is read back.
    if (QCoreApplication::applicationVersion().isEmpty())
        QCoreApplication::setApplicationVersion(QStringLiteral(KIELWANZ_VERSION));
    logo_ = loadLogo();
    logoMask_ = makeMask(logo_);
    makerLabel_->setText(MakerLine);
    mailLink_->setText(MailAddress);
    webLink_->setText(WebAddress);
    placeControls();
}

QString AboutDialog::programVersion()
{
    return QCoreApplication::applicationVersion();
}

void AboutDialog::showInfo(const QString &title, const QString &developmentTime, const QIcon &icon)
{
    setBannerContents(title, developmentTime, icon);
    setWindowTitle(QStringLiteral("Info über ") + title);
    exec();
}

void AboutDialog::setBannerContents(const QString &title, const QString &developmentTime, const QIcon &icon)
{
    title_ = title;
    developmentTime_ = developmentTime;
    icon_ = icon;
    banner_->update();
}

// ---------------------------------------------------------------- banner

void AboutDialog::paintBanner(QPainter &painter)
{
    painter.drawImage(0, 0, composeBanner());
}

QImage AboutDialog::composeBanner() const
{
    const int W = banner_->width();
    const int H = banner_->height();
    QImage banner(W, H, QImage::Format_RGB32);
    banner.fill(Qt::white);

    QPainter p(&banner);
    const int n = int(W * 0.75);
    for (int x = 0; x <= n; ++x) {
        p.setPen(WinColorToQColor(BlendColor(BannerBlue, White, x, n)));
        p.drawLine(x, 0, x, H - 1);
    }
    const int m = W - n;
    for (int x = 0; x <= m; ++x) {
        p.setPen(WinColorToQColor(BlendColor(White, BannerBlue, x, m)));
        p.drawLine(W - m + x, 0, W - m + x, H - 1);
    }
    p.end();

    // OR with the mask, then AND with the logo: black stays black, white
    // leaves the gradient, colours are ANDed with it.
    const int left = n - logo_.width() / 2;
    const int top = 4;
    for (int y = 0; y < logo_.height(); ++y) {
        const int by = top + y;
        if (by < 0 || by >= H)
            continue;
        const auto *logo = reinterpret_cast<const QRgb *>(logo_.constScanLine(y));
        const auto *mask = reinterpret_cast<const QRgb *>(logoMask_.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(banner.scanLine(by));
        for (int x = 0; x < logo_.width(); ++x) {
            const int bx = left + x;
            if (bx >= 0 && bx < W)
                dst[bx] = ((dst[bx] | mask[x]) & logo[x]) | 0xFF000000;
        }
    }

    p.begin(&banner);
    const QIcon icon = icon_.isNull() ? fallbackIcon() : icon_;
    const QSize iconSize(32, 32);
    const int iw = iconSize.width();
    const int ih = iconSize.height();
    const int iconTop = H / 2 - ih / 2;
    p.drawPixmap(8, iconTop, icon.pixmap(iconSize, 1.0));
    // A one-pixel frame of (7, iconTop - 1) to (iw + 8, H / 2 + ih / 2), right
    // and bottom exclusive, in the dialog's face colour.
    const QColor faceColour = palette().color(QPalette::Window);
    const int fl = 7, ft = iconTop - 1, fr = iw + 8 - 1, fb = H / 2 + ih / 2 - 1;
    p.fillRect(QRect(QPoint(fl, ft), QPoint(fr, ft)), faceColour);
    p.fillRect(QRect(QPoint(fl, fb), QPoint(fr, fb)), faceColour);
    p.fillRect(QRect(QPoint(fl, ft), QPoint(fl, fb)), faceColour);
    p.fillRect(QRect(QPoint(fr, ft), QPoint(fr, fb)), faceColour);

    const int textLeft = iw + 16;
    p.setPen(palette().color(QPalette::WindowText));
    QFont bold = font();
    bold.setBold(true);
    const QFont plain = font();

    const QFontMetrics boldMetrics(bold);
    p.setFont(bold);
    int textTop = H / 2 - int(boldMetrics.height() * 1.5);
    p.drawText(textLeft, textTop + boldMetrics.ascent(), title_);

    const QFontMetrics plainMetrics(plain);
    p.setFont(plain);
    textTop = H / 2 - int(plainMetrics.height() * 0.5);
    p.drawText(textLeft, textTop + plainMetrics.ascent(), versionText());

    textTop = H / 2 + int(plainMetrics.height() * 0.5);
    p.drawText(textLeft, textTop + plainMetrics.ascent(),
               QStringLiteral("Entwicklungszeit: ") + developmentTime_);
    return banner;
}

// ----------------------------------------------------------------- labels

// The designed layout assumes a narrow face. Labels sized to their text keep
// their right edge; where the face in use needs more room, the links stay
// clear of OK, the rows move down and the dialog grows by as much.
void AboutDialog::placeControls()
{
    if (okButton_ == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    enum { Origin, Margin, AfterOk, Links, SecondLink, Width, Height };
    std::vector<Guide> guides{0, 8, 266, 100, 113, 435, 132};
    const unsigned text = SizeToText | HintHeight | KeepRight;
    // clang-format off
    place({{.w = banner_, .r = {0, 0, 435, 65}, .right = Width},
           {.w = makerLabel_, .r = {290, 69, 140, 0}, .fit = text, .x = Width, .pushX = {Width, 5},
            .pushY = {Links, 8}, .leftLimit = Margin},
           {.w = okButton_, .r = {177, 101, 81, 25}, .fit = ButtonText | HintHeight, .y = Links,
            .pushX = {AfterOk, 8}, .pushY = {Height, 6}},
           {.w = mailLink_, .r = {302, 100, 130, 0}, .fit = text, .x = Width, .y = Links, .pushX = {Width, 3},
            .pushY = {SecondLink, 0}, .leftLimit = AfterOk},
           {.w = webLink_, .r = {302, 113, 130, 0}, .fit = text, .x = Width, .y = SecondLink, .pushX = {Width, 3},
            .pushY = {Height, 6}, .leftLimit = AfterOk}},
          guides);
    // clang-format on
    setFixedSize(guides[Width].at, guides[Height].at);
}

void AboutDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

void AboutDialog::showEvent(QShowEvent *event)
{
    placeControls();
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() -
             QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    QDialog::showEvent(event);
}

void AboutDialog::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Esc closes with the result OK.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label != mailLink_ && label != webLink_)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        linkEntered(label);
        break;
    case QEvent::Leave:
        linkLeft(label);
        break;
    case QEvent::MouseButtonPress:
        linkPressed(label);
        break;
    case QEvent::MouseButtonRelease: {
        linkReleased(label);
        const auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && label->rect().contains(me->position().toPoint())) {
            if (label == mailLink_)
                openMail();
            else
                openWebSite();
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::linkEntered(QLabel *link)
{
    setUnderlined(link, true);
}

void AboutDialog::linkLeft(QLabel *link)
{
    setUnderlined(link, false);
}

void AboutDialog::linkPressed(QLabel *link)
{
    setLabelColour(link, QColor(255, 0, 0));
}

void AboutDialog::linkReleased(QLabel *link)
{
    setLabelColour(link, QColor(0, 0, 255));
}

void AboutDialog::openMail()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + MailAddress));
}

void AboutDialog::openWebSite()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + WebAddress));
}
