#include "dialogs/AboutDialog.h"
#include "presentation/DesktopFace.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

namespace {

QFont face(const QString &family, int points, bool bold = false)
{
    QFont f(family);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

QIcon solidIcon(const QColor &c)
{
    QPixmap pm(32, 32);
    pm.fill(c);
    return QIcon(pm);
}

} // namespace

class tst_aboutdialog : public QObject {
    Q_OBJECT
public slots:
    // Stands in for the desktop's handlers of mailto: and http: addresses.
    void openUrl(const QUrl &url) { opened << url; }

public:
    QList<QUrl> opened;
private slots:
    // Windows existing at start with an 8-point font take the system face;
    // size and style stay, other sizes and later windows keep theirs.
    void desktopFace()
    {
        const QString system = QApplication::font("QMessageBox").family();
        const QString own = QStringLiteral("Liberation Mono");
        if (system == own)
            QSKIP("the system face is the test's own face");
        QWidget before;
        before.setFont(face(own, 8, true));
        auto *ownFont = new QLabel(&before);
        ownFont->setFont(face(QStringLiteral("Liberation Serif"), 8));
        QDialog otherSize;
        otherSize.setFont(face(own, 10));
        adoptDesktopFace();
        QWidget after;
        after.setFont(face(own, 8));

        QCOMPARE(before.font().family(), system);
        QCOMPARE(before.font().pointSize(), 8);
        QVERIFY(before.font().bold());
        QCOMPARE(ownFont->font().family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(otherSize.font().family(), own);
        QCOMPARE(after.font().family(), own);
    }

    void bannerPixels()
    {
        AboutDialog info;
        info.setBannerContents(QStringLiteral("Kielwanz"), QStringLiteral("2004"), solidIcon(Qt::red));
        const QImage banner = info.composeBanner();
        QCOMPARE(banner.size(), QSize(435, 65));
        // Blue at the left end, white at three quarters, nearly the same blue at the right end.
        QCOMPARE(banner.pixelColor(0, 1), QColor(74, 160, 255));
        QCOMPARE(banner.pixelColor(163, 1), QColor(164, 207, 255));
        QCOMPARE(banner.pixelColor(326, 1), QColor(255, 255, 255));
        QCOMPARE(banner.pixelColor(434, 1), QColor(76, 161, 255));

        // The logo centred on column 326 from row 4, ANDed with the gradient (black stays, white leaves it).
        const QImage &logo = info.logo();
        for (int y = 0; y + 4 < 65; ++y)
            for (int x = 0; x < logo.width(); ++x)
                QCOMPARE(banner.pixel(255 + x, y + 4) & 0xFFFFFF,
                         banner.pixel(255 + x, 0) & logo.pixel(x, y) & 0xFFFFFF);

        // The icon at (8, 16) in a frame of the face colour covering its last column and row.
        const QColor faceColour = info.palette().color(QPalette::Window);
        QCOMPARE(banner.pixelColor(8, 16), QColor(Qt::red));
        QCOMPARE(banner.pixelColor(38, 46), QColor(Qt::red));
        QCOMPARE(banner.pixelColor(39, 30), faceColour);
        QCOMPARE(banner.pixelColor(20, 47), faceColour);
        QCOMPARE(banner.pixelColor(20, 48), banner.pixelColor(20, 1));

        QCOMPARE(info.findChild<QWidget *>("LogoPB")->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 banner);
        info.setBannerContents(QStringLiteral("Kielwanz"), QStringLiteral("2004"), QIcon()); // still an icon
        const QImage plain = info.composeBanner();
        QVERIFY(plain.pixel(20, 30) != plain.pixel(20, 1));
    }

    // Esc closes with OK (also the cancel button); the links react like links and open mail and web.
    void showAndLinks()
    {
        AboutDialog info;
        QTimer::singleShot(0, &info, [&] { QTest::keyClick(&info, Qt::Key_Escape); });
        info.showInfo(QStringLiteral("Probe"), QStringLiteral("2004"), solidIcon(Qt::red));
        QCOMPARE(info.result(), int(QDialog::Accepted));
        QCOMPARE(info.versionText(), QStringLiteral("Version: 1.0.0.0"));
        for (const char *scheme : {"mailto", "http"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
        auto *mail = info.findChild<QLabel *>("EMailLbl");
        const QColor blue(0, 0, 255), red(255, 0, 0);
        QCOMPARE(mail->palette().color(QPalette::WindowText), blue);
        QVERIFY(!mail->font().underline());
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(mail, &enter);
        QVERIFY(mail->font().underline());
        QTest::mousePress(mail, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(mail->palette().color(QPalette::WindowText), red);
        QTest::mouseRelease(mail, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(mail->palette().color(QPalette::WindowText), blue);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(mail, &leave);
        QVERIFY(!mail->font().underline());

        QTest::mouseClick(info.findChild<QLabel *>("URLLbl"), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opened, QList<QUrl>({QUrl(QStringLiteral("mailto:kontakt@kielwanz.example")),
                                      QUrl(QStringLiteral("http://www.kielwanz.example"))}));
    }
};

QTEST_MAIN(tst_aboutdialog)
#include "tst_aboutdialog.moc"
