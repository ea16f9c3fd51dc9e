#include "app/mainwindow/WindowEffects.h"

#include "game/Game.h"
#include "opponents/NetSession.h"
#include "presentation/BalloonHint.h"
#include "presentation/DrawingSurface.h"
#include "presentation/InfoPanel.h"
#include "presentation/SoundPlayer.h"

#include <QLabel>

WindowEffects::WindowEffects(QLabel &status, DrawingSurface &board, DrawingSurface &infoSurface,
                             BalloonHint &balloon, Random &rng)
    : status_(status),
      board_(board),
      balloon_(balloon),
      sound_(std::make_unique<SoundPlayer>()),
      info_(std::make_unique<InfoPanel>(infoSurface, rng))
{
}

WindowEffects::~WindowEffects() = default;

void WindowEffects::attach(Game &game, NetSession &net)
{
    game_ = &game;
    net_ = &net;
    info_->attach(game.animationTimer);
}

void WindowEffects::PlaySound(int id, bool forced)
{
    sound_->PlaySound(id, forced);
}

void WindowEffects::DrawScreen(bool present)
{
    renderer_.DrawScreen(board_.backBuffer(), game_->st, game_->changeOverTimer.Enabled());
    if (present)
        board_.present();
}

void WindowEffects::PresentScreen()
{
    board_.present();
}

void WindowEffects::DrawInfo()
{
    info_->DrawInfo(game_->st);
}

void WindowEffects::DrawChangeOverBanner(int seconds)
{
    DrawScreen(false);
    renderer_.DrawChangeOverBanner(board_.backBuffer(), game_->st, seconds);
    board_.present();
}

void WindowEffects::DrawFoundAllBanner()
{
    renderer_.DrawFoundAllBanner(board_.backBuffer(), game_->st);
}

void WindowEffects::DrawGameEndBanner()
{
    renderer_.DrawGameEndBanner(board_.backBuffer());
}

void WindowEffects::SetStatusText(const QString &text)
{
    status_.setText(text);
}

void WindowEffects::SendText(const QString &text)
{
    net_->sendText(text);
}

void WindowEffects::CloseConnection()
{
    net_->closeConnection();
}

void WindowEffects::ShowPlacementBalloon(int x, int y)
{
    balloon_.ShowBalloon(board_.mapToGlobal(BalloonHint::CellCentre(x, y)));
}

void WindowEffects::HideBalloon()
{
    balloon_.HideBalloon();
}
