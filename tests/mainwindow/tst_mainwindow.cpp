// The real main window with everything it carries, driven by mouse and keys
// offscreen with a hand-driven clock and scripted chance.

#include "support/GameTestAccess.h"
#include "app/mainwindow/TForm1.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm4.h"
#include "dialogs/TInfo.h"
#include "dialogs/TLxColorComboBox.h"
#include "game/Format.h"
#include "game/Texts.h"
#include "presentation/BalloonHint.h"
#include "presentation/DXDrawSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "presentation/SoundPlayer.h"
#include "presentation/TForm3.h"
#include "support/TestGame.h"
#include "support/WhenModal.h"
#include "update/TLxUpdateFile.h"
#include "update/TStatusForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Banner { Countdown, FoundAll, GameEnd };
const auto L = LeftBoardPixel;

QList<CellPos> cellsWith(const Grid &g, int code)
{
    QList<CellPos> cells;
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if (g.at(x, y) == code)
                cells << CellPos{x, y};
    return cells;
}

struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng;
    TForm1 form;
    QStringList sounds; // "<id>" or "<id> forced", on their way to the player

    // realClock: the program's own clock instead of the hand-driven one.
    explicit Window(const QString &settingsPath = {}, bool realClock = false)
        : form(realClock ? nullptr : &clock, &rng, nullptr,
               settingsPath.isEmpty() ? dir.filePath("Settings.ini") : settingsPath)
    {
        form.setWizard(new TForm2(form.game(), &form));
        form.createDialogs();
        form.hooks.playSound = [this, play = form.hooks.playSound](int id, bool forced) {
            sounds << (forced ? QStringLiteral("%1 forced").arg(id) : QString::number(id));
            play(id, forced);
        };
        form.show();
    }
    Game &game() { return form.game(); }
    GameState &st() { return GameTestAccess::state(form.game()); }
    int presents() const { return form.DXDraw->presentCount(); }
    QImage shown() const { return form.DXDraw->frontImage(); }
    QImage panel() const { return form.DXDraw_Info->frontImage(); }
    QString status() const { return form.Label_Info->text(); }
    bool showsTitle() const
    {
        return shown().copy(0, 0, 880, 480) == form.renderer().Picture(0).copy(0, 0, 880, 480);
    }

    void click(QPoint p) { QTest::mouseClick(form.DXDraw, Qt::LeftButton, {}, p); }
    void place(int x, int y) { click(LeftBoardPixel(x, y)); }
    void shoot(CellPos c) { click(RightBoardPixel(c.x, c.y)); }
    void drag(const QList<QPoint> &path, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(form.DXDraw, b, {}, path.first());
        for (qsizetype i = 1; i < path.size(); ++i)
            QTest::mouseMove(form.DXDraw, path[i]);
        QTest::mouseRelease(form.DXDraw, b, {}, path.last());
    }
    void hover(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, form.DXDraw->mapToGlobal(p), Qt::NoButton, {}, {});
        QApplication::sendEvent(form.DXDraw, &move);
    }
    void enter() { QTest::keyClick(&form, Qt::Key_Return); }
    // Opens the game menu and triggers the item if the menu shows it.
    bool menu(QAction *item)
    {
        emit form.Spiel1->aboutToShow();
        if (item->isVisible())
            item->trigger();
        return item->isVisible();
    }
    // Lets the test clock run on; a game timer due then fires through the
    // real wake-up timer.
    void tick(int ms)
    {
        clock.advance(ms);
        GameTimerDriver &driver = form.timerDriver();
        driver.reaim();
        if (!driver.isArmed() || driver.remainingMs() > 0)
            return;
        const int wakes = driver.wakeCount();
        for (int i = 0; i < 1000 && driver.wakeCount() == wakes; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // One thinking time: no shot a millisecond early, then exactly one.
    bool computerShoots(int ms)
    {
        const int tries = st().Tries[1];
        tick(ms - 1);
        const bool early = st().Tries[1] != tries;
        tick(1);
        return !early && st().Tries[1] == tries + 1;
    }

    // A new game through Ctrl+N and the wizard; true once placing begins.
    // Both modes' fields are filled; the wizard reads those of the chosen one.
    bool start(bool twoAtOne, int time, const QString &name = QStringLiteral("Anna"), int level = clNormal)
    {
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == &form; }))
            return false;
        WhenModal<TForm2>([=](TForm2 *d) {
            (twoAtOne ? d->RadioButton_TwoAtOne : d->RadioButton_PCMode)->click();
            d->Button_Forward->click();
            d->Edit_M1Player1->setText(name);
            d->Edit_M1Player2->setText(QStringLiteral("Bert"));
            d->SpinEdit_ChangingTime->setValue(time);
            d->Edit_M3Player->setText(name);
            d->SpinEdit_ComputerTime->setValue(time);
            d->ComboBox_ComputerLevel->setCurrentIndex(level);
            d->Button_Forward->click();
        });
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
        return st().GamePhase == gpPlacing1;
    }
    // Places at random and presses Enter, with the draw of who begins given.
    void placeAndEnter(int draw)
    {
        menu(form.MenuItem_SetShipsAutomatically);
        rng.push(draw);
        enter();
    }

    // The board shows the frame composed independently for the game state.
    // Two drawings of one frame may differ by a few levels at the banner's
    // text edges (Qt sometimes places large glyphs a fraction of a pixel apart).
    bool shows(Banner banner, int seconds = 0)
    {
        BoardRenderer r;
        QImage img(BoardRenderer::Width, BoardRenderer::Height, QImage::Format_RGB32);
        r.DrawScreen(img, st(), banner == Banner::Countdown);
        if (banner == Banner::Countdown)
            r.DrawChangeOverBanner(img, st(), seconds);
        else if (banner == Banner::FoundAll)
            r.DrawFoundAllBanner(img, st());
        else
            r.DrawGameEndBanner(img);
        const QImage now = shown().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb a = img.pixel(x, y), b = now.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 24)
                    return false;
            }
        return true;
    }
    QImage expectedPanel()
    {
        DXDrawSurface surface(InfoPanel::W, InfoPanel::H);
        ScriptedRandom r;
        InfoPanel(surface, r).DrawInfo(st());
        return surface.frontImage();
    }
};

} // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void windowMenusAndSmallDialogs()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QCOMPARE(w.form.centralWidget()->size(), QSize(881, 682));
        QCOMPARE(w.form.DXDraw->geometry(), QRect(0, 201, 881, 481));
        QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
        QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.showsTitle());
        QCOMPARE(w.status(), Texts::InfoText(0));
        QVERIFY(w.game().timers.applicationActive());
        const int frames = w.form.DXDraw_Info->presentCount();
        w.tick(10);
        QCOMPARE(w.form.DXDraw_Info->presentCount(), frames + 1); // the title ship sails
        QStringList items;
        for (QMenu *menu : {w.form.Spiel1, w.form.Fragezeichen1})
            for (QAction *a : menu->actions())
                items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items,
                 QStringList({"&Neu\tStrg+N", "-", "Alle Schiffe entfernen", "Schiffe zufällig platzieren",
                              "-", "Farben einrichten", "Sounds einrichten", "Sounds abspielen", "-",
                              "Be&enden", "&Hilfe\tF1", "-", "&Info"}));
        QVERIFY(!w.menu(w.form.MenuItem_SetShipsAutomatically));

        // The about dialog comes last: the window, the sound dialog and the
        // update wizard (its font given in pixels) took the system face.
        const QString face = QApplication::font("QMessageBox").family();
        for (QWidget *window : QList<QWidget *>{&w.form, w.form.Form3, w.form.LxUpdateFile->statusForm()})
            QCOMPARE(window->font().family(), face);
        QString caption;
        WhenModal<TInfo>([&](TInfo *d) {
            caption = d->windowTitle() + u'|' + d->VersionText();
            d->OK->click();
        });
        w.form.Info1->trigger();
        QCOMPARE(caption, QStringLiteral("Info über Kielwanz|Version: 1.0.0.0"));

        QTRY_COMPARE(QApplication::activeWindow(), &w.form);
        QTest::keyClick(&w.form, Qt::Key_F1);
        auto *help = w.form.findChild<HelpWindow *>();
        QVERIFY(help != nullptr && help->isVisible());
        for (const char *topic :
             {"Zwei Spieler an einem PC", "Zwei Spieler über TCP/IP", "Rechte Maustaste", "Spielstärke"})
            QVERIFY2(HelpWindow::HelpHtml().contains(QString::fromUtf8(topic)), topic);
    }

    // In every dialog Enter presses the focused button, else the default one;
    // the main window, which sees keys first, leaves a dialog's Enter alone.
    void enterInDialogs_data()
    {
        QTest::addColumn<int>("dialog");    // wizard, sounds, colours, about, update wizard
        QTest::addColumn<QString>("focus"); // a button's caption; empty: a field, or nothing
        QTest::addColumn<QString>("pressed");
        const struct {
            const char *name;
            int dialog;
            const char *focus, *pressed;
        } rows[] = {{"wizard, Abbrechen", 0, "Ab&brechen", "Ab&brechen"},
                    {"wizard, Zurück", 0, "< &Zurück", "< &Zurück"},
                    {"wizard, name field", 0, "", "&Weiter >"},
                    {"sounds, Abbrechen", 1, "Ab&brechen", "Ab&brechen"},
                    {"sounds, list", 1, "", "&OK"},
                    {"colours, Abbrechen", 2, "Ab&brechen", "Ab&brechen"},
                    {"about", 3, "", "OK"},
                    {"update wizard, Abbrechen", 4, "Abbrechen", "Abbrechen"}};
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.dialog << QString(r.focus) << QString(r.pressed);
    }
    void enterInDialogs()
    {
        QFETCH(int, dialog);
        QFETCH(QString, focus);
        QFETCH(QString, pressed);
        Window w;
        UpdatePlatform &platform = w.form.LxUpdateFile->platform();
        platform.userSettingsFile = platform.machineSettingsFile =
            w.dir.filePath(QStringLiteral("Update.ini"));
        platform.onReadOnlyFileSystem = [](const QString &) { return false; };
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QString got;
        WhenModal<QDialog>([&](QDialog *d) {
            if (auto *wizard = qobject_cast<TForm2 *>(d)) { // page "Mode3": all three buttons enabled
                wizard->RadioButton_PCMode->click();
                wizard->Button_Forward->click();
                wizard->Edit_M3Player->setText(QStringLiteral("Anna"));
            }
            QObject guard;
            QWidget *target = d;
            for (QPushButton *b : d->findChildren<QPushButton *>()) {
                connect(b, &QPushButton::pressed, &guard, [&got, b] { got = b->text(); });
                if (b->isVisible() && b->text() == focus)
                    target = b;
            }
            if (focus.isEmpty())
                for (QWidget *field : d->findChildren<QWidget *>())
                    if (field->isVisible() &&
                        (qobject_cast<QLineEdit *>(field) || qobject_cast<QComboBox *>(field)))
                        target = field;
            target->setFocus();
            QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Return);
            if (d->isVisible())
                d->done(QDialog::Rejected);
        });
        QAction *open[] = {w.form.Neu1, w.form.Soundseinrichten1, w.form.Farbeneinrichten1, w.form.Info1,
                           w.form.LxUpdateFile->action()};
        open[dialog]->trigger();
        QCOMPARE(got, pressed);
    }

    void mouseBounds_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<CellPos>("cell");
        QTest::newRow("X 40") << int(gpPlacing1) << QPoint(40, 200) << NoCell;
        QTest::newRow("X 440") << int(gpPlacing1) << QPoint(440, 200) << NoCell;
        QTest::newRow("Y 80") << int(gpPlacing1) << QPoint(100, 80) << NoCell;
        QTest::newRow("Y 480") << int(gpPlacing1) << QPoint(100, 480) << NoCell;
        QTest::newRow("41, 81") << int(gpPlacing1) << QPoint(41, 81) << CellPos{0, 0};
        QTest::newRow("439, 479") << int(gpPlacing1) << QPoint(439, 479) << CellPos{9, 9};
        QTest::newRow("firing X 480") << int(gpFiring) << QPoint(480, 200) << NoCell;
        QTest::newRow("firing X 880") << int(gpFiring) << QPoint(880, 200) << NoCell;
        QTest::newRow("firing 481, 81") << int(gpFiring) << QPoint(481, 81) << CellPos{0, 0};
        QTest::newRow("firing 879, 479") << int(gpFiring) << QPoint(879, 479) << CellPos{9, 9};
        QTest::newRow("firing, left board") << int(gpFiring) << QPoint(100, 200) << NoCell;
    }
    void mouseBounds()
    {
        QFETCH(int, phase);
        QFETCH(QPoint, at);
        QFETCH(CellPos, cell);
        Window w;
        w.game().StartGame();
        w.st().GamePhase = GamePhaseT(phase);
        w.st().HoverCell = {5, 5};
        w.hover(at);
        QCOMPARE(w.st().HoverCell, cell);
        if (phase == gpPlacing1) { // a click there sets exactly that cell, or none
            w.click(at);
            QCOMPARE(ShipCells(w.st().PlayField[w.st().CurrentPlayer]),
                     cell == NoCell ? QList<CellPos>{} : QList<CellPos>{cell});
        }
    }

    void movingWithinACellDrawsNothing()
    {
        Window w;
        w.game().StartGame();
        const int n = w.presents();
        const QPoint frame(81, 100); // the hover frame of cell (1, 0)
        for (const QPoint p : {QPoint(100, 100), QPoint(101, 118), QPoint(119, 81)})
            w.hover(p);
        QCOMPARE(w.presents(), n + 1);
        QCOMPARE(w.shown().pixel(frame) & 0xFFFFFF, 0xFF0000u);
        w.hover(QPoint(10, 10)); // off the board: drawn once more, then no more
        w.hover(QPoint(12, 14));
        QCOMPARE(w.presents(), n + 2);
        QVERIFY((w.shown().pixel(frame) & 0xFFFFFF) != 0xFF0000u);
        // Off the surface (to the menu, say): the frame goes with the pointer.
        w.hover(QPoint(100, 100));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w.form.DXDraw, &leave);
        QCOMPARE(w.presents(), n + 4);
        QVERIFY((w.shown().pixel(frame) & 0xFFFFFF) != 0xFF0000u);
    }

    void twoPlayersAtOnePC()
    {
        Window w;
        GameState &st = w.st();
        BalloonHint *balloon = w.form.balloon();
        auto balloonAt = [&](int x, int y) {
            return balloon->isVisible() && balloon->stemTip() == w.form.DXDraw->mapToGlobal(L(x, y));
        };
        w.rng.push(0); // Anna places first
        QVERIFY(w.start(true, 2));
        QCOMPARE(w.status(),
                 "Anna, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen.");

        // Anna: a drag stopped by the length limit, clicks, a refused bend,
        // Enter refused, a surplus ship removed by a right drag.
        w.drag({L(0, 0), L(1, 0), L(2, 0), L(3, 0), L(4, 0)});
        QCOMPARE(Game::GetShipLength(st.PlayField[0], 0, 0), 4);
        QVERIFY(balloonAt(4, 0));
        w.drag({L(0, 2), L(1, 2), L(2, 2)});
        for (int x : {0, 1, 2})
            w.place(x, 4);
        const int presents = w.presents();
        w.place(3, 1);
        QVERIFY(balloonAt(3, 1));
        QCOMPARE(w.presents(), presents);
        w.enter();
        QCOMPARE(st.GamePhase, int(gpPlacing1));
        for (const CellPos c : {CellPos{5, 2}, CellPos{6, 2}, CellPos{5, 4}, CellPos{6, 4}, CellPos{8, 0},
                                CellPos{8, 1}, CellPos{6, 7}, CellPos{7, 7}})
            w.place(c.x, c.y);
        QCOMPARE(w.status(), QStringLiteral("benötigt: 4 1er; zu entfernen: 1 2er"));
        w.drag({L(6, 7), L(7, 7)}, Qt::RightButton);
        for (const CellPos c : {CellPos{9, 9}, CellPos{7, 7}, CellPos{5, 9}, CellPos{2, 7}})
            w.place(c.x, c.y);
        QCOMPARE(st.GamePhase, int(gpPlaced1));
        QCOMPARE(w.status(), Texts::InfoText(2));
        QCOMPARE(w.panel(), w.expectedPanel());

        // Enter: Bert. Both placement commands hide the balloon.
        w.enter();
        QCOMPARE(st.GamePhase, int(gpPlacing2));
        QVERIFY((w.shown().pixel(L(0, 0)) & 0xFFFFFF) != 0xFFFF00u);
        for (QAction *item : {w.form.MenuItem_DeleteAllShips, w.form.MenuItem_SetShipsAutomatically}) {
            for (const CellPos c : {CellPos{2, 2}, CellPos{3, 2}, CellPos{2, 3}})
                w.place(c.x, c.y);
            QVERIFY(balloonAt(2, 3));
            QVERIFY(w.menu(item));
            QVERIFY(!balloon->isVisible());
        }
        QCOMPARE(st.GamePhase, int(gpPlaced2));

        // Enter: the countdown, its first frame a second later, the mouse ignored.
        const int beforeCountdown = w.presents();
        w.enter();
        w.hover(RightBoardPixel(3, 3));
        QCOMPARE(w.presents(), beforeCountdown);
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 2));
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 1));
        w.tick(1000);
        QCOMPARE(w.status(), QStringLiteral("Anna ist an der Reihe. Es fehlen: 4 1er, 3 2er, 2 3er, 1 4er."));
        QCOMPARE(w.shown().pixel(L(0, 0)) & 0xFFFFFF, 0xFFFF00u);
        QVERIFY(!w.menu(w.form.MenuItem_SetShipsAutomatically));

        // Anna: a drag sinks the 4; a miss shows the countdown at once and
        // shots wait for its end.
        QList<QPoint> run;
        for (const CellPos c : ShipCells(st.PlayField[1]))
            if (Game::GetShipLength(st.PlayField[1], c.x, c.y) == 4)
                run << RightBoardPixel(c.x, c.y);
        w.drag(run);
        const CellPos miss = cellsWith(st.PlayField[1], pfWater).first();
        w.hover(RightBoardPixel(miss.x, miss.y));
        w.shoot(miss);
        QCOMPARE(w.sounds, QStringList(4, "101") << "1");
        QVERIFY(w.shows(Banner::Countdown, 2));
        w.shoot(cellsWith(st.PlayField[1], pfShip).first());
        QCOMPARE(st.Tries[0], 5);
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 1));
        w.tick(1000);
        QCOMPARE(st.CurrentPlayer, 1);
        QCOMPARE(st.HoverCell, NoCell); // Anna's pointer is not Bert's

        // Bert finds every ship first: two seconds of victory, then Anna's turn.
        w.sounds.clear();
        for (const CellPos c : ShipCells(st.PlayField[0]))
            w.shoot(c);
        QCOMPARE(w.sounds, QStringList(20, "101") << "301");
        QCOMPARE(w.status(), QStringLiteral("Bert hat alle Schiffe von Anna gefunden."));
        QVERIFY(w.shows(Banner::FoundAll));
        w.enter(); // changes nothing here
        w.tick(1999);
        QVERIFY(w.shows(Banner::FoundAll));
        w.tick(1);
        QVERIFY(w.status().startsWith(QStringLiteral("Anna ist an der Reihe. Es fehlen: ")));

        // Anna alone: a miss keeps the turn, Enter does not give it to Bert;
        // her last hit ends the game.
        w.shoot(cellsWith(st.PlayField[1], pfWater).first());
        w.enter();
        QVERIFY(!w.game().DXTimer.Enabled());
        w.sounds.clear();
        for (const CellPos c : cellsWith(st.PlayField[1], pfShip))
            w.shoot(c);
        QCOMPARE(st.GamePhase, int(gpFinished));
        QCOMPARE(w.sounds, QStringList(16, "101"));
        QCOMPARE(w.status(), Texts::InfoText(18));
        QVERIFY(w.shows(Banner::GameEnd));

        // Enter: the title picture; a second Enter does nothing.
        w.enter();
        QVERIFY(w.showsTitle());
        QCOMPARE(w.status(), Texts::InfoText(0));
        const int titlePresents = w.presents();
        w.enter();
        QCOMPARE(w.presents(), titlePresents);
    }

    void newGameAndClosingAskDuringAGame()
    {
        Window w;
        QVERIFY(w.start(true, 5));
        w.placeAndEnter(0);
        w.placeAndEnter(0);
        w.tick(1000);
        QCOMPARE(w.game().DXTimer.Tag, 5);

        AnswerMessageBox(QStringLiteral("&Nein")); // closing asks as "Neu" does (timers test below)
        w.form.Beenden1->trigger();
        QVERIFY(w.form.isVisible());

        // "Ja": every timer stops and the title shows while the wizard is
        // open; cancelling it resumes the title animation.
        bool stopped = false;
        AnswerMessageBox(QStringLiteral("&Ja"));
        WhenModal<TForm2>([&](TForm2 *wizard) {
            stopped = !w.game().DXTimer.Enabled() && !w.game().DXTimer_Computer.Enabled() &&
                      !w.game().DXTimer_Info.Enabled() && w.showsTitle();
            wizard->Button_Cancel->click();
        });
        w.form.Neu1->trigger();
        QVERIFY(stopped);
        QCOMPARE(w.st().GamePhase, int(gpNoGame));
        QCOMPARE(w.game().DXTimer.Tag, 0);
        QVERIFY(w.game().DXTimer_Info.Enabled());
        QVERIFY(w.form.close()); // no game: no question
    }

    // No game timer ticks while a question, a dialog or a menu is open; one
    // whose time ran out meanwhile fires as soon as it closes. On the
    // program's own clock.
    void timersStandStillWhileSomethingIsOpen_data()
    {
        QTest::addColumn<int>("opened");
        QTest::newRow("question, the computer to fire") << 0;
        QTest::newRow("game menu, the computer to fire") << 1;
        QTest::newRow("about dialog, the title ship") << 2;
    }
    void timersStandStillWhileSomethingIsOpen()
    {
        QFETCH(int, opened);
        Window w({}, true);
        if (opened < 2) {
            QVERIFY(w.start(false, 1));
            w.placeAndEnter(1); // the computer begins, after one second
        }
        const auto frames = [&] { return w.presents() + w.form.DXDraw_Info->presentCount(); };
        int before = -1, after = -2;
        const auto wait = [&] {
            before = frames();
            QTest::qWait(1300);
            after = frames();
        };
        QString question;
        if (opened == 0) {
            AnswerMessageBox(QStringLiteral("&Nein"), [&](QMessageBox *box) {
                wait();
                question = box->windowTitle() + u'|' + box->text();
            });
            w.form.Neu1->trigger();
            QCOMPARE(question, QStringLiteral("Spiel beenden?|Wollen Sie das Spiel wirklich beenden?"));
        } else if (opened == 1) {
            QMenuBar *bar = w.form.menuBar();
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(w.form.Spiel1->menuAction()).center());
            QTRY_VERIFY(w.form.Spiel1->isVisible());
            wait();
            QTest::keyClick(w.form.Spiel1, Qt::Key_Escape);
        } else {
            WhenModal<TInfo>([&](TInfo *d) {
                wait();
                d->OK->click();
            });
            w.form.Info1->trigger();
        }
        QCOMPARE(after, before);
        QTRY_VERIFY(frames() > after);
        QCOMPARE(w.st().Tries[1], opened < 2 ? 1 : 0);
    }

    // The winner finds every ship while the other misses; after the
    // victory pause the loser fires alone, misses included, until done.
    void againstTheComputer_data()
    {
        QTest::addColumn<bool>("computerWins");
        QTest::newRow("computer first") << true;
        QTest::newRow("human first") << false;
    }
    void againstTheComputer()
    {
        QFETCH(bool, computerWins);
        Window w;
        GameState &st = w.st();
        QVERIFY(w.start(false, 2));
        QCOMPARE(st.PlayerNames[1], QStringLiteral("Computer"));
        w.hover(L(3, 4));
        w.placeAndEnter(computerWins ? 1 : 0);
        QCOMPARE(st.HoverCell, NoCell); // no frame on the right board where the pointer is not
        for (int guard = 0; st.Winner == -1 && guard < 300; ++guard) {
            if (st.CurrentPlayer == 0) { // the human misses once, or always
                QVERIFY(!w.game().DXTimer_Computer.Enabled());
                w.shoot(
                    cellsWith(st.PlayField[1], computerWins || st.Tries[0] == 0 ? pfWater : pfShip).first());
                continue;
            }
            const int hits = w.game().Hits(1);
            QVERIFY(w.computerShoots(2000));
            QCOMPARE(st.CurrentPlayer, w.game().Hits(1) > hits ? 1 : 0);
        }
        QVERIFY(st.Tries[1] > 0);
        QCOMPARE(w.status(),
                 FormatText(Texts::InfoText(computerWins ? 11 : 12), {QStringLiteral("Computer")}));
        const int computerShots = st.Tries[1];
        w.tick(1999);
        QCOMPARE(st.CurrentPlayer, computerWins ? 1 : 0);
        w.tick(1);
        const int loser = computerWins ? 0 : 1;
        QCOMPARE(st.CurrentPlayer, loser);
        QCOMPARE(w.game().DXTimer_Computer.Enabled(), !computerWins);
        if (computerWins)
            w.tick(10000);
        int misses = 0;
        for (int guard = 0; st.GamePhase == gpFiring && guard < 120; ++guard) {
            const qsizetype water = cellsWith(st.ControlField[loser], cfWater).size();
            if (computerWins)
                w.shoot(cellsWith(st.PlayField[1], misses == 0 ? pfWater : pfShip).first());
            else
                QVERIFY(w.computerShoots(2000));
            QCOMPARE(st.CurrentPlayer, loser);
            misses += cellsWith(st.ControlField[loser], cfWater).size() - water;
        }
        QVERIFY(misses > 0);
        QCOMPARE(st.GamePhase, int(gpFinished));
        QCOMPARE(w.status(), Texts::InfoText(18));
        QVERIFY(w.shows(Banner::GameEnd));
        QCOMPARE(w.panel(), w.expectedPanel());
        QVERIFY(!w.game().DXTimer_Computer.Enabled());
        const int shots = st.Tries[1];
        w.tick(10000);
        QCOMPARE(st.Tries[1], computerWins ? computerShots : shots);
    }

    void settingsAndColoursSurviveARestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Settings.ini"));
        {
            Window w(path);
            w.form.MenuItem_Sounds->trigger(); // off: only a forced sound plays
            w.form.PlaySound(101);
            w.form.PlaySound(301, true);
            QCOMPARE(w.sounds, QStringList({"301 forced"}));
            WhenModal<TForm3>([](TForm3 *d) {
                d->ComboBox_WaterSound->setCurrentIndex(2);
                d->ComboBox_ShipSound->setCurrentIndex(8);
                d->Button_OK->click();
            });
            w.form.Soundseinrichten1->trigger();

            // Colours: Cancel forgets and draws nothing, OK draws at once.
            QVERIFY(w.start(false, 7, QStringLiteral("Zoë"), clHard));
            QCOMPARE(w.st().ComputerLevel, clHard);
            w.place(5, 5);
            QCOMPARE(w.shown().pixel(L(5, 5)) & 0xFFFFFF, 0xFFFF00u);
            const int presents = w.presents();
            WhenModal<TForm4>([](TForm4 *d) {
                d->LxColorComboBox_Color2->setColor(0x00FF00);
                d->Button_Cancel->click();
            });
            w.form.Farbeneinrichten1->trigger();
            QCOMPARE(w.presents(), presents);
            WhenModal<TForm4>([](TForm4 *d) {
                d->LxColorComboBox_Color1->setColor(0x123456);
                d->LxColorComboBox_Color2->setColor(0x0000FF); // red in the low byte
                d->Button_OK->click();
            });
            w.form.Farbeneinrichten1->trigger();
            QCOMPARE(w.presents(), presents + 1);
            QCOMPARE(w.shown().pixel(L(5, 5)) & 0xFFFFFF, 0xFF0000u);
            QVERIFY(!QFile::exists(path)); // written only when the window goes
        }
        Window w(path);
        QVERIFY(!w.form.MenuItem_Sounds->isChecked());
        QVERIFY(!w.form.soundPlayer().enabled());
        QCOMPARE(w.st().ShotSound, (std::array<int, 2>{3, 201}));
        QCOMPARE(w.st().CellColors[1], 0x123456u);
        QCOMPARE(w.st().CellColors[2], 0x0000FFu);
        QString shown;
        WhenModal<TForm2>([&](TForm2 *d) {
            shown = d->Edit_M3Player->text() + u'|' + QString::number(d->SpinEdit_ComputerTime->value()) +
                    u'|' + d->ComboBox_ComputerLevel->currentText();
            d->Button_Cancel->click();
        });
        w.form.Neu1->trigger();
        QCOMPARE(shown, QStringLiteral("Zoë|7|Schwer"));
    }

    void failedSaveIsReportedAndClosingGoesOn()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        const QString path = dir.filePath(QStringLiteral("blocker/Settings.ini"));
        auto w = std::make_unique<Window>(path);
        QString message;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            message = box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->buttons().size());
        });
        w.reset();
        QCOMPARE(message,
                 "Kielwanz|In " + QDir::toNativeSeparators(path) + " kann nicht geschrieben werden|1");
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
