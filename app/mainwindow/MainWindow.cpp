#include "app/mainwindow/MainWindow.h"

#include "app/mainwindow/NetLink.h"
#include "app/mainwindow/WindowEffects.h"

#include "dialogs/HelpWindow.h"
#include "settings/SettingsFile.h"
#include "dialogs/NewGameWizard.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/AboutDialog.h"
#include "opponents/ComputerPlayer.h"
#include "presentation/BalloonHint.h"
#include "presentation/BoardRenderer.h"
#include "presentation/DrawingSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/InfoPanel.h"
#include "presentation/MessageBoxes.h"
#include "presentation/SoundPlayer.h"
#include "dialogs/SoundDialog.h"
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

MainWindow::MainWindow(Clock *clock, Random *rng, QWidget *parent, const QString &settingsPath, bool checkForUpdates)
    : QMainWindow(parent)
{
    // The update component comes first: it gives the window Ctrl+U, and at
    // program start its check may show the update wizard before anything else
    // is built. When that ends the program, the window is still built (so that
    // it can be taken down in order) but never shown.
    LxUpdateFile = new Updater(this);
    LxUpdateFile->programName = QStringLiteral("Kielwanz");
    LxUpdateFile->settingsSection = QStringLiteral("Kielwanz");
    LxUpdateFile->archiveFileName = QStringLiteral("Brackwen.zip");
    LxUpdateFile->settingsInUserFolder = false;
    if (checkForUpdates) {
        switch (LxUpdateFile->AutomaticUpdate(QString(), false, 0)) {
        case Updater::Outcome::Continue:
            break;
        case Updater::Outcome::Quit:
            QuitAtStart = true;
            break;
        case Updater::Outcome::QuitWithoutSaving:
            QuitAtStart = true;
            skipSettingsSave_ = true;
            break;
        }
    }
    connect(LxUpdateFile, &Updater::quitRequested, this, [this](bool saveSettings) {
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
    Label_Info = new QLabel(client);
    Label_Info->setObjectName(QStringLiteral("Label_Info"));
    Label_Info->setGeometry(0, 0, 881, 19);
    Label_Info->setAlignment(Qt::AlignCenter);
    Label_Info->setTextFormat(Qt::PlainText); // shows the players' names
    Label_Info->setAutoFillBackground(true);
    QPalette pal = Label_Info->palette();
    pal.setColor(QPalette::Window, QColor(123, 157, 221));
    pal.setColor(QPalette::WindowText, Qt::white);
    Label_Info->setPalette(pal);
    QFont infoFont(QStringLiteral("Arial"));
    infoFont.setPixelSize(16);
    infoFont.setBold(true);
    Label_Info->setFont(infoFont);
    DXDraw_Info = new DrawingSurface(881, 182, client);
    DXDraw_Info->setObjectName(QStringLiteral("DXDraw_Info"));
    DXDraw_Info->move(0, 19);
    DXDraw = new DrawingSurface(BoardRenderer::Width, BoardRenderer::Height, client);
    DXDraw->setObjectName(QStringLiteral("DXDraw"));
    DXDraw->move(0, 201);
    setCentralWidget(client);

    effects_ = std::make_unique<WindowEffects>(*Label_Info, *DXDraw, *DXDraw_Info, *new BalloonHint(this), *rng);
    game_ = std::make_unique<Game>(*effects_, *rng, *clock);
    computer_ = std::make_unique<ComputerPlayer>(*game_);
    computer_->attach();
    netLink_ = std::make_unique<NetLink>(*this, *game_);
    effects_->attach(*game_, netLink_->session());
    createMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(DXDraw, &DrawingSurface::mousePressed, this,
            [this](Qt::MouseButton b, int x, int y) { DXDrawMouseDown(b, x, y); });
    connect(DXDraw, &DrawingSurface::mouseMoved, this,
            [this](Qt::MouseButtons b, int x, int y) { DXDrawMouseMove(b, x, y); });
    connect(DXDraw, &DrawingSurface::mouseLeft, this, [this] { game_->DXDrawMouseLeave(); });
    // The main window sees every key before its controls do.
    qApp->installEventFilter(this);

    timerDriver_ = new GameTimerDriver(game_->timers, this);

    // Centred on the part of the screen that panels leave free.
    adjustSize();
    if (QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    settings_ =
        std::make_unique<SettingsFile>(settingsPath.isEmpty() ? SettingsFile::DefaultPath() : settingsPath);
    loadSettings();
    connect(MenuItem_Sounds, &QAction::toggled, this, &MainWindow::MenuItem_SoundsClick);
}

void MainWindow::createDialogs()
{
    if (Form3 == nullptr) {
        Form3 = new SoundDialog(soundChoice_, this);
        connect(Form3, &SoundDialog::previewRequested, this, [this](int id) { effects_->PlaySound(id, true); });
    }
    if (Form4 == nullptr)
        Form4 = new ColorDialog(*game_, this);
    // Last: every window that exists now and has an 8-pt font takes the
    // system's message face.
    if (Info == nullptr)
        Info = new AboutDialog(this);
}

void MainWindow::loadSettings()
{
    bool soundsOn = true;
    StoredSettings stored;
    settings_->load(stored, soundsOn);
    game_->ApplySettings(stored);
    MenuItem_Sounds->setChecked(soundsOn);
    effects_->sound().setEnabled(soundsOn);
    effects_->sound().preload();
}

void MainWindow::saveSettings()
{
    if (skipSettingsSave_)
        return;
    const QString error = settings_->save(game_->st, MenuItem_Sounds->isChecked());
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
    netLink_->attachWizard(nullptr);
    saveSettings();
    // These hold on to the game, which goes before the window's children do.
    delete Form2;
    delete Form3;
    delete Form4;
    delete Info;
    delete help_;
}

void MainWindow::createMenus()
{
    // Shortcut texts are part of the captions so that they read "Strg+N".
    // The menu bar keeps the desktop's menu face, as the menus themselves do.
    menuBar()->setFont(QApplication::font(menuBar()));
    Spiel1 = menuBar()->addMenu(QStringLiteral("&Spiel"));
    Neu1 = Spiel1->addAction(QStringLiteral("&Neu\tStrg+N"));
    Neu1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Spiel1->addSeparator();
    MenuItem_DeleteAllShips = Spiel1->addAction(QStringLiteral("Alle Schiffe entfernen"));
    MenuItem_SetShipsAutomatically = Spiel1->addAction(QStringLiteral("Schiffe zufällig platzieren"));
    Spiel1->addSeparator();
    Farbeneinrichten1 = Spiel1->addAction(QStringLiteral("Farben einrichten"));
    Soundseinrichten1 = Spiel1->addAction(QStringLiteral("Sounds einrichten"));
    MenuItem_Sounds = Spiel1->addAction(QStringLiteral("Sounds abspielen"));
    MenuItem_Sounds->setCheckable(true);
    MenuItem_Sounds->setChecked(true);
    Spiel1->addSeparator();
    Beenden1 = Spiel1->addAction(QStringLiteral("Be&enden"));

    Fragezeichen1 = menuBar()->addMenu(QStringLiteral("?"));
    Hilfe1 = Fragezeichen1->addAction(QStringLiteral("&Hilfe\tF1"));
    Hilfe1->setShortcut(QKeySequence(Qt::Key_F1));
    Fragezeichen1->addSeparator();
    Info1 = Fragezeichen1->addAction(QStringLiteral("&Info"));

    const std::pair<QObject *, const char *> names[] = {
        {Spiel1, "Spiel1"},
        {Neu1, "Neu1"},
        {MenuItem_DeleteAllShips, "MenuItem_DeleteAllShips"},
        {MenuItem_SetShipsAutomatically, "MenuItem_SetShipsAutomatically"},
        {Farbeneinrichten1, "Farbeneinrichten1"},
        {Soundseinrichten1, "Soundseinrichten1"},
        {MenuItem_Sounds, "MenuItem_Sounds"},
        {Beenden1, "Beenden1"},
        {Fragezeichen1, "Fragezeichen1"},
        {Hilfe1, "Hilfe1"},
        {Info1, "Info1"}};
    for (const auto &[object, name] : names)
        object->setObjectName(QLatin1String(name));

    connect(Spiel1, &QMenu::aboutToShow, this, &MainWindow::Spiel1Click);
    connect(Neu1, &QAction::triggered, this, &MainWindow::Neu1Click);
    connect(MenuItem_DeleteAllShips, &QAction::triggered, this,
            [this] { game_->MenuItem_DeleteAllShipsClick(); });
    connect(MenuItem_SetShipsAutomatically, &QAction::triggered, this,
            [this] { game_->MenuItem_SetShipsAutomaticallyClick(); });
    connect(Beenden1, &QAction::triggered, this, &QWidget::close);
    connect(Hilfe1, &QAction::triggered, this, &MainWindow::Hilfe1Click);
    connect(Farbeneinrichten1, &QAction::triggered, this, &MainWindow::Farbeneinrichten1Click);
    connect(Soundseinrichten1, &QAction::triggered, this, &MainWindow::Soundseinrichten1Click);
    connect(Info1, &QAction::triggered, this, &MainWindow::Info1Click);
    Spiel1Click();
}

void MainWindow::setWizard(NewGameWizard *wizard)
{
    Form2 = wizard;
    netLink_->attachWizard(wizard);
}

// ------------------------------------------------------------------ window life

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    // Without a window manager nobody activates the window, Qt then reports
    // the application inactive and the game timers would never tick.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
}

void MainWindow::FormShow()
{
    effects_->renderer().SetScreenFont(0);
    game_->DrawScreen(true);
    effects_->DrawInfo();
    game_->animationTimer.enable();
}

bool MainWindow::FormCloseQuery()
{
    return !game_->GameRunning() || AskEndGame();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (help_ != nullptr)
        help_->close();
    event->accept();
}

void MainWindow::Farbeneinrichten1Click()
{
    if (Form4 == nullptr)
        return;
    Form4->exec();
    regainActivation();
}

void MainWindow::Soundseinrichten1Click()
{
    if (Form3 == nullptr)
        return;
    // The dialog works on a copy; OK hands the choice to the game.
    soundChoice_ = game_->st.ShotSound;
    if (Form3->exec() == QDialog::Accepted)
        game_->SetShotSounds(soundChoice_);
    regainActivation();
}

void MainWindow::MenuItem_SoundsClick()
{
    effects_->sound().setEnabled(MenuItem_Sounds->isChecked());
}

void MainWindow::Info1Click()
{
    if (Info == nullptr)
        return;
    Info->showInfo(QStringLiteral("Kielwanz"), QStringLiteral("2004"), windowIcon());
    regainActivation();
}

void MainWindow::regainActivation()
{
    activateWindow();
}

void MainWindow::Hilfe1Click()
{
    if (help_ == nullptr)
        help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

// ------------------------------------------------------------------ game flow

void MainWindow::Neu1Click()
{
    if (game_->GameRunning() && !AskEndGame())
        return;
    game_->AbandonGame();
    if (Form2 != nullptr) {
        Form2->exec();
        regainActivation();
    }
}

bool MainWindow::AskEndGame()
{
    const bool yes =
        AskYesNo(this, QStringLiteral("Spiel beenden?"),
                 QStringLiteral("Wollen Sie das Spiel wirklich beenden?"), QMessageBox::Question);
    regainActivation();
    return yes;
}

void MainWindow::Spiel1Click()
{
    const bool placing = game_->PlacementItemsVisible();
    MenuItem_DeleteAllShips->setVisible(placing);
    MenuItem_SetShipsAutomatically->setVisible(placing);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w != nullptr && w->window() == this && w != menuBar()) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                game_->FormKeyPress(13);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::DXDrawMouseDown(Qt::MouseButton button, int X, int Y)
{
    MouseButton b;
    switch (button) {
    case Qt::LeftButton:
        b = MouseButton::Left;
        break;
    case Qt::RightButton:
        b = MouseButton::Right;
        break;
    case Qt::MiddleButton:
        b = MouseButton::Middle;
        break;
    default:
        return;
    }
    game_->DXDrawMouseDown(b, X, Y);
}

void MainWindow::DXDrawMouseMove(Qt::MouseButtons buttons, int X, int Y)
{
    game_->DXDrawMouseMove(buttons.testFlag(Qt::LeftButton), buttons.testFlag(Qt::RightButton), X, Y);
}
