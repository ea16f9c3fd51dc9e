// The real main window with everything it carries, driven by mouse and keys
// offscreen with a hand-driven clock and scripted chance.

#include "app/mainwindow/MainWindow.h"
#include "app/mainwindow/WindowEffects.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/ColorComboBox.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/NewGameWizard.h"
#include "dialogs/SoundDialog.h"
#include "game/Format.h"
#include "game/Texts.h"
#include "opponents/NetSession.h"
#include "presentation/BalloonHint.h"
#include "presentation/DrawingSurface.h"
#include "presentation/DesktopFace.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "presentation/SoundPlayer.h"
#include "support/GameTestAccess.h"
#include "support/TestGame.h"
#include "support/WhenModal.h"
#include "update/UpdateWizard.h"
#include "update/Updater.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

namespace {

enum class Banner { None, Countdown, FoundAll, GameEnd };
const auto L = LeftBoardPixel;

// The sounds that reach the output.
struct SoundRecorder final : SoundOutput {
    QStringList &log;
    explicit SoundRecorder(QStringList &l) : log(l) {}
    void play(int id) override { log << QString::number(id); }
};

struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng;
    QStringList sounds; // as they reach the output
    MainWindow form;
    NewGameWizard *wizard = form.findChild<NewGameWizard *>();
    DrawingSurface *board = form.findChild<DrawingSurface *>(QStringLiteral("DXDraw"));
    DrawingSurface *infoSurface = form.findChild<DrawingSurface *>(QStringLiteral("DXDraw_Info"));
    QSignalSpy boardPresents{board, &DrawingSurface::presented},
        infoPresents{infoSurface, &DrawingSurface::presented};

    explicit Window(const QString &settingsPath = {}, unsigned seed = 1)
        : rng({}, seed),
          form(&clock, &rng, nullptr, settingsPath.isEmpty() ? dir.filePath("Settings.ini") : settingsPath,
               std::make_unique<SoundRecorder>(sounds))
    {
        adoptDesktopFace(); // as the program does at start
        form.show();
    }
    Game &game() { return form.game(); }
    GameState &st() { return GameTestAccess::state(form.game()); }
    QAction *action(const char *name) { return form.findChild<QAction *>(QLatin1String(name)); }
    QMenu *gameMenu() { return form.findChild<QMenu *>(QStringLiteral("Spiel1")); }
    NetSession &net() { return *form.findChild<NetSession *>(); }
    int presents() const { return boardPresents.count(); }
    QImage shown() const { return board->frontImage(); }
    QString status() const { return form.findChild<QLabel *>(QStringLiteral("Label_Info"))->text(); }
    bool showsTitle() const
    {
        return shown().copy(0, 0, 880, 480) == BoardRenderer().picture(0).copy(0, 0, 880, 480);
    }

    void place(int x, int y) { QTest::mouseClick(board, Qt::LeftButton, {}, L(x, y)); }
    void shoot(CellPos c) { QTest::mouseClick(board, Qt::LeftButton, {}, RightBoardPixel(c.x, c.y)); }
    void drag(const QList<QPoint> &path, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(board, b, {}, path.first());
        for (qsizetype i = 1; i < path.size(); ++i)
            QTest::mouseMove(board, path[i]);
        QTest::mouseRelease(board, b, {}, path.last());
    }
    void hover(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, board->mapToGlobal(p), Qt::NoButton, {}, {});
        QApplication::sendEvent(board, &move);
    }
    void enter(Qt::KeyboardModifiers m = {}) { QTest::keyClick(&form, Qt::Key_Return, m); }
    // Opens the game menu and triggers the item if the menu shows it.
    bool menu(const char *name)
    {
        QAction *item = action(name);
        emit gameMenu()->aboutToShow();
        if (item->isVisible())
            item->trigger();
        return item->isVisible();
    }
    // A game timer due after ms fires through the real wake-up timer.
    void tick(int ms)
    {
        clock.advance(ms);
        GameTimerDriver &driver = *form.findChild<GameTimerDriver *>();
        driver.reaim();
        if (!driver.isArmed() || driver.remainingMs() > 0)
            return;
        QSignalSpy(&driver, &GameTimerDriver::woke).wait();
    }
    // A new game through Ctrl+N and the wizard; true once placing begins.
    bool start(bool twoAtOne, int time, const QString &name = QStringLiteral("Anna"), int level = clNormal)
    {
        if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == &form; }))
            return false;
        WhenModal<NewGameWizard>([=](NewGameWizard *d) {
            d->findChild<QRadioButton *>(twoAtOne ? "RadioButton_TwoAtOne" : "RadioButton_PCMode")->click();
            d->findChild<QPushButton *>("Button_Forward")->click();
            d->findChild<QLineEdit *>("Edit_M1Player1")->setText(name);
            d->findChild<QLineEdit *>("Edit_M1Player2")->setText(QStringLiteral("Bert"));
            d->findChild<QSpinBox *>("SpinEdit_ChangingTime")->setValue(time);
            d->findChild<QLineEdit *>("Edit_M3Player")->setText(name);
            d->findChild<QSpinBox *>("SpinEdit_ComputerTime")->setValue(time);
            d->findChild<QComboBox *>("ComboBox_ComputerLevel")->setCurrentIndex(level);
            d->findChild<QPushButton *>("Button_Forward")->click();
        });
        QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
        return st().gamePhase == gpPlacing1;
    }
    // Places at random and presses Enter, with the draw of who begins given.
    void placeAndEnter(int draw)
    {
        menu("MenuItem_SetShipsAutomatically");
        rng.push(draw);
        enter();
    }
    // The wizard's network page, shown without its modal loop.
    void openNetworkPage(const QString &name, bool host, const QString &address = {})
    {
        wizard->show();
        wizard->findChild<QAbstractButton *>("RadioButton_TwoAtTwo")->setChecked(true);
        wizard->findChild<QPushButton *>("Button_Forward")->click();
        wizard->findChild<QLineEdit *>("Edit_M2Player")->setText(name);
        wizard->findChild<QRadioButton *>(host ? "RadioButton_M2Host" : "RadioButton_M2Client")
            ->setChecked(true);
        wizard->findChild<QLineEdit *>("Edit_M2IP")->setText(address);
        wizard->findChild<QPushButton *>("Button_Forward")->click();
    }

    // The board shows the frame composed independently for the game state at
    // the screen's pixel ratio, give or take a few levels at the banner's text edges.
    bool shows(Banner banner, int seconds = 0)
    {
        BoardRenderer r;
        const qreal ratio = shown().devicePixelRatio();
        QImage img(std::ceil(BoardRenderer::Width * ratio), std::ceil(BoardRenderer::Height * ratio),
                   QImage::Format_RGB32);
        img.setDevicePixelRatio(ratio);
        r.drawScreen(img, st(), banner == Banner::Countdown);
        if (banner == Banner::Countdown)
            r.drawChangeOverBanner(img, st(), seconds);
        else if (banner == Banner::FoundAll)
            r.drawFoundAllBanner(img, st());
        else if (banner == Banner::GameEnd)
            r.drawGameEndBanner(img);
        if (shown().size() != img.size())
            return false;
        const QImage now = shown().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb a = img.pixel(x, y), b = now.pixel(x, y);
                if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 24)
                    return false;
            }
        return true;
    }
};

} // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
public:
    // Offscreen, two screens side by side, the second of twice the density.
    static void initMain()
    {
        static QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("screens.json")));
        if (qgetenv("QT_QPA_PLATFORM") != "offscreen" || !config.open(QIODevice::WriteOnly))
            return;
        config.write(R"({"screens": [
            {"name": "normal", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
            {"name": "dense", "x": 1280, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 2}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }

private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void twoPlayersAtOnePCAndTheWindow()
    {
        Window w;
        GameState &st = w.st();
        auto *balloon = w.form.findChild<BalloonHint *>();
        auto balloonAt = [&](int x, int y) {
            return balloon->isVisible() && balloon->stemTip() == w.board->mapToGlobal(L(x, y));
        };
        w.rng.push(0); // Anna places first
        QVERIFY(w.start(true, 2));

        // The hover frame is drawn once per cell and goes with the pointer.
        const QPoint frame(81, 100); // the hover frame of cell (1, 0)
        const int n = w.presents();
        for (const QPoint p : {QPoint(100, 100), QPoint(101, 118), QPoint(119, 81)})
            w.hover(p);
        QCOMPARE(w.presents(), n + 1);
        QCOMPARE(w.shown().pixel(frame) & 0xFFFFFF, 0xFF0000u);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w.board, &leave);
        QCOMPARE(w.presents(), n + 2);
        QVERIFY((w.shown().pixel(frame) & 0xFFFFFF) != 0xFF0000u);

        // Anna: drags with both buttons, the rest at random; Ctrl+Enter is not Enter.
        w.drag({L(0, 0), L(1, 0), L(2, 0), L(3, 0), L(4, 0)});
        QVERIFY(balloonAt(4, 0)); // the fifth cell refused
        w.drag({L(3, 0), L(2, 0)}, Qt::RightButton);
        QCOMPARE(Game::shipLength(st.playField[0], 0, 0), 2);
        QVERIFY(w.menu("MenuItem_SetShipsAutomatically"));
        QCOMPARE(st.gamePhase, int(gpPlaced1));
        const CellPos mine = ShipCells(st.playField[0]).first();
        const QPoint own = L(mine.x, mine.y);
        w.enter(Qt::ControlModifier);
        QCOMPARE(st.gamePhase, int(gpPlaced1));
        DrawingSurface panel(InfoPanel::Width, InfoPanel::Height);
        ScriptedRandom r;
        InfoPanel(panel, r).drawInfo(st);
        QCOMPARE(w.infoSurface->frontImage(), panel.frontImage());

        // Enter: Bert. A placement command hides the balloon.
        w.enter();
        QCOMPARE(st.gamePhase, int(gpPlacing2));
        QVERIFY((w.shown().pixel(own) & 0xFFFFFF) != 0xFFFF00u);
        for (const CellPos c : {CellPos{2, 2}, CellPos{3, 2}, CellPos{2, 3}})
            w.place(c.x, c.y);
        QVERIFY(balloonAt(2, 3));
        QVERIFY(w.menu("MenuItem_SetShipsAutomatically"));
        QVERIFY(!balloon->isVisible());
        QCOMPARE(st.gamePhase, int(gpPlaced2));

        // Enter: the countdown, its first frame a second later.
        w.enter();
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 2));
        w.tick(1000);
        w.tick(1000);
        QCOMPARE(w.shown().pixel(own) & 0xFFFFFF, 0xFFFF00u);

        // Anna: a drag sinks the 4; a miss shows the countdown at once.
        QList<QPoint> run;
        for (const CellPos c : ShipCells(st.playField[1]))
            if (Game::shipLength(st.playField[1], c.x, c.y) == 4)
                run << RightBoardPixel(c.x, c.y);
        w.drag(run);
        w.shoot(ShipCells(st.playField[1], false).first());
        QCOMPARE(w.sounds, QStringList(4, "101") << "1");
        QVERIFY(w.shows(Banner::Countdown, 2));
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 1));
        w.tick(1000);
        QCOMPARE(st.currentPlayer, 1);

        // Bert finds every ship first: two seconds of victory, then Anna's turn.
        w.sounds.clear();
        for (const CellPos c : ShipCells(st.playField[0]))
            w.shoot(c);
        QCOMPARE(w.sounds, QStringList(20, "101") << "301");
        QVERIFY(w.shows(Banner::FoundAll));
        w.tick(2000);
        QVERIFY(w.status().startsWith(QStringLiteral("Anna ist an der Reihe. Es fehlen: ")));

        // Anna alone: her last hit ends the game.
        w.sounds.clear();
        for (const CellPos c : ShipCells(st.playField[1]))
            w.shoot(c); // the 4 again: ignored
        QCOMPARE(st.gamePhase, int(gpFinished));
        QCOMPARE(w.sounds, QStringList(16, "101"));
        QVERIFY(w.shows(Banner::GameEnd));

        // Enter: the title picture, and the window as it started.
        w.enter();
        QVERIFY(w.showsTitle());
        QCOMPARE(w.status(), Texts::InfoText(0));
        QCOMPARE(w.form.centralWidget()->size(), QSize(881, 682));
        QCOMPARE(w.board->geometry(), QRect(0, 201, 881, 481));
        QCOMPARE(w.form.minimumSize(), w.form.maximumSize());
        QVERIFY(!(w.form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.game().timerHub().applicationActive());
        const int frames = w.infoPresents.count();
        w.tick(50);
        QCOMPARE(w.infoPresents.count(), frames + 1); // the title ship sails, 20 frames a second
        QStringList items;
        for (QAction *menu : w.form.menuBar()->actions())
            for (QAction *a : menu->menu()->actions())
                items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items,
                 QStringList({"&Neu\tStrg+N", "-", "Alle Schiffe entfernen", "Schiffe zufällig platzieren",
                              "-", "Farben einrichten", "Sounds einrichten", "Sounds abspielen", "-",
                              "Be&enden", "&Hilfe\tF1", "-", "&Info"}));
        // At start the window, the sound dialog and the update wizard (its
        // font given in pixels) took the system face.
        const QString face = QApplication::font("QMessageBox").family();
        for (QWidget *window :
             QList<QWidget *>{&w.form, w.form.findChild<SoundDialog *>(), w.form.updater().wizard()})
            QCOMPARE(window->font().family(), face);
        QString caption;
        WhenModal<AboutDialog>([&](AboutDialog *d) { // Enter reaches the dialog, not the game
            QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Return);
            caption = d->windowTitle() + (d->isVisible() ? "|still open" : "");
            d->findChild<QPushButton *>("OK")->click();
        });
        w.action("Info1")->trigger();
        QCOMPARE(caption, QStringLiteral("Info über Kielwanz"));

        QTRY_COMPARE(QApplication::activeWindow(), &w.form);
        QTest::keyClick(&w.form, Qt::Key_F1);
        auto *help = w.form.findChild<HelpWindow *>();
        QVERIFY(help != nullptr && help->isVisible());
    }

    // Moved to a screen of twice the density, the window draws its board and
    // panel anew at device resolution; a banner is drawn anew with its next
    // frame. Back on the first screen, everything is as before.
    void sharpOnADenserScreen()
    {
        QScreen *normal = nullptr, *dense = nullptr;
        for (QScreen *screen : QGuiApplication::screens())
            (screen->devicePixelRatio() == 2.0 ? dense : normal) = screen;
        if (normal == nullptr || dense == nullptr)
            QSKIP("needs the offscreen screens of initMain()");
        Window w;
        const auto moveTo = [&](QWidget &window, QScreen *screen) {
            window.windowHandle()->setScreen(screen);
            window.move(screen->geometry().topLeft() + QPoint(10, 10));
            return QTest::qWaitFor([&] { return window.devicePixelRatio() == screen->devicePixelRatio(); });
        };
        w.rng.push(0);
        QVERIFY(w.start(true, 2));
        w.place(2, 2);
        QVERIFY(moveTo(w.form, dense));
        QTRY_COMPARE(w.shown().size(), QSize(2 * 881, 2 * 481));
        QVERIFY(w.shows(Banner::None));
        // The panel as one made on that screen draws it.
        DrawingSurface panel(InfoPanel::Width, InfoPanel::Height);
        panel.show();
        QVERIFY(moveTo(panel, dense));
        QTRY_COMPARE(panel.frontImage().devicePixelRatio(), 2.0);
        ScriptedRandom r;
        InfoPanel(panel, r).drawInfo(w.st());
        QCOMPARE(w.infoSurface->frontImage(), panel.frontImage());

        w.placeAndEnter(0);
        w.placeAndEnter(0);
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 2));
        QVERIFY(moveTo(w.form, normal));
        QCOMPARE(w.shown().size(), QSize(881, 481));
        QVERIFY(!w.shows(Banner::None)); // the banner stays, scaled
        w.tick(1000);
        QVERIFY(w.shows(Banner::Countdown, 1));
        w.tick(1000);
        QVERIFY(w.shows(Banner::None));
    }

    // No game timer ticks while a question or a menu is open; one whose time
    // ran out meanwhile fires as soon as it closes.
    void timersStandStillWhileSomethingIsOpen_data()
    {
        QTest::addColumn<int>("opened");
        QTest::newRow("question") << 0;
        QTest::newRow("game menu") << 1;
    }
    void timersStandStillWhileSomethingIsOpen()
    {
        QFETCH(int, opened);
        Window w;
        QVERIFY(w.start(false, 1));
        w.placeAndEnter(1); // the computer begins, after one second
        const auto frames = [&] { return w.presents() + w.infoPresents.count(); };
        int before = -1, after = -2;
        const auto wait = [&] { // the second passes, and nothing is aimed to wake up
            before = frames();
            w.clock.advance(1300);
            w.form.findChild<GameTimerDriver *>()->reaim();
            QCoreApplication::processEvents();
            after = w.form.findChild<GameTimerDriver *>()->isArmed() ? -3 : frames();
        };
        QString question;
        if (opened == 0) {
            AnswerMessageBox(QStringLiteral("&Nein"), [&](QMessageBox *box) {
                wait();
                question = box->windowTitle() + u'|' + box->text();
            });
            w.action("Neu1")->trigger();
            QCOMPARE(question, QStringLiteral("Spiel beenden?|Wollen Sie das Spiel wirklich beenden?"));
        } else {
            QMenuBar *bar = w.form.menuBar();
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(w.gameMenu()->menuAction()).center());
            QTRY_VERIFY(w.gameMenu()->isVisible());
            wait();
            QTest::keyClick(w.gameMenu(), Qt::Key_Escape);
        }
        QCOMPARE(after, before);
        QTRY_VERIFY(frames() > after);
        QCOMPARE(w.st().tries[1], 1);
    }

    void settingsAndColoursSurviveARestart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Settings.ini"));
        {
            Window w(path);
            w.action("MenuItem_Sounds")->trigger(); // off: only a forced sound plays
            w.game().effects().playSound(101, false);
            w.game().effects().playSound(301, true);
            QCOMPARE(w.sounds, QStringList({"301"}));
            WhenModal<SoundDialog>([](SoundDialog *d) {
                d->findChild<QComboBox *>("ComboBox_WaterSound")->setCurrentIndex(2);
                d->findChild<QComboBox *>("ComboBox_ShipSound")->setCurrentIndex(8);
                d->findChild<QPushButton *>("Button_OK")->click();
            });
            w.action("Soundseinrichten1")->trigger();

            // Colours: OK draws at once.
            QVERIFY(w.start(false, 7, QStringLiteral("Zoë"), clHard));
            QCOMPARE(w.st().computerLevel, clHard);
            w.place(5, 5);
            const int presents = w.presents();
            WhenModal<ColorDialog>([](ColorDialog *d) {
                d->findChild<ColorComboBox *>("LxColorComboBox_Color1")->setColor(0x123456);
                d->findChild<ColorComboBox *>("LxColorComboBox_Color2")->setColor(0x0000FF); // red: low byte
                d->findChild<QPushButton *>("Button_OK")->click();
            });
            w.action("Farbeneinrichten1")->trigger();
            QCOMPARE(w.presents(), presents + 1);
            QCOMPARE(w.shown().pixel(L(5, 5)) & 0xFFFFFF, 0xFF0000u);
            QVERIFY(!QFile::exists(path)); // written only when the window goes

            // Closing asks as "Neu" does; after "Ja" the wizard opens over the still title.
            AnswerMessageBox(QStringLiteral("&Nein"));
            w.action("Beenden1")->trigger();
            QVERIFY(w.form.isVisible());
            bool stopped = false;
            AnswerMessageBox(QStringLiteral("&Ja"));
            WhenModal<NewGameWizard>([&](NewGameWizard *wizard) {
                stopped = !GameTestAccess::computerTimer(w.game()).isEnabled() &&
                          !GameTestAccess::animationTimer(w.game()).isEnabled() && w.showsTitle();
                wizard->findChild<QPushButton *>("Button_Cancel")->click();
            });
            w.action("Neu1")->trigger();
            QVERIFY(stopped);
            QCOMPARE(w.st().gamePhase, int(gpNoGame));
            QVERIFY(GameTestAccess::animationTimer(w.game()).isEnabled());
            QVERIFY(w.form.close()); // no game: no question
        }
        auto w = std::make_unique<Window>(path);
        QVERIFY(!w->action("MenuItem_Sounds")->isChecked());
        w->game().effects().playSound(101, false); // off after the restart too
        QVERIFY(w->sounds.isEmpty());
        QCOMPARE(w->st().shotSound, (std::array<int, 2>{3, 201}));
        QCOMPARE(w->st().cellColors[1], 0x123456u);
        QCOMPARE(w->st().cellColors[2], 0x0000FFu);
        QString shown;
        WhenModal<NewGameWizard>([&](NewGameWizard *d) {
            shown = d->findChild<QLineEdit *>("Edit_M3Player")->text() + u'|' +
                    QString::number(d->findChild<QSpinBox *>("SpinEdit_ComputerTime")->value()) + u'|' +
                    d->findChild<QComboBox *>("ComboBox_ComputerLevel")->currentText();
            d->findChild<QPushButton *>("Button_Cancel")->click();
        });
        w->action("Neu1")->trigger();
        QCOMPARE(shown, QStringLiteral("Zoë|7|Schwer"));

        // A folder where the file was: the failed save is reported, closing goes on.
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        QString message;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            message = box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->buttons().size());
        });
        w.reset();
        QCOMPARE(message,
                 "Kielwanz|In " + QDir::toNativeSeparators(path) + " kann nicht geschrieben werden|1");
    }

    // Two windows with their wizards start a game over loopback.
    void networkGameThroughTwoWindows()
    {
        const auto entry = [](int i, const QString &name = {}) {
            return FormatText(Texts::WizardText(i), {name, name});
        };
        Window host({}, 3);
        auto guest = std::make_unique<Window>(QString(), 4);
        host.net().setPort(0);
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        guest->net().setPort(host.net().listeningPort());
        guest->openNetworkPage(QStringLiteral("<b>Gus</b>"), false, QStringLiteral("127.0.0.1"));
        QTRY_VERIFY(host.wizard->findChild<QPushButton *>("Button_Forward")->isEnabled());
        // A peer's name is shown as it is, never as markup.
        QCOMPARE(host.wizard->findChild<QLabel *>("Label_M2IPState")->textFormat(), Qt::PlainText);
        QCOMPARE(host.form.findChild<QLabel *>(QStringLiteral("Label_Info"))->textFormat(), Qt::PlainText);
        QCOMPARE(host.wizard->findChild<QLabel *>("Label_M2IPState")->text(),
                 entry(3, QStringLiteral("<b>Gus</b>")));
        QTRY_COMPARE(guest->wizard->findChild<QLabel *>("Label_M2IPState")->text(),
                     entry(1, QStringLiteral("Hanna")));
        QVERIFY(!guest->wizard->findChild<QPushButton *>("Button_Forward")->isEnabled());

        // The host starts; both place and the host's draw lets it begin.
        host.wizard->findChild<QPushButton *>("Button_Forward")->click();
        QVERIFY(QTest::qWaitFor([&] { return !guest->wizard->isVisible(); }));
        host.placeAndEnter(0);
        guest->placeAndEnter(0);
        QVERIFY(QTest::qWaitFor(
            [&] { return host.st().gamePhase == gpFiring && guest->st().gamePhase == gpFiring; }));
        QCOMPARE(host.st().playField, guest->st().playField);

        // The guest's program ends: the host says so and shows the title.
        QString message;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            message = box->windowTitle() + u'|' + box->text() + u'|' +
                      QString::number(box->buttons().size()) +
                      (box->textFormat() == Qt::PlainText ? "" : "|rich");
        });
        guest.reset();
        QVERIFY(QTest::qWaitFor([&] { return host.st().gamePhase == gpNoGame; }));
        QCOMPARE(message,
                 QStringLiteral("Verbindung getrennt|Die Verbindung zu <b>Gus</b> wurde getrennt.|1"));
        QCOMPARE(host.status(), Texts::InfoText(0));

        // Leaving the wizard while listening closes the socket without a question.
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        QCOMPARE(host.net().link(), NetSession::Link::Listening);
        host.wizard->findChild<QPushButton *>("Button_Cancel")->click();
        QVERIFY(host.net().listeningPort() == 0);
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
