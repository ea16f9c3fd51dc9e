#include "game/Texts.h"
#include "presentation/BalloonHint.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class tst_BalloonHint : public QObject {
    Q_OBJECT

private:
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

    void showsTheFixedTextsNonActivating()
    {
        BalloonHint b(owner_);
        QCOMPARE(b.title(), QString::fromUtf8("Ungültige Schiffposition"));
        QCOMPARE(b.text(),
                 QString::fromUtf8("Hier kann kein Schiff platziert werden.\n\nBeachten Sie, dass sich "
                                   "die Schiffe weder horizontal noch vertikal berühren dürfen."));
        QVERIFY(b.isWindow());
        QVERIFY(b.windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QVERIFY(b.testAttribute(Qt::WA_ShowWithoutActivating));
        QWidget *activeBefore = QApplication::activeWindow();
        b.ShowBalloon(QPoint(300, 250));
        QVERIFY(b.isVisible());
        QCOMPARE(QApplication::activeWindow(), activeBefore);
        QVERIFY(!b.hasFocus());
    }

    void stemPointsAtThePoint_data()
    {
        QTest::addColumn<QPoint>("offset"); // from the screen's top-left (>= 0) or bottom-right (< 0)
        QTest::newRow("middle") << QPoint(300, 200);
        QTest::newRow("top left corner") << QPoint(2, 2);
        QTest::newRow("bottom right corner") << QPoint(-3, -3);
        QTest::newRow("right edge") << QPoint(-3, 200);
        QTest::newRow("bottom edge") << QPoint(300, -3);
    }
    void stemPointsAtThePoint()
    {
        QFETCH(QPoint, offset);
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint point(offset.x() >= 0 ? avail.left() + offset.x() : avail.right() + 1 + offset.x(),
                           offset.y() >= 0 ? avail.top() + offset.y() : avail.bottom() + 1 + offset.y());
        BalloonHint b(owner_);
        b.ShowBalloon(point);
        QCOMPARE(b.stemTip(), point);
        QVERIFY2(avail.contains(b.geometry()), "balloon leaves the screen");
        // The balloon's own shape reaches the point: the mask holds a pixel
        // next to the tip.
        const QPoint local = point - b.pos();
        const QRegion mask = b.mask();
        bool near = false;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                near = near || mask.contains(local + QPoint(dx, dy));
        QVERIFY(near);
        QVERIFY(b.width() > 200 && b.height() > 60);
    }

    void hidesItselfAfterFiveSecondsByDefault()
    {
        BalloonHint b(owner_);
        QCOMPARE(b.displayTime(), 5000);
        QVERIFY(!b.Timer_Balloon()->isActive());
        b.ShowBalloon(QPoint(300, 250));
        QVERIFY(b.Timer_Balloon()->isActive());
        QVERIFY(b.Timer_Balloon()->isSingleShot());
        QCOMPARE(b.Timer_Balloon()->interval(), 5000);
        QVERIFY(b.Timer_Balloon()->remainingTime() > 4500);
    }

    void secondShowingMovesAndRestartsTheTime()
    {
        BalloonHint b(owner_);
        b.setDisplayTime(300);
        b.ShowBalloon(QPoint(200, 200));
        const QPoint firstPos = b.pos();
        QTest::qWait(150);
        QVERIFY(b.isShowing());
        QElapsedTimer sinceSecond;
        sinceSecond.start();
        b.ShowBalloon(QPoint(240, 280));
        QCOMPARE(b.pos(), firstPos + QPoint(40, 80));
        QCOMPARE(b.stemTip(), QPoint(240, 280));
        QTRY_VERIFY_WITH_TIMEOUT(!b.isVisible(), 3000);
        QVERIFY2(sinceSecond.elapsed() >= 299, "hidden before the time since the last showing ran out");
        QVERIFY(!b.isShowing());
        QVERIFY(!b.Timer_Balloon()->isActive());
    }

    void hideCommandHidesOnlyAShowingBalloon()
    {
        BalloonHint b(owner_);
        QSignalSpy timeouts(b.Timer_Balloon(), &QTimer::timeout);
        b.HideBalloon(); // nothing showing: nothing happens
        QVERIFY(!b.isVisible());
        QVERIFY(!b.Timer_Balloon()->isActive());
        b.ShowBalloon(QPoint(300, 250));
        b.HideBalloon();
        QVERIFY(!b.isVisible());
        QVERIFY(!b.Timer_Balloon()->isActive());
        // A plain hide() stops the timer too.
        b.ShowBalloon(QPoint(300, 250));
        b.hide();
        QVERIFY(!b.Timer_Balloon()->isActive());
        QVERIFY(!b.isShowing());
        QCOMPARE(timeouts.count(), 0);
    }

    void staysPutWhenTheMainWindowMoves()
    {
        BalloonHint b(owner_);
        b.ShowBalloon(QPoint(300, 250));
        const QPoint before = b.pos();
        owner_->move(owner_->pos() + QPoint(120, 60));
        QCoreApplication::processEvents();
        QCOMPARE(b.pos(), before);
    }

    void cellCentres()
    {
        QCOMPARE(BalloonHint::CellCentre(0, 0), QPoint(60, 100));
        QCOMPARE(BalloonHint::CellCentre(9, 9), QPoint(420, 460));
    }
};

QTEST_MAIN(tst_BalloonHint)
#include "tst_balloonhint.moc"
