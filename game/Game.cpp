#include "game/Game.h"

#include "game/Format.h"
#include "game/Texts.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

Game::Game(GameEffects &effects, Random &rng, const Clock &clock)
    : timers(clock),
      DXTimer(timers, QStringLiteral("DXTimer"), 1000),
      DXTimer_Computer(timers, QStringLiteral("DXTimer_Computer"), 1000),
      DXTimer_Info(timers, QStringLiteral("DXTimer_Info"), 10),
      effects_(effects),
      rng_(rng)
{
    DXTimer.setTarget(this);
}

// ---------------------------------------------------------------- grid queries

int Game::GetShipLength(const Grid &grid, int x, int y)
{
    if (grid.get(x, y) == 0)
        return 0;
    while (grid.isShip(x, y - 1))
        --y;
    while (grid.isShip(x - 1, y))
        --x;
    const int dx = grid.isShip(x, y + 1) ? 0 : 1;
    const int dy = 1 - dx;
    int length = 1;
    for (int k = 1; grid.isShip(x + k * dx, y + k * dy); ++k)
        ++length;
    return length;
}

ShipCounts Game::CountShips(const Grid &grid, int threshold)
{
    ShipCounts counts{0, 0, 0, 0, 0};
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            // "value > threshold + 1" and "neighbour < threshold + 2", written
            // so that no threshold can overflow.
            if (grid.get(x, y) - 1 > threshold && grid.get(x, y - 1) - 2 < threshold &&
                grid.get(x - 1, y) - 2 < threshold) {
                const int length = GetShipLength(grid, x, y);
                // Runs longer than 4 cannot come from placement; they are not
                // counted rather than written past the counters.
                if (length >= 1 && length <= 4)
                    ++counts[length];
            }
        }
    }
    return counts;
}

bool Game::CanSetShipCell(const Grid &grid, int x, int y, bool strict)
{
    if (x < 0 || x > 9 || y < 0 || y > 9)
        return false;
    if (grid.at(x, y) != 0)
        return false;

    static constexpr int order[4][2] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};
    int found = 0;
    int n1x = 0, n1y = 0, n2x = 0;
    for (const auto &o : order) {
        if (!grid.isShip(x + o[0], y + o[1]))
            continue;
        ++found;
        if (found == 1) {
            n1x = o[0];
            n1y = o[1];
        } else if (found == 2) {
            n2x = o[0];
        } else {
            return false;
        }
    }
    if (found == 2 && std::abs(n1x) != std::abs(n2x))
        return false;
    if (found == 0)
        return true;
    if (strict)
        return false;

    const int dx = n1x, dy = n1y;
    const int px = dx == 0 ? 1 : 0;
    const int py = dx == 0 ? 0 : 1;
    int run = 0;
    for (int s = -1; s <= 1; s += 2) {
        const int cx = x + s * dx, cy = y + s * dy;
        if (grid.isShip(cx, cy) && (grid.isShip(cx + px, cy + py) || grid.isShip(cx - px, cy - py)))
            return false;
        for (int k = s;; k += s) {
            if (!grid.isShip(x + k * dx, y + k * dy))
                break;
            ++run;
        }
    }
    return run <= 3;
}

static bool shipFits(const Grid &grid, int x, int y, int length, int d)
{
    for (int k = 0; k < length; ++k)
        if (!Game::CanSetShipCell(grid, x + d * k, y + (1 - d) * k, true))
            return false;
    return true;
}

static bool anyShipFits(const Grid &grid, int length, int d)
{
    for (int x = 0; x < 10 - d * (length - 1); ++x)
        for (int y = 0; y < 10 - (1 - d) * (length - 1); ++y)
            if (shipFits(grid, x, y, length, d))
                return true;
    return false;
}

void Game::PlaceShipsRandomly(Grid &grid, Random &rng)
{
    for (int i = 1; i <= 4; ++i) {
        const int length = 5 - i;
        for (int ship = 0; ship < i; ++ship) {
            const int d = rng.random(2); // 1 horizontal, 0 vertical
            for (int misses = 1;; ++misses) {
                const int x = rng.random(10 - d * (length - 1));
                const int y = rng.random(10 - (1 - d) * (length - 1));
                if (!shipFits(grid, x, y, length, d)) {
                    // On an empty grid a place always remains; a crowded grid
                    // handed in by mistake must not hang the program.
                    if (misses % 4096 == 0 && !anyShipFits(grid, length, d))
                        return;
                    continue;
                }
                for (int k = 0; k < length; ++k)
                    grid.at(x + d * k, y + (1 - d) * k) = pfShip;
                break;
            }
        }
    }
}

bool Game::IsCompleteFleet(const ShipCounts &counts)
{
    for (int length = 1; length <= 4; ++length)
        if (counts[length] != RequiredShips(length))
            return false;
    return true;
}

QString Game::FleetDigits(const Grid &grid)
{
    QString digits;
    digits.reserve(101);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            digits += QChar(u'0' + grid.at(x, y) % 10);
    return digits;
}

// ------------------------------------------------------- start, status, drawing

void Game::StartGame()
{
    st.GamePhase = gpPlacing1;
    st.PlacementDone = 0;
    switch (st.GameMode) {
    case gmTwoAtOne:
        st.CurrentPlayer = rng_.random(2);
        break;
    case gmTwoAtTwo:
        st.CurrentPlayer = local();
        break;
    case gmPCMode:
        st.CurrentPlayer = 0;
        break;
    }
    st.Winner = -1;
    st.ComputerLastHit = NoCell;
    st.Tries = {0, 0};
    st.HoverCell = NoCell;
    st.LastShot = {NoCell, NoCell};
    for (int p = 0; p < 2; ++p) {
        st.PlayField[p].clear();
        st.ControlField[p].clear();
    }
    if (st.GameMode == gmPCMode) {
        DXTimer_Computer.setInterval(
            static_cast<int>(std::clamp(st.ChangingTime * 1000LL, 0LL, static_cast<long long>(INT_MAX))));
        PlaceShipsRandomly(st.PlayField[1], rng_);
    }
}

void Game::SetComputerLevel(int level)
{
    st.ComputerLevel = level == clEasy || level == clHard ? static_cast<ComputerLevelT>(level) : clNormal;
}

static QString shipEntry(int count, int length)
{
    return QString::number(count) + u' ' + QString::number(length) + QStringLiteral("er, ");
}

QString Game::SetInfoLabelCaption()
{
    QString text;
    const int phase = st.GamePhase;
    if (phase == gpNoGame) {
        text = Texts::InfoText(0);
    } else if (phase >= gpPlacing1 && phase <= gpPlaced2) {
        const ShipCounts counts = CountShips(st.PlayField[cur()], 0);
        QString needed, surplus;
        for (int length = 1; length <= 4; ++length) {
            const int required = RequiredShips(length);
            if (required > counts[length])
                needed += shipEntry(required - counts[length], length);
            if (required < counts[length])
                surplus += shipEntry(counts[length] - required, length);
        }
        if (!needed.isEmpty())
            text = QStringLiteral("benötigt: ") + needed.chopped(2);
        if (!surplus.isEmpty()) {
            if (!needed.isEmpty())
                text += QStringLiteral("; ");
            text += QStringLiteral("zu entfernen: ") + surplus.chopped(2);
        }
        const bool complete = needed.isEmpty() && surplus.isEmpty();
        st.GamePhase = ((st.GamePhase - 1) & 2) + 1 + (complete ? 1 : 0);
        if (st.GamePhase == gpPlaced1 || st.GamePhase == gpPlaced2)
            text = Texts::InfoText(2);
    } else if (phase == gpFiring) {
        const int p = cur();
        const ShipCounts counts = CountShips(st.ControlField[p], 1);
        QString missing;
        for (int length = 1; length <= 4; ++length) {
            const int required = RequiredShips(length);
            if (required > counts[length])
                missing += FormatText(QStringLiteral("%d %der, "), {required - counts[length], length});
        }
        const bool localSingle = (st.GameMode == gmTwoAtTwo && p == local()) ||
                                 (st.GameMode == gmPCMode && p == 0);
        if (!missing.isEmpty()) {
            const QString lead = localSingle ? Texts::InfoText(10)
                                             : FormatText(Texts::InfoText(4), {st.PlayerNames[p]});
            text = lead + QStringLiteral(" Es fehlen: ") + missing.chopped(2) + u'.';
        } else {
            if (st.GameMode == gmTwoAtOne)
                text = FormatText(Texts::InfoText(5), {st.PlayerNames[p], st.PlayerNames[p ^ 1]});
            else if (localSingle)
                text = FormatText(Texts::InfoText(12), {st.PlayerNames[p ^ 1]});
            else
                text = FormatText(Texts::InfoText(11), {st.PlayerNames[p]});
            st.Winner = p;
        }
    } else if (phase == gpFinished) {
        text = Texts::InfoText(18);
    }
    effects_.SetStatusText(text);
    return text;
}

int Game::hoverBoard() const { return ViewedPlayer() * 2 + (st.GamePhase >= gpFiring ? 1 : 0); }

void Game::DrawScreen(bool present)
{
    // A hover frame is under the pointer or nowhere: after a hand-over or the
    // step from placing to firing the pointer is not on that cell any more.
    if (hoverBoard() != hoverBoard_)
        st.HoverCell = NoCell;
    if (st.GamePhase == gpNoGame)
        SetInfoLabelCaption();
    effects_.DrawScreen(present);
}

int Game::ViewedPlayer() const { return ViewedPlayerOf(st); }

int Game::ViewedPlayerOf(const GameState &st)
{
    switch (st.GameMode) {
    case gmTwoAtOne:
        return st.CurrentPlayer & 1;
    case gmTwoAtTwo:
        return st.LocalPlayer & 1;
    default:
        return 0;
    }
}

bool Game::IsLocalTurn() const
{
    switch (st.GameMode) {
    case gmTwoAtOne:
        return true;
    case gmTwoAtTwo:
        return cur() == local();
    default:
        return cur() == 0;
    }
}

// ------------------------------------------------------------------ placement

void Game::ClearPlayField() { st.PlayField[cur()].clearPlayingCells(); }

bool Game::PlacementItemsVisible() const
{
    return st.GamePhase >= gpPlacing1 && st.GamePhase <= gpPlaced2 &&
           !(st.GameMode == gmTwoAtTwo && st.PlacementDone == pdLocal);
}

void Game::MenuItem_DeleteAllShipsClick()
{
    if (!PlacementItemsVisible())
        return;
    effects_.HideBalloon();
    ClearPlayField();
    DrawScreen(true);
    SetInfoLabelCaption();
    effects_.DrawInfo();
}

void Game::MenuItem_SetShipsAutomaticallyClick()
{
    if (!PlacementItemsVisible())
        return;
    effects_.HideBalloon();
    ClearPlayField();
    PlaceShipsRandomly(st.PlayField[cur()], rng_);
    DrawScreen(true);
    SetInfoLabelCaption();
    effects_.DrawInfo();
}

// ---------------------------------------------------------------------- mouse

CellPos Game::LeftBoardCell(int X, int Y)
{
    if (X > 40 && X < 440 && Y > 80 && Y < 480)
        return {(X - 40) / 40, (Y - 80) / 40};
    return NoCell;
}

CellPos Game::RightBoardCell(int X, int Y)
{
    if (X > 480 && X < 880 && Y > 80 && Y < 480)
        return {(X - 480) / 40, (Y - 80) / 40};
    return NoCell;
}

void Game::DXDrawMouseDown(MouseButton button, int X, int Y)
{
    if (DXTimer.Enabled() || st.GamePhase == gpNoGame || st.GamePhase == gpFinished)
        return;

    if (st.GamePhase >= gpPlacing1 && st.GamePhase <= gpPlaced2) {
        if (st.PlacementDone & pdLocal)
            return;
        const CellPos c = LeftBoardCell(X, Y);
        if (c == NoCell)
            return;
        Grid &field = st.PlayField[cur()];
        if (button == MouseButton::Left) {
            if (CanSetShipCell(field, c.x, c.y, false)) {
                field.at(c.x, c.y) = pfShip;
            } else {
                if (field.at(c.x, c.y) == 0)
                    effects_.ShowPlacementBalloon(c.x, c.y);
                return;
            }
        } else {
            field.at(c.x, c.y) = pfWater;
        }
        SetInfoLabelCaption();
        effects_.DrawInfo();
        DrawScreen(true);
        return;
    }

    if (st.GamePhase == gpFiring) {
        if (!IsLocalTurn() || button != MouseButton::Left)
            return;
        const CellPos c = RightBoardCell(X, Y);
        // Never send a shot that would not be carried out here.
        if (c == NoCell || !freeTarget(c.x, c.y))
            return;
        effects_.SendText(FormatText(QStringLiteral("%d%d"), {c.x, c.y}));
        ClickControlField(c.x, c.y);
    }
}

void Game::DXDrawMouseMove(bool leftHeld, bool rightHeld, int X, int Y)
{
    if (leftHeld) {
        DXDrawMouseDown(MouseButton::Left, X, Y);
        return;
    }
    if (rightHeld) {
        DXDrawMouseDown(MouseButton::Right, X, Y);
        return;
    }
    if (DXTimer.Enabled() || st.GamePhase == gpNoGame || st.GamePhase == gpFinished) {
        // Not drawn now; the cell is not under the pointer any more when the
        // countdown or the victory screen ends.
        st.HoverCell = NoCell;
        return;
    }
    if (st.GamePhase < gpFiring && (st.PlacementDone & pdLocal))
        return;
    CellPos candidate = NoCell;
    if (st.GamePhase < gpFiring)
        candidate = LeftBoardCell(X, Y);
    else if (st.GamePhase == gpFiring && IsLocalTurn())
        candidate = RightBoardCell(X, Y);
    hoverBoard_ = hoverBoard();
    if (candidate != st.HoverCell) {
        st.HoverCell = candidate;
        DrawScreen(true);
    }
}

void Game::DXDrawMouseLeave()
{
    if (st.HoverCell == NoCell)
        return;
    st.HoverCell = NoCell;
    // Redrawn only where the frame is shown; a banner stays.
    if (!DXTimer.Enabled() && st.GamePhase >= gpPlacing1 && st.GamePhase <= gpFiring)
        DrawScreen(true);
}

// --------------------------------------------------------------------- firing

void Game::markSunk(Grid &control, int x, int y)
{
    while (control.get(x, y - 1) == cfHit)
        --y;
    while (control.get(x - 1, y) == cfHit)
        --x;
    const int dx = control.get(x, y + 1) == cfHit ? 0 : 1;
    const int dy = 1 - dx;
    control.at(x, y) = cfSunk;
    for (int k = 1; control.get(x + k * dx, y + k * dy) == cfHit; ++k)
        control.at(x + k * dx, y + k * dy) = cfSunk;
}

bool Game::freeTarget(int x, int y) const
{
    if (x < 0 || x > 9 || y < 0 || y > 9)
        return false;
    const int p = cur();
    const std::uint8_t target = st.PlayField[p ^ 1].at(x, y);
    return st.ControlField[p].at(x, y) == cfUnknown && target != pfWaterShot && target != pfShipHit;
}

bool Game::ClickControlField(int x, int y)
{
    // A cell shot before is never shot again, and a finished game keeps its
    // final grids and counters: nothing changes, nothing is played or drawn.
    if (st.GamePhase == gpFinished || !freeTarget(x, y))
        return false;
    const int p = cur();
    const int o = p ^ 1;
    Grid &control = st.ControlField[p];
    Grid &target = st.PlayField[o];

    ++st.Tries[p];
    if (st.GameMode == gmTwoAtOne)
        st.LastShot[p] = {x, y};
    else if (st.GameMode == gmTwoAtTwo && p != local())
        st.LastShot[0] = {x, y};
    else if (st.GameMode == gmPCMode && p == 1)
        st.LastShot[0] = {x, y};

    const bool ship = target.at(x, y) >= pfShip;
    effects_.PlaySound(st.ShotSound[ship ? 1 : 0]);

    const int remembered = st.Winner;
    bool endFlag = false;
    if (!ship) {
        control.at(x, y) = cfWater;
        target.at(x, y) = pfWaterShot;
        if (st.Winner == -1) {
            if (st.GameMode == gmTwoAtOne) {
                SetInfoLabelCaption();
                effects_.DrawInfo();
                DXTimer.Tag = st.ChangingTime;
                DXTimer.enable();
                DXTimerTimer();
                return true;
            }
            st.CurrentPlayer = o;
            if (st.GameMode == gmPCMode && st.CurrentPlayer == 1)
                DXTimer_Computer.enable();
        }
        SetInfoLabelCaption();
    } else {
        if (st.GameMode == gmPCMode && p == 1) {
            st.ComputerLastHit = {x, y};
            DXTimer_Computer.enable();
        }
        control.at(x, y) = cfHit;
        target.at(x, y) = pfShipHit;
        if (GetShipLength(control, x, y) == GetShipLength(target, x, y))
            markSunk(control, x, y);
        SetInfoLabelCaption();
        endFlag = st.Winner != remembered;
        // The last picture stands while the pointer moves on; it shows no hover.
        if (endFlag && remembered != -1)
            st.HoverCell = NoCell;
    }

    DrawScreen(!endFlag);
    effects_.DrawInfo();
    if (!endFlag)
        return true;

    if (remembered == -1) {
        effects_.PlaySound(301);
        effects_.DrawFoundAllBanner();
        DXTimer.setInterval(2000);
        DXTimer.enable();
        effects_.PresentScreen();
    } else {
        DXTimer_Computer.disable();
        effects_.DrawGameEndBanner();
        st.GamePhase = gpFinished;
        effects_.CloseConnection();
        SetInfoLabelCaption();
        effects_.PresentScreen();
    }
    return true;
}

int Game::Hits(int player) const
{
    if (player < 0 || player > 1)
        return 0;
    return HitCells(st.ControlField[player]);
}

int Game::HitCells(const Grid &control)
{
    int hits = 0;
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if (control.at(x, y) >= cfHit)
                ++hits;
    return hits;
}

int Game::RoundHalfToEven(long long numerator, long long denominator)
{
    long long q = numerator / denominator;
    const long long r2 = 2 * (numerator % denominator);
    if (r2 > denominator || (r2 == denominator && (q & 1)))
        ++q;
    return static_cast<int>(q);
}

std::optional<int> Game::HitRatio(int player) const
{
    if (player < 0 || player > 1 || st.Tries[player] <= 0)
        return std::nullopt;
    return RoundHalfToEven(static_cast<long long>(Hits(player)) * 100, st.Tries[player]);
}

// ------------------------------------------------------------------ game flow

bool Game::GameRunning() const { return st.GamePhase != gpNoGame && st.GamePhase != gpFinished; }

void Game::AbandonGame()
{
    DXTimer.disable();
    DXTimer_Computer.disable();
    DXTimer_Info.disable();
    // A countdown or victory pause cut short must not leave its count or its
    // 2-second interval behind for the next game.
    DXTimer.Tag = 0;
    DXTimer.setInterval(1000);
    st.GamePhase = gpNoGame;
    DrawScreen(true);
}

void Game::FormKeyPress(int key)
{
    if (key != 13 || st.GamePhase == gpNoGame)
        return;
    if (st.GamePhase == gpFinished) {
        st.GamePhase = gpNoGame;
        DrawScreen(true);
        DXTimer_Info.enable();
        return;
    }
    switch (st.GameMode) {
    case gmTwoAtOne:
        if (st.GamePhase == gpPlaced1) {
            st.GamePhase = gpPlacing2;
            st.CurrentPlayer = cur() ^ 1;
            effects_.SetStatusText(FormatText(Texts::InfoText(1), {st.PlayerNames[st.CurrentPlayer]}));
            DrawScreen(true);
            effects_.DrawInfo();
        } else if (st.GamePhase == gpPlaced2 || (st.GamePhase == gpFiring && st.Winner == -1)) {
            // Once one player has found every ship the other fires alone:
            // Enter neither turns the victory screen into a countdown nor
            // hands the turn back to the player who is done.
            st.GamePhase = gpFiring;
            DXTimer.Tag = st.ChangingTime;
            DXTimer.enable();
        }
        break;
    case gmTwoAtTwo: {
        if ((st.GamePhase != gpPlaced1 && st.GamePhase != gpPlaced2) || (st.PlacementDone & pdLocal))
            return;
        QString message = FleetDigits(st.PlayField[local()]);
        if (local() == 0) {
            st.CurrentPlayer = rng_.random(2);
            message += QChar(u'0' + st.CurrentPlayer);
        }
        effects_.SendText(message);
        if (st.PlacementDone == pdRemote) {
            st.PlacementDone = pdLocal | pdRemote;
            st.GamePhase = gpFiring;
            if (local() == 1)
                st.CurrentPlayer = st.NetStartPlayer != 0 ? 1 : 0;
            SetInfoLabelCaption();
        } else {
            st.PlacementDone = pdLocal;
            effects_.SetStatusText(FormatText(Texts::InfoText(9), {st.PlayerNames[local() ^ 1]}));
        }
        DrawScreen(true);
        break;
    }
    case gmPCMode:
        if (st.GamePhase != gpPlaced1)
            return;
        st.CurrentPlayer = rng_.random(2);
        st.GamePhase = gpFiring;
        DXTimer_Computer.setEnabled(st.CurrentPlayer == 1);
        DrawScreen(true);
        SetInfoLabelCaption();
        effects_.DrawInfo();
        break;
    }
}

void Game::DXTimerTimer()
{
    if (DXTimer.Tag > 1) {
        --DXTimer.Tag;
        effects_.DrawChangeOverBanner(DXTimer.Tag);
        return;
    }
    DXTimer.disable();
    DXTimer.setInterval(1000);
    // A pause that outlived its game (a finishing shot from the peer arrived
    // meanwhile, or the game was left) hands nothing over.
    if (st.GamePhase == gpNoGame || st.GamePhase == gpFinished)
        return;
    st.GamePhase = gpFiring;
    st.CurrentPlayer = cur() ^ 1;
    DXTimer_Computer.setEnabled(st.GameMode == gmPCMode && st.CurrentPlayer == 1);
    SetInfoLabelCaption();
    DrawScreen(true);
    effects_.DrawInfo();
}
