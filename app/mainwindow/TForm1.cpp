#include "app/mainwindow/TForm1.h"

#include "app/mainwindow/NetLink.h"

#include "dialogs/HelpWindow.h"
#include "dialogs/TForm2.h"
#include "presentation/DXDrawSurface.h"
#include "presentation/GameTimerDriver.h"
#include "presentation/MessageBoxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

TForm1::TForm1(Clock *clock, Random *rng, QWidget *parent) : QMainWindow(parent)
{
    if (clock == nullptr) {
        ownClock_ = std::make_unique<SteadyClock>();
        clock = ownClock_.get();
    }
    if (rng == nullptr) {
        ownRandom_ = std::make_unique<ClockSeededRandom>();
        rng = ownRandom_.get();
    }
    game_ = std::make_unique<Game>(*this, *rng, *clock);
    netLink_ = std::make_unique<NetLink>(*this, *game_);

    setWindowTitle(QStringLiteral("Kielwanz"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (QFile::exists(QStringLiteral(":/assets/icon.png")))
        setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));

    // Client area: status line, info panel, board surface, one below the other.
    auto *client = new QWidget(this);
    client->setFixedSize(881, 682);
    Label_Info = new QLabel(client);
    Label_Info->setGeometry(0, 0, 881, 19);
    Label_Info->setAlignment(Qt::AlignCenter);
    Label_Info->setAutoFillBackground(true);
    QPalette pal = Label_Info->palette();
    pal.setColor(QPalette::Window, QColor(123, 157, 221));
    pal.setColor(QPalette::WindowText, Qt::white);
    Label_Info->setPalette(pal);
    QFont infoFont(QStringLiteral("Arial"));
    infoFont.setPixelSize(16);
    infoFont.setBold(true);
    Label_Info->setFont(infoFont);
    DXDraw_Info = new DXDrawSurface(881, 182, client);
    DXDraw_Info->move(0, 19);
    DXDraw = new DXDrawSurface(BoardRenderer::Width, BoardRenderer::Height, client);
    DXDraw->move(0, 201);
    setCentralWidget(client);
    createMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(DXDraw, &DXDrawSurface::mousePressed, this,
            [this](Qt::MouseButton b, int x, int y) { DXDrawMouseDown(b, x, y); });
    connect(DXDraw, &DXDrawSurface::mouseMoved, this,
            [this](Qt::MouseButtons b, int x, int y) { DXDrawMouseMove(b, x, y); });
    // The main window sees every key before its controls do.
    qApp->installEventFilter(this);

    timerDriver_ = new GameTimerDriver(game_->timers, this);

    // Centred on the part of the screen that panels leave free.
    adjustSize();
    if (QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    // These hold on to the game, which goes before the window's children do.
    delete timerDriver_;
    netLink_->attachWizard(nullptr);
    delete Form2;
    delete help_;
}

void TForm1::createMenus()
{
    // Shortcut texts are part of the captions so that they read "Strg+N".
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

    connect(Spiel1, &QMenu::aboutToShow, this, &TForm1::Spiel1Click);
    connect(Neu1, &QAction::triggered, this, &TForm1::Neu1Click);
    connect(MenuItem_DeleteAllShips, &QAction::triggered, this,
            [this] { game_->MenuItem_DeleteAllShipsClick(); });
    connect(MenuItem_SetShipsAutomatically, &QAction::triggered, this,
            [this] { game_->MenuItem_SetShipsAutomaticallyClick(); });
    connect(Beenden1, &QAction::triggered, this, &TForm1::Beenden1Click);
    connect(Hilfe1, &QAction::triggered, this, &TForm1::Hilfe1Click);
    // "Farben einrichten", "Sounds einrichten" and "Info" open their dialogs
    // once those are wired in main.cpp.
    Spiel1Click();
}

void TForm1::setWizard(TForm2 *wizard)
{
    Form2 = wizard;
    netLink_->attachWizard(wizard);
}

NetSession &TForm1::net()
{
    return netLink_->session();
}

// ------------------------------------------------------------------ window life

void TForm1::showEvent(QShowEvent *event)
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

void TForm1::FormShow()
{
    renderer_.SetScreenFont(0);
    game_->DrawScreen(true);
    DrawInfo();
    game_->DXTimer_Info.enable();
}

bool TForm1::FormCloseQuery()
{
    return !game_->GameRunning() || AskEndGame();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (help_ != nullptr)
        help_->close();
    event->accept();
}

void TForm1::Beenden1Click()
{
    close();
}

void TForm1::Hilfe1Click()
{
    if (help_ == nullptr)
        help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

// ------------------------------------------------------------------ game flow

void TForm1::Neu1Click()
{
    if (game_->GameRunning() && !AskEndGame())
        return;
    game_->AbandonGame();
    if (Form2 != nullptr) {
        Form2->exec();
        activateWindow();
    }
}

bool TForm1::AskEndGame()
{
    const bool yes =
        AskYesNo(this, QStringLiteral("Spiel beenden?"),
                 QStringLiteral("Wollen Sie das Spiel wirklich beenden?"), QMessageBox::Question);
    // Without a window manager nobody hands the activation back when a modal
    // window closes, and the game timers would stand still.
    activateWindow();
    return yes;
}

void TForm1::Spiel1Click()
{
    const bool placing = game_->PlacementItemsVisible();
    MenuItem_DeleteAllShips->setVisible(placing);
    MenuItem_SetShipsAutomatically->setVisible(placing);
}

void TForm1::FormKeyPress(int key)
{
    game_->FormKeyPress(key);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w != nullptr && w->window() == this && w != menuBar()) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                FormKeyPress(13);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::DXDrawMouseDown(Qt::MouseButton button, int X, int Y)
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

void TForm1::DXDrawMouseMove(Qt::MouseButtons buttons, int X, int Y)
{
    game_->DXDrawMouseMove(buttons.testFlag(Qt::LeftButton), buttons.testFlag(Qt::RightButton), X, Y);
}

// --------------------------------------------------------------- side effects

void TForm1::PlaySound(int id, bool forced)
{
    if (!forced && !MenuItem_Sounds->isChecked())
        return;
    if (hooks.playSound)
        hooks.playSound(id, forced);
}

void TForm1::DrawScreen(bool present)
{
    renderer_.DrawScreen(DXDraw->backBuffer(), game_->st, game_->DXTimer.Enabled());
    if (present)
        DXDraw->present();
}

void TForm1::PresentScreen()
{
    DXDraw->present();
}

void TForm1::DrawInfo()
{
    if (hooks.drawInfo) {
        hooks.drawInfo();
        return;
    }
    DXDraw_Info->backBuffer().fill(InfoBackgroundColor());
    DXDraw_Info->present();
}

void TForm1::DrawChangeOverBanner(int seconds)
{
    DrawScreen(false);
    renderer_.DrawChangeOverBanner(DXDraw->backBuffer(), game_->st, seconds);
    DXDraw->present();
}

void TForm1::DrawFoundAllBanner()
{
    renderer_.DrawFoundAllBanner(DXDraw->backBuffer(), game_->st);
}

void TForm1::DrawGameEndBanner()
{
    renderer_.DrawGameEndBanner(DXDraw->backBuffer());
}

void TForm1::SetStatusText(const QString &text)
{
    Label_Info->setText(text);
}

void TForm1::SendText(const QString &text)
{
    if (hooks.sendText)
        hooks.sendText(text);
}

void TForm1::CloseConnection()
{
    if (hooks.closeConnection)
        hooks.closeConnection();
}

void TForm1::ShowPlacementBalloon(int x, int y)
{
    if (hooks.showBalloon)
        hooks.showBalloon(DXDraw->mapToGlobal(QPoint(60 + 40 * x, 100 + 40 * y)));
}

void TForm1::HideBalloon()
{
    if (hooks.hideBalloon)
        hooks.hideBalloon();
}
