#pragma once

#include "game/GameEffects.h"
#include "presentation/BoardRenderer.h"
#include "presentation/SoundPlayer.h"

#include <QMetaObject>

#include <memory>

class BalloonHint;
class DrawingSurface;
class Game;
class InfoPanel;
class NetSession;
class QLabel;
class Random;

class SoundPlayer;

// Where the engine's side effects reach the main window: the board and info
// surfaces, the status line, the balloon, the sounds and the network peer.
class WindowEffects final : public GameEffects {
public:
    WindowEffects(QLabel &status, DrawingSurface &board, DrawingSurface &infoSurface, BalloonHint &balloon,
                  Random &rng, std::unique_ptr<SoundOutput> soundOutput = {});
    ~WindowEffects() override;

    // The game whose state is drawn and the session that carries its texts;
    // both live as long as this.
    void attach(Game &game, NetSession &net);

    SoundPlayer &sound() { return *sound_; }
    InfoPanel &infoPanel() { return *info_; }
    BoardRenderer &renderer() { return renderer_; }

    void playSound(int id, bool forced = false) override;
    void drawScreen(bool present) override;
    void presentScreen() override;
    void drawInfo() override;
    void drawChangeOverBanner(int seconds) override;
    void drawFoundAllBanner() override;
    void drawGameEndBanner() override;
    void setStatusText(const QString &text) override;
    void sendText(const QString &text) override;
    void closeConnection() override;
    void showPlacementBalloon(int x, int y) override;
    void hideBalloon() override;

private:
    QLabel &status_;
    DrawingSurface &board_;
    BalloonHint &balloon_;
    BoardRenderer renderer_;
    std::unique_ptr<SoundPlayer> sound_;
    std::unique_ptr<InfoPanel> info_;
    Game *game_ = nullptr;
    NetSession *net_ = nullptr;
    // The board shows a frame of drawScreen alone, which can be drawn anew
    // at another pixel ratio; a banner's frame stays scaled until the next.
    bool plainFrame_ = false;
    QMetaObject::Connection boardRatio_, infoRatio_;
};
