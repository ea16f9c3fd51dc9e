#include "app/mainwindow/MainWindow.h"

#include "app/mainwindow/NetLink.h"
#include "app/mainwindow/WindowEffects.h"

#include "dialogs/AboutDialog.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/HelpWindow.h"
#include "dialogs/NewGameWizard.h"
#include "dialogs/SoundDialog.h"
#include "opponents/ComputerPlayer.h"
#include "presentation/BalloonHint.h"
#include "presentation/BoardAccessibility.h"
#include "presentation/BoardCursor.h"
#include "presentation/BoardGeometry.h"
#include "presentation/BoardRenderer.h"
#include "presentation/DrawingSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "presentation/InfoPanelAccessibility.h"
#include "presentation/MessageBoxes.h"
#include "presentation/SoundPlayer.h"
#include "settings/SettingsFile.h"
#include "update/Updater.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

MainWindow::MainWindow(Clock *clock, Random *rng, QWidget *parent, const QString &settingsPath,
                       std::unique_ptr<SoundOutput> soundOutput)
    : QMainWindow(parent)
{
    // The update component gives the window Ctrl+U.
    updater_ = new Updater(this);
    updater_->programName = QStringLiteral("Kielwanz");
    updater_->settingsSection = QStringLiteral("Kielwanz");
    updater_->archiveFileName = QStringLiteral("Brackwen.zip");
    updater_->settingsInUserFolder = false;
    connect(updater_, &Updater::quitRequested, this, [this](bool saveSettings) {
        // The wizard ends the program without the "Spiel beenden?" question:
        // exit(), not quit(), which would send the window a close event and
        // let a "Nein" keep the program running with the update pending.
        if (!saveSettings)
            skipSettingsSave_ = true;
        QCoreApplication::exit(0);
    });

    if (clock == nullptr) {
        ownClock_ = std::make_unique<SteadyClock>();
        clock = ownClock_.get();
    }
    if (rng == nullptr) {
        ownRandom_ = std::make_unique<ClockSeededRandom>();
        rng = ownRandom_.get();
    }
    setWindowTitle(QStringLiteral("Kielwanz"));
    QFont face(QStringLiteral("Arial"));
    face.setPointSize(8);
    setFont(face);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (QFile::exists(QStringLiteral(":/assets/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));

    // Client area: status line, info panel, board surface, one below the other.
    auto *client = new QWidget(this);
    client->setFixedSize(881, 682);
    statusLabel_ = new QLabel(client);
    statusLabel_->setObjectName(QStringLiteral("Label_Info"));
    statusLabel_->setGeometry(0, 0, 881, 19);
    statusLabel_->setAlignment(Qt::AlignCenter);
    statusLabel_->setTextFormat(Qt::PlainText); // shows the players' names
    statusLabel_->setAutoFillBackground(true);
    QPalette pal = statusLabel_->palette();
    pal.setColor(QPalette::Window, QColor(123, 157, 221));
    pal.setColor(QPalette::WindowText, Qt::white);
    statusLabel_->setPalette(pal);
    QFont infoFont(QStringLiteral("Arial"));
    infoFont.setPixelSize(16);
    infoFont.setBold(true);
    statusLabel_->setFont(infoFont);
    infoSurface_ = new DrawingSurface(881, 182, client);
    infoSurface_->setObjectName(QStringLiteral("DXDraw_Info"));
    infoSurface_->move(0, 19);
    infoSurface_->setSingleBuffered(true); // the panel composes each frame at once
    boardSurface_ = new DrawingSurface(BoardRenderer::Width, BoardRenderer::Height, client);
    boardSurface_->setObjectName(QStringLiteral("DXDraw"));
    boardSurface_->move(0, 201);
    setCentralWidget(client);

    effects_ = std::make_unique<WindowEffects>(*statusLabel_, *boardSurface_, *infoSurface_,
                                               *new BalloonHint(this), *rng, std::move(soundOutput));
    game_ = std::make_unique<Game>(*effects_, *rng, *clock);
    computer_ = std::make_unique<ComputerPlayer>(*game_);
    // The dialogs live as long as the window and are shown modally when
    // needed. They hold on to the game but do not use it once the window
    // goes, so Qt may delete them after the window's members.
    wizard_ = new NewGameWizard(*game_, this);
    netLink_ = std::make_unique<NetLink>(*this, *game_, *wizard_);
    effects_->attach(*game_, netLink_->session());
    createMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(boardSurface_, &DrawingSurface::mousePressed, this, [this](Qt::MouseButton b, int x, int y) {
        BoardGeometry::pressAt(*game_, b, {x, y});
    });
    connect(boardSurface_, &DrawingSurface::mouseMoved, this, [this](Qt::MouseButtons b, int x, int y) {
        BoardGeometry::moveTo(*game_, b, {x, y});
    });
    connect(boardSurface_, &DrawingSurface::mouseLeft, this, [this] { game_->leaveBoards(); });
    // The keyboard's cursor on the boards, and the boards and the info panel
    // for screen readers. The board surface keeps the focus for them.
    boardCursor_ = new BoardCursor(*game_, this);
    BoardAccessibility::installFactory();
    InfoPanelAccessibility::installFactory();
    new BoardAccessibility(*boardSurface_, *game_, *boardCursor_);
    new InfoPanelAccessibility(*infoSurface_, game_->st);
    boardSurface_->setFocusPolicy(Qt::StrongFocus);
    boardSurface_->setFocus();
    // The main window sees every key before its controls do.
    qApp->installEventFilter(this);

    timerDriver_ = new GameTimerDriver(game_->timerHub(), this);
    // The title animation at 20 frames a second instead of 100.
    timerDriver_->setMinimumWakeInterval(50);

    // Centred on the part of the screen that panels leave free.
    adjustSize();
    if (QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    settings_ =
        std::make_unique<SettingsFile>(settingsPath.isEmpty() ? SettingsFile::DefaultPath() : settingsPath);
    loadSettings();
    connect(soundsOnAction_, &QAction::toggled, this, &MainWindow::switchSounds);

    soundDialog_ = new SoundDialog(soundChoice_, this);
    connect(soundDialog_, &SoundDialog::previewRequested, this,
            [this](int id) { effects_->playSound(id, true); });
    colorDialog_ = new ColorDialog(*game_, this);
    aboutDialog_ = new AboutDialog(this);
}

void MainWindow::loadSettings()
{
    bool soundsOn = true;
    StoredSettings stored;
    settings_->load(stored, soundsOn);
    game_->applySettings(stored);
    soundsOnAction_->setChecked(soundsOn);
    effects_->sound().setEnabled(soundsOn);
}

void MainWindow::discardSettingsOnExit()
{
    skipSettingsSave_ = true;
}

void MainWindow::saveSettings()
{
    if (skipSettingsSave_)
        return;
    const QString error = settings_->save(game_->st, soundsOnAction_->isChecked());
    if (error.isEmpty())
        return;
    // The window is going; the message stands on its own, and closing goes on
    // once it is answered.
    ShowMessage(nullptr, QStringLiteral("Kielwanz"), error);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    // No game timer may tick while the settings message waits for an answer.
    delete timerDriver_;
    timerDriver_ = nullptr;
    netLink_->forgetWizard();
    saveSettings();
}

void MainWindow::createMenus()
{
    // Shortcut texts are part of the captions so that they read "Strg+N".
    // The menu bar keeps the desktop's menu face, as the menus themselves do.
    menuBar()->setFont(QApplication::font(menuBar()));
    gameMenu_ = menuBar()->addMenu(QStringLiteral("&Spiel"));
    newGameAction_ = gameMenu_->addAction(QStringLiteral("&Neu\tStrg+N"));
    newGameAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    gameMenu_->addSeparator();
    removeShipsAction_ = gameMenu_->addAction(QStringLiteral("Alle Schiffe entfernen"));
    placeShipsAction_ = gameMenu_->addAction(QStringLiteral("Schiffe zufällig platzieren"));
    gameMenu_->addSeparator();
    colorsAction_ = gameMenu_->addAction(QStringLiteral("Farben einrichten"));
    soundsSetupAction_ = gameMenu_->addAction(QStringLiteral("Sounds einrichten"));
    soundsOnAction_ = gameMenu_->addAction(QStringLiteral("Sounds abspielen"));
    soundsOnAction_->setCheckable(true);
    soundsOnAction_->setChecked(true);
    gameMenu_->addSeparator();
    quitAction_ = gameMenu_->addAction(QStringLiteral("Be&enden"));

    helpMenu_ = menuBar()->addMenu(QStringLiteral("?"));
    helpAction_ = helpMenu_->addAction(QStringLiteral("&Hilfe\tF1"));
    helpAction_->setShortcut(QKeySequence(Qt::Key_F1));
    helpMenu_->addSeparator();
    aboutAction_ = helpMenu_->addAction(QStringLiteral("&Info"));

    const std::pair<QObject *, const char *> names[] = {{gameMenu_, "Spiel1"},
                                                        {newGameAction_, "Neu1"},
                                                        {removeShipsAction_, "MenuItem_DeleteAllShips"},
                                                        {placeShipsAction_, "MenuItem_SetShipsAutomatically"},
                                                        {colorsAction_, "Farbeneinrichten1"},
                                                        {soundsSetupAction_, "Soundseinrichten1"},
                                                        {soundsOnAction_, "MenuItem_Sounds"},
                                                        {quitAction_, "Beenden1"},
                                                        {helpMenu_, "Fragezeichen1"},
                                                        {helpAction_, "Hilfe1"},
                                                        {aboutAction_, "Info1"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QLatin1String(name));

    connect(gameMenu_, &QMenu::aboutToShow, this, &MainWindow::updateGameMenu);
    connect(newGameAction_, &QAction::triggered, this, &MainWindow::onNewGame);
    connect(removeShipsAction_, &QAction::triggered, this, [this] { game_->removeAllShips(); });
    connect(placeShipsAction_, &QAction::triggered, this, [this] { game_->placeAllShipsRandomly(); });
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);
    connect(helpAction_, &QAction::triggered, this, &MainWindow::showHelp);
    connect(colorsAction_, &QAction::triggered, this, &MainWindow::editColors);
    connect(soundsSetupAction_, &QAction::triggered, this, &MainWindow::editSounds);
    connect(aboutAction_, &QAction::triggered, this, &MainWindow::showAbout);
    updateGameMenu();
}

// ------------------------------------------------------------------ window life

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        firstShow();
    }
    // Without a window manager nobody activates the window, Qt then reports
    // the application inactive and the game timers would never tick.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
}

void MainWindow::firstShow()
{
    effects_->renderer().setScreenFont(0);
    game_->drawScreen(true);
    effects_->drawInfo();
    game_->resumeTitleAnimation();
}

void MainWindow::prepareSounds()
{
    // The sound system opens when a game begins, not at the title: the
    // shots' sounds are decoded while the ships are placed, so the first shot
    // is heard at once. With the sounds switched off it stays closed.
    if (!game_->gameRunning() || !soundsOnAction_->isChecked())
        return;
    QTimer::singleShot(0, this, [this] {
        effects_->sound().preload({game_->st.shotSound[0], game_->st.shotSound[1], SoundFoundAll});
    });
}

bool MainWindow::mayClose()
{
    return !game_->gameRunning() || askEndGame();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    if (help_ != nullptr)
        help_->close();
    event->accept();
}

void MainWindow::editColors()
{
    colorDialog_->exec();
    regainActivation();
}

void MainWindow::editSounds()
{
    // The dialog works on a copy; OK hands the choice to the game.
    soundChoice_ = game_->st.shotSound;
    if (soundDialog_->exec() == QDialog::Accepted) {
        game_->setShotSounds(soundChoice_);
        prepareSounds();
    }
    regainActivation();
}

void MainWindow::switchSounds()
{
    effects_->sound().setEnabled(soundsOnAction_->isChecked());
    prepareSounds();
}

void MainWindow::showAbout()
{
    aboutDialog_->showInfo(QStringLiteral("Kielwanz"), QStringLiteral("2004"), windowIcon());
    regainActivation();
}

void MainWindow::regainActivation()
{
    activateWindow();
}

void MainWindow::showHelp()
{
    if (help_ == nullptr)
        help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

// ------------------------------------------------------------------ game flow

void MainWindow::onNewGame()
{
    if (game_->gameRunning() && !askEndGame())
        return;
    game_->abandonGame();
    wizard_->exec();
    prepareSounds();
    regainActivation();
}

bool MainWindow::askEndGame()
{
    const bool yes =
        AskYesNo(this, QStringLiteral("Spiel beenden?"),
                 QStringLiteral("Wollen Sie das Spiel wirklich beenden?"), QMessageBox::Question);
    regainActivation();
    return yes;
}

void MainWindow::updateGameMenu()
{
    const bool placing = game_->placementItemsVisible();
    removeShipsAction_->setVisible(placing);
    placeShipsAction_->setVisible(placing);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w != nullptr && w->window() == this && w != menuBar()) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                game_->confirm();
                return true;
            }
            if (boardCursor_->handleKey(key->key(), key->modifiers()))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
