#include "dialogs/TInfo.h"

#include <QApplication>
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

QColor at(const QImage &img, int x, int y)
{
    return img.pixelColor(x, y);
}

} // namespace

class tst_aboutdialog : public QObject {
    Q_OBJECT
private slots:
    void captionFollowsTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("Kielwanz") << "Kielwanz";
        QTest::newRow("other") << "Probe";
    }
    void captionFollowsTitle()
    {
        QFETCH(QString, title);
        TInfo info;
        QString caption;
        QTimer::singleShot(0, &info, [&] {
            caption = info.windowTitle();
            QTest::keyClick(&info, Qt::Key_Escape); // OK is also the cancel button
        });
        info.ShowInfo(title, QStringLiteral("2004"), solidIcon(Qt::red));
        QCOMPARE(caption, QStringLiteral("Info über ") + title);
        QCOMPARE(info.result(), int(QDialog::Accepted));
        QCOMPARE(info.AppTitle, title);
        QCOMPARE(info.DevelopmentTime, QStringLiteral("2004"));
    }

    void versionLine()
    {
        TInfo info;
        QCOMPARE(TInfo::GetFileVersionString(), QStringLiteral("1.0.0.0"));
        QCOMPARE(info.VersionText(), QStringLiteral("Version: 1.0.0.0"));
    }

    void labelsKeepTheirRightEdges()
    {
        TInfo info;
        QFont bigger = info.font();
        bigger.setPointSize(12);
        info.setFont(bigger);
        QCOMPARE(info.InfoLbl->geometry().right() + 1, 430);
        QCOMPARE(info.EMailLbl->geometry().right() + 1, 432);
        QCOMPARE(info.URLLbl->geometry().right() + 1, 432);
        QCOMPARE(info.URLLbl->y(), 113);
    }

    void adoptSystemFont()
    {
        const QString system = QApplication::font("QMessageBox").family();
        const QString own = QStringLiteral("Liberation Mono");
        if (system == own)
            QSKIP("the system face is the test's own face");

        QWidget before;
        before.setFont(face(own, 8, true));
        auto *follower = new QLabel(&before);
        auto *ownFont = new QLabel(&before);
        ownFont->setFont(face(QStringLiteral("Liberation Serif"), 8));
        QDialog otherSize;
        otherSize.setFont(face(own, 10));

        TInfo info;
        QWidget after;
        after.setFont(face(own, 8));

        QCOMPARE(before.font().family(), system);
        QCOMPARE(before.font().pointSize(), 8);
        QVERIFY(before.font().bold());
        QCOMPARE(follower->font().family(), system);
        QCOMPARE(ownFont->font().family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(otherSize.font().family(), own);
        QCOMPARE(after.font().family(), own);
        QCOMPARE(info.font().family(), system);
        QCOMPARE(info.font().pointSize(), 8);
    }

    void bannerPixels()
    {
        TInfo info;
        info.AppTitle = QStringLiteral("Kielwanz");
        info.DevelopmentTime = QStringLiteral("2004");
        info.AppIcon = solidIcon(QColor(255, 0, 0));
        QImage banner(435, 65, QImage::Format_RGB32);
        {
            QPainter p(&banner);
            info.LogoPBPaint(p);
        }
        // Gradient: blue (74, 160, 255) at the left, white at three quarters,
        // nearly the same blue again at the right edge.
        QCOMPARE(at(banner, 0, 1), QColor(74, 160, 255));
        QCOMPARE(at(banner, 326, 1), QColor(255, 255, 255));
        QCOMPARE(at(banner, 434, 1), QColor(76, 161, 255));
        QCOMPARE(at(banner, 163, 1), QColor(164, 207, 255)); // halfway on the left band

        // The logo sits centred on column 326 from row 4: black stays black,
        // white leaves the gradient, colours are ANDed with it.
        const QImage &logo = info.LogoBitmap;
        QCOMPARE(logo.size(), QSize(142, 63));
        const int left = 326 - 71;
        int black = 0, white = 0, coloured = 0;
        for (int y = 0; y + 4 < 65; ++y)
            for (int x = 0; x < logo.width(); ++x) {
                const QRgb l = logo.pixel(x, y) & 0xFFFFFF;
                const QRgb gradient = banner.pixel(left + x, 0) & 0xFFFFFF;
                const QRgb got = banner.pixel(left + x, y + 4) & 0xFFFFFF;
                if (l == 0) {
                    ++black;
                    QCOMPARE(got, QRgb(0));
                } else if (l == 0xFFFFFF) {
                    ++white;
                    QCOMPARE(got, gradient);
                } else {
                    ++coloured;
                    QCOMPARE(got, gradient & l);
                }
            }
        QVERIFY(black > 0);
        QVERIFY(white > 0);
        QVERIFY(coloured > 0);
        // The mask is the logo's black turned white and everything else black.
        QCOMPARE(info.LogoMask.size(), logo.size());

        // The icon at (8, 16) in a frame of the dialog's face colour that
        // covers its last column and row.
        const QColor faceColour = info.palette().color(QPalette::Window);
        QCOMPARE(at(banner, 8, 16), QColor(255, 0, 0));
        QCOMPARE(at(banner, 38, 46), QColor(255, 0, 0));
        QCOMPARE(at(banner, 7, 30), faceColour);
        QCOMPARE(at(banner, 39, 30), faceColour);
        QCOMPARE(at(banner, 20, 15), faceColour);
        QCOMPARE(at(banner, 20, 47), faceColour);
        QCOMPARE(at(banner, 20, 48), at(banner, 20, 1));

        // What the paint box shows is the same picture.
        QCOMPARE(info.LogoPB->grab().toImage().convertToFormat(QImage::Format_RGB32), banner);

        // Without an icon of its own the banner still shows one.
        info.AppIcon = QIcon();
        const QImage plain = info.ComposeBanner();
        QVERIFY(plain.pixel(20, 30) != plain.pixel(20, 1));
    }

    void linkLabels()
    {
        TInfo info;
        QList<QUrl> opened;
        info.OpenUrl = [&](const QUrl &url) { opened << url; };
        QLabel *mail = info.EMailLbl;
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
        QVERIFY(mail->font().underline());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(mail, &leave);
        QVERIFY(!mail->font().underline());
        QCOMPARE(mail->font().family(), info.font().family());

        QTest::mouseClick(info.URLLbl, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opened, QList<QUrl>({QUrl(QStringLiteral("mailto:kontakt@kielwanz.example")),
                                      QUrl(QStringLiteral("http://www.kielwanz.example"))}));
    }
};

QTEST_MAIN(tst_aboutdialog)
#include "tst_aboutdialog.moc"
