#pragma once

#include "game/Game.h"
#include "game/GameEffects.h"
#include "presentation/BoardRenderer.h"

#include <QMainWindow>

class TLxUpdateFile;
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class BalloonHint;
class ComputerPlayer;
class DXDrawSurface;
class GameTimerDriver;
class HelpWindow;
class InfoPanel;
class NetLink;
class NetSession;
class QAction;
class QLabel;
class QMenu;
class SettingsFile;
class SoundPlayer;
class TForm2;
class TForm3;
class TForm4;
class TInfo;

// The main window: status line, info panel and board surface, the menus, the
// keys and the mouse. It owns the game and carries out the engine's side
// effects (GameEffects).
class TForm1 : public QMainWindow, public GameEffects {
    Q_OBJECT
public:
    // Without a clock or generator the window uses the steady clock and a
    // generator seeded from the clock; tests pass their own, and a settings
    // file of their own (empty: "Settings.ini" beside the program).
    // The program passes checkForUpdates: the update check at start runs first
    // of all and may end the program (QuitAtStart).
    explicit TForm1(Clock *clock = nullptr, Random *rng = nullptr, QWidget *parent = nullptr,
                    const QString &settingsPath = QString(), bool checkForUpdates = false);
    ~TForm1() override;

    // The update check at start prepared an installation or the program is a
    // pure updater: the program ends without showing the window.
    bool QuitAtStart = false;
    TLxUpdateFile *LxUpdateFile = nullptr;

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
    // After the wizard: the sound dialog, the colour dialog and, last of all
    // windows, the about dialog (it gives every 8-pt window the system face).
    void createDialogs();
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    TInfo *Info = nullptr;

    // The components the window carries.
    SettingsFile &settings() { return *settings_; }
    SoundPlayer &soundPlayer() { return *sound_; }
    BalloonHint *balloon() { return balloon_; }
    InfoPanel &infoPanel() { return *info_; }
    ComputerPlayer &computerPlayer() { return *computer_; }

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

    // Where the side effects leave the window. The constructor points them at
    // the window's own components (sound player, info panel, balloon); tests
    // may put a recorder in between. An empty hook does nothing (the info
    // panel then shows its plain background).
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
    void Farbeneinrichten1Click();
    void Soundseinrichten1Click();
    void MenuItem_SoundsClick();
    void Info1Click();
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
    void loadSettings();
    void saveSettings();
    // Without a window manager nobody hands the activation back when a modal
    // window closes, and the game timers would stand still.
    void regainActivation();

    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<Random> ownRandom_;
    std::unique_ptr<Game> game_;
    // Everything below holds on to the game and goes before it.
    std::unique_ptr<ComputerPlayer> computer_;
    std::unique_ptr<NetLink> netLink_;
    std::unique_ptr<SettingsFile> settings_;
    std::array<int, 2> soundChoice_{}; // what the sound dialog shows and sets
    std::unique_ptr<SoundPlayer> sound_;
    std::unique_ptr<InfoPanel> info_;
    BalloonHint *balloon_ = nullptr;
    BoardRenderer renderer_;
    GameTimerDriver *timerDriver_ = nullptr;
    HelpWindow *help_ = nullptr;
    bool shownOnce_ = false;
    // A pure updater ends without saving the game's settings.
    bool skipSettingsSave_ = false;
};
