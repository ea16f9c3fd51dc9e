#pragma once

#include "game/Game.h"
#include "game/GameEffects.h"
#include "presentation/BoardRenderer.h"

#include <QMainWindow>
#include <QPoint>

#include <functional>
#include <memory>

class DXDrawSurface;
class GameTimerDriver;
class HelpWindow;
class NetLink;
class NetSession;
class QAction;
class QLabel;
class QMenu;
class TForm2;

// The main window: status line, info panel and board surface, the menus, the
// keys and the mouse. It owns the game and carries out the engine's side
// effects (GameEffects).
class TForm1 : public QMainWindow, public GameEffects {
    Q_OBJECT
public:
    // Without a clock or generator the window uses the steady clock and a
    // generator seeded from the clock; tests pass their own.
    explicit TForm1(Clock *clock = nullptr, Random *rng = nullptr, QWidget *parent = nullptr);
    ~TForm1() override;

    Game &game() { return *game_; }
    BoardRenderer &renderer() { return renderer_; }
    const BoardRenderer &renderer() const { return renderer_; }
    GameTimerDriver &timerDriver() { return *timerDriver_; }

    // The wizard, created after the main window (see main.cpp) as its child;
    // the window deletes it before the game goes. Its network page is wired
    // to the network session here.
    void setWizard(TForm2 *wizard);
    // The connection of a network game.
    NetSession &net();
    TForm2 *Form2 = nullptr;

    // Controls
    QLabel *Label_Info;
    DXDrawSurface *DXDraw_Info;
    DXDrawSurface *DXDraw;
    // Menus
    QMenu *Spiel1;
    QAction *Neu1;
    QAction *MenuItem_DeleteAllShips;
    QAction *MenuItem_SetShipsAutomatically;
    QAction *Farbeneinrichten1;
    QAction *Soundseinrichten1;
    QAction *MenuItem_Sounds; // "Sounds abspielen", checked: sounds on
    QAction *Beenden1;
    QMenu *Fragezeichen1; // "?"
    QAction *Hilfe1;
    QAction *Info1;

    // Where the components that arrive separately plug in. Each is optional;
    // without it the effect does nothing (the info panel shows its plain
    // background).
    struct Hooks {
        std::function<void(int id, bool forced)> playSound;
        std::function<void()> drawInfo;
        // Anchor in screen coordinates; texts are Texts::BalloonTitle/BalloonText().
        std::function<void(const QPoint &globalAnchor)> showBalloon;
        std::function<void()> hideBalloon;
        std::function<void(const QString &text)> sendText;
        std::function<void()> closeConnection;
    } hooks;

    // ---- Handlers
    void Neu1Click();
    void Spiel1Click();
    void Beenden1Click();
    void Hilfe1Click();
    void FormKeyPress(int key);
    bool FormCloseQuery();
    void DXDrawMouseDown(Qt::MouseButton button, int X, int Y);
    void DXDrawMouseMove(Qt::MouseButtons buttons, int X, int Y);

    // The Yes/No question of "Neu" and closing ("Spiel beenden?").
    bool AskEndGame();

    // ---- GameEffects
    void PlaySound(int id, bool forced = false) override;
    void DrawScreen(bool present) override;
    void PresentScreen() override;
    void DrawInfo() override;
    void DrawChangeOverBanner(int seconds) override;
    void DrawFoundAllBanner() override;
    void DrawGameEndBanner() override;
    void SetStatusText(const QString &text) override;
    void SendText(const QString &text) override;
    void CloseConnection() override;
    void ShowPlacementBalloon(int x, int y) override;
    void HideBalloon() override;

    // The plain info panel background, until the info panel draws itself.
    static QColor InfoBackgroundColor() { return QColor(123, 157, 221); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createMenus();
    void FormShow();

    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<Random> ownRandom_;
    std::unique_ptr<Game> game_;
    std::unique_ptr<NetLink> netLink_; // after the game, which it uses
    BoardRenderer renderer_;
    GameTimerDriver *timerDriver_ = nullptr;
    HelpWindow *help_ = nullptr;
    bool shownOnce_ = false;
};
