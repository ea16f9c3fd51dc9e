#include "app/mainwindow/WindowEffects.h"

#include "game/Game.h"
#include "opponents/NetSession.h"
#include "presentation/BalloonHint.h"
#include "presentation/BoardGeometry.h"
#include "presentation/DrawingSurface.h"
#include "presentation/InfoPanel.h"
#include "presentation/SoundPlayer.h"

#include <QLabel>

WindowEffects::WindowEffects(QLabel &status, DrawingSurface &board, DrawingSurface &infoSurface,
                             BalloonHint &balloon, Random &rng, std::unique_ptr<SoundOutput> soundOutput)
    : status_(status), board_(board), balloon_(balloon),
      sound_(std::make_unique<SoundPlayer>(std::move(soundOutput))),
      info_(std::make_unique<InfoPanel>(infoSurface, rng))
{
    // Moved to a screen of another pixel ratio: drawn anew at that ratio.
    boardRatio_ = QObject::connect(&board, &DrawingSurface::pixelRatioChanged, [this] {
        if (game_ != nullptr && plainFrame_)
            drawScreen(true);
    });
    infoRatio_ = QObject::connect(&infoSurface, &DrawingSurface::pixelRatioChanged, [this] {
        info_->adoptPixelRatio();
        if (game_ != nullptr)
            drawInfo();
    });
}

WindowEffects::~WindowEffects()
{
    QObject::disconnect(boardRatio_);
    QObject::disconnect(infoRatio_);
}

void WindowEffects::attach(Game &game, NetSession &net)
{
    game_ = &game;
    net_ = &net;
    game.setAnimationTarget(info_.get());
}

void WindowEffects::playSound(int id, bool forced)
{
    sound_->playSound(id, forced);
}

void WindowEffects::drawScreen(bool present)
{
    renderer_.drawScreen(board_.backBuffer(), game_->st, game_->changeOverRunning());
    plainFrame_ = present;
    if (present)
        board_.present();
}

void WindowEffects::presentScreen()
{
    board_.present();
}

void WindowEffects::drawInfo()
{
    info_->drawInfo(game_->st);
}

void WindowEffects::drawChangeOverBanner(int seconds)
{
    drawScreen(false);
    renderer_.drawChangeOverBanner(board_.backBuffer(), game_->st, seconds);
    board_.present();
}

void WindowEffects::drawFoundAllBanner()
{
    plainFrame_ = false;
    renderer_.drawFoundAllBanner(board_.backBuffer(), game_->st);
}

void WindowEffects::drawGameEndBanner()
{
    plainFrame_ = false;
    renderer_.drawGameEndBanner(board_.backBuffer());
}

void WindowEffects::setStatusText(const QString &text)
{
    status_.setText(text);
}

void WindowEffects::sendText(const QString &text)
{
    net_->sendText(text);
}

void WindowEffects::closeConnection()
{
    net_->closeConnection();
}

void WindowEffects::showPlacementBalloon(int x, int y)
{
    balloon_.showBalloon(board_.mapToGlobal(BoardGeometry::cellCentre(Board::Own, {x, y})));
}

void WindowEffects::hideBalloon()
{
    balloon_.hideBalloon();
}
