#include "presentation/BalloonHint.h"
#include "presentation/BoardGeometry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class tst_BalloonHint : public QObject {
    Q_OBJECT
    QWidget *owner_ = nullptr;

private slots:
    void initTestCase()
    {
        owner_ = new QWidget;
        owner_->setGeometry(100, 100, 400, 300);
        owner_->show();
        owner_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(owner_));
    }
    void cleanupTestCase() { delete owner_; }

    void showsWithoutTakingTheFocus()
    {
        BalloonHint b(owner_);
        QVERIFY(b.isWindow() && (b.windowFlags() & Qt::WindowDoesNotAcceptFocus));
        QWidget *activeBefore = QApplication::activeWindow();
        b.showBalloon(QPoint(300, 250));
        QVERIFY(b.isVisible());
        QCOMPARE(QApplication::activeWindow(), activeBefore);
        QCOMPARE(BoardGeometry::cellCentre(Board::Own, {9, 9}), QPoint(420, 460));

        // It stays where it is when the main window moves.
        const QPoint before = b.pos();
        owner_->move(owner_->pos() + QPoint(120, 60));
        QCoreApplication::processEvents();
        QCOMPARE(b.pos(), before);
    }

    // The stem's tip is the point, inside the balloon's shape, with the balloon on the screen.
    void stemPointsAtThePoint_data()
    {
        QTest::addColumn<QPoint>("offset"); // from the screen's top-left (>= 0) or bottom-right (< 0)
        QTest::newRow("middle") << QPoint(300, 200);
        QTest::newRow("top left corner") << QPoint(2, 2);
        QTest::newRow("bottom right corner") << QPoint(-3, -3);
    }
    void stemPointsAtThePoint()
    {
        QFETCH(QPoint, offset);
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint point(offset.x() >= 0 ? avail.left() + offset.x() : avail.right() + 1 + offset.x(),
                           offset.y() >= 0 ? avail.top() + offset.y() : avail.bottom() + 1 + offset.y());
        BalloonHint b(owner_);
        b.showBalloon(point);
        QCOMPARE(b.stemTip(), point);
        QVERIFY2(avail.contains(b.geometry()), "balloon leaves the screen");
        QVERIFY(b.mask().intersects(QRect(point - b.pos() - QPoint(1, 1), QSize(3, 3))));
        QVERIFY(b.width() > 200 && b.height() > 60);
    }

    // Hiding, by command or otherwise, stops the time; it hides 5 s after the
    // last showing, and a second showing moves it and restarts the time.
    void hidesAfterTheLastShowing()
    {
        BalloonHint b(owner_);
        b.showBalloon(QPoint(300, 250));
        b.hideBalloon();
        QVERIFY(!b.isVisible() && b.msUntilHidden() == -1);
        b.showBalloon(QPoint(300, 250));
        b.hide();
        QVERIFY(!b.isShowing() && b.msUntilHidden() == -1);

        QCOMPARE(b.displayTime(), 5000);
        b.showBalloon(QPoint(200, 200));
        const QPoint firstPos = b.pos();
        QTRY_VERIFY(b.isShowing() && b.msUntilHidden() < 4000); // a second of its time is gone
        b.showBalloon(QPoint(240, 280));
        QVERIFY(b.msUntilHidden() > 4000);
        QCOMPARE(b.pos(), firstPos + QPoint(40, 80));
        b.setDisplayTime(300);
        QElapsedTimer sinceLast;
        sinceLast.start();
        b.showBalloon(QPoint(240, 280));
        QTRY_VERIFY_WITH_TIMEOUT(!b.isVisible(), 3000);
        QVERIFY2(sinceLast.elapsed() >= 299, "hidden before the time since the last showing ran out");
        QVERIFY(!b.isShowing() && b.msUntilHidden() == -1);
    }
};

QTEST_MAIN(tst_BalloonHint)
#include "tst_balloonhint.moc"
