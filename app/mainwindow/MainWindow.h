#pragma once

#include "game/Game.h"
#include "presentation/SoundPlayer.h"

#include <QMainWindow>

class Updater;
#include <QString>

#include <memory>

class BoardCursor;
class ComputerPlayer;
class DrawingSurface;
class GameTimerDriver;
class HelpWindow;
class NetLink;
class QAction;
class QLabel;
class QMenu;
class SettingsFile;
class NewGameWizard;
class SoundDialog;
class ColorDialog;
class AboutDialog;
class WindowEffects;

// The main window: status line, info panel and board surface, the menus, the
// keys and the mouse. It owns the game; the engine's side effects reach the
// window through WindowEffects.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Without a clock, generator or sound output the window uses the steady
    // clock, a generator seeded from the clock and the sound device; tests
    // pass their own, and a settings file of their own (empty: "Settings.ini"
    // beside the program).
    explicit MainWindow(Clock *clock = nullptr, Random *rng = nullptr, QWidget *parent = nullptr,
                        const QString &settingsPath = QString(),
                        std::unique_ptr<SoundOutput> soundOutput = {});
    ~MainWindow() override;

    // The update check (the program runs it at start) and Ctrl+U.
    Updater &updater() { return *updater_; }
    // The program ends without writing the settings file (a pure updater).
    void discardSettingsOnExit();

    Game &game() { return *game_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // ---- Handlers
    void onNewGame();
    void updateGameMenu();
    void showHelp();
    void editColors();
    void editSounds();
    void switchSounds();
    void showAbout();
    bool mayClose();
    // The Yes/No question of "Neu" and closing ("Spiel beenden?").
    bool askEndGame();

    void createMenus();
    void firstShow();
    void prepareSounds();
    void loadSettings();
    void saveSettings();
    // Without a window manager nobody hands the activation back when a modal
    // window closes, and the game timers would stand still.
    void regainActivation();

    NewGameWizard *wizard_;
    SoundDialog *soundDialog_;
    ColorDialog *colorDialog_;
    AboutDialog *aboutDialog_;

    // Controls (their object names are what tests and the accessibility tree find)
    QLabel *statusLabel_;
    DrawingSurface *infoSurface_;
    DrawingSurface *boardSurface_;
    // Menus
    QMenu *gameMenu_;
    QAction *newGameAction_;
    QAction *removeShipsAction_;
    QAction *placeShipsAction_;
    QAction *colorsAction_;
    QAction *soundsSetupAction_;
    QAction *soundsOnAction_; // "Sounds abspielen", checked: sounds on
    QAction *quitAction_;
    QMenu *helpMenu_; // "?"
    QAction *helpAction_;
    QAction *aboutAction_;

    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<Random> ownRandom_;
    std::unique_ptr<WindowEffects> effects_;
    std::unique_ptr<Game> game_;
    // Everything below holds on to the game and goes before it.
    std::unique_ptr<ComputerPlayer> computer_;
    std::unique_ptr<NetLink> netLink_;
    std::unique_ptr<SettingsFile> settings_;
    std::array<int, 2> soundChoice_{}; // what the sound dialog shows and sets
    GameTimerDriver *timerDriver_ = nullptr;
    BoardCursor *boardCursor_ = nullptr;
    HelpWindow *help_ = nullptr;
    Updater *updater_ = nullptr;
    bool shownOnce_ = false;
    // A pure updater ends without saving the game's settings.
    bool skipSettingsSave_ = false;
};
