#include "game/Game.h"

#include "game/Format.h"
#include "game/Texts.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

Game::Game(GameEffects &effects, Random &rng, const Clock &clock)
    : timers_(clock), changeOverTimer_(timers_, QStringLiteral("changeOverTimer"), 1000),
      computerTimer_(timers_, QStringLiteral("computerTimer"), 1000),
      animationTimer_(timers_, QStringLiteral("animationTimer"), 10), effects_(effects), rng_(rng)
{
    changeOverTimer_.setTarget(this);
}

// ---------------------------------------------------------------- grid queries

int Game::shipLength(const Grid &grid, int x, int y)
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

ShipCounts Game::countShips(const Grid &grid, int threshold)
{
    ShipCounts counts{0, 0, 0, 0, 0};
    for (int x = 0; x < BoardSize; ++x) {
        for (int y = 0; y < BoardSize; ++y) {
            // "value > threshold + 1" and "neighbour < threshold + 2", written
            // so that no threshold can overflow.
            if (grid.get(x, y) - 1 > threshold && grid.get(x, y - 1) - 2 < threshold &&
                grid.get(x - 1, y) - 2 < threshold) {
                const int length = shipLength(grid, x, y);
                // Runs longer than 4 cannot come from placement; they are not
                // counted rather than written past the counters.
                if (length >= 1 && length <= 4)
                    ++counts[length];
            }
        }
    }
    return counts;
}

bool Game::canSetShipCell(const Grid &grid, int x, int y, bool strict)
{
    if (x < 0 || x >= BoardSize || y < 0 || y >= BoardSize)
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
        if (!Game::canSetShipCell(grid, x + d * k, y + (1 - d) * k, true))
            return false;
    return true;
}

static bool anyShipFits(const Grid &grid, int length, int d)
{
    for (int x = 0; x < BoardSize - d * (length - 1); ++x)
        for (int y = 0; y < BoardSize - (1 - d) * (length - 1); ++y)
            if (shipFits(grid, x, y, length, d))
                return true;
    return false;
}

void Game::placeShipsRandomly(Grid &grid, Random &rng)
{
    for (int i = 1; i <= 4; ++i) {
        const int length = 5 - i;
        for (int ship = 0; ship < i; ++ship) {
            const int d = rng.random(2); // 1 horizontal, 0 vertical
            for (int misses = 1;; ++misses) {
                const int x = rng.random(BoardSize - d * (length - 1));
                const int y = rng.random(BoardSize - (1 - d) * (length - 1));
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

bool Game::isCompleteFleet(const ShipCounts &counts)
{
    for (int length = 1; length <= 4; ++length)
        if (counts[length] != RequiredShips(length))
            return false;
    return true;
}

QString Game::fleetDigits(const Grid &grid)
{
    QString digits;
    digits.reserve(BoardSize * BoardSize + 1);
    for (int y = 0; y < BoardSize; ++y)
        for (int x = 0; x < BoardSize; ++x)
            digits += QChar(u'0' + grid.at(x, y) % 10);
    return digits;
}

// ------------------------------------------------ choices, settings, dialogs

void Game::takeChoices(const GameChoices &c)
{
    st_.gameMode = c.gameMode;
    switch (c.gameMode) {
    case gmTwoAtOne:
        st_.playerNames = c.playerNames;
        st_.recentNames = c.playerNames;
        st_.changingTime = c.changingTime;
        break;
    case gmTwoAtTwo:
        st_.localPlayer = c.localPlayer & 1;
        st_.playerNames[local()] = c.playerNames[local()];
        st_.recentNames[0] = c.playerNames[local()];
        if (local() == 1)
            st_.hostAddress = c.hostAddress;
        break;
    case gmPCMode:
        st_.playerNames = {c.playerNames[0], QString::fromUtf8(Texts::ComputerName)};
        st_.recentNames[0] = c.playerNames[0];
        st_.changingTime = c.changingTime;
        setComputerLevel(c.computerLevel);
        break;
    }
}

void Game::forgetPlayerNames()
{
    st_.playerNames[0].clear();
    st_.playerNames[1].clear();
}

void Game::applySettings(const StoredSettings &stored)
{
    static_cast<StoredSettings &>(st_) = stored;
}

void Game::setShotSounds(const std::array<int, 2> &sounds)
{
    st_.shotSound = sounds;
}

void Game::setCellColors(const std::array<std::uint32_t, 4> &colors)
{
    const bool changed = colors != st_.cellColors;
    st_.cellColors = colors;
    // Not over the title picture, the end banner or the change-over countdown:
    // the next regular redraw picks the colours up there.
    if (changed && st_.gamePhase >= gpPlacing1 && st_.gamePhase <= gpFiring && !changeOverTimer_.isEnabled())
        drawScreen(true);
}

// ------------------------------------------------------- start, status, drawing

void Game::startGame()
{
    st_.gamePhase = gpPlacing1;
    st_.placementDone = 0;
    switch (st_.gameMode) {
    case gmTwoAtOne:
        st_.currentPlayer = rng_.random(2);
        break;
    case gmTwoAtTwo:
        st_.currentPlayer = local();
        break;
    case gmPCMode:
        st_.currentPlayer = 0;
        break;
    }
    st_.winner = -1;
    st_.computerLastHit = NoCell;
    st_.tries = {0, 0};
    st_.hoverCell = NoCell;
    st_.lastShot = {NoCell, NoCell};
    for (int p = 0; p < 2; ++p) {
        st_.playField[p].clear();
        st_.controlField[p].clear();
    }
    if (st_.gameMode == gmPCMode) {
        computerTimer_.setInterval(
            static_cast<int>(std::clamp(st_.changingTime * 1000LL, 0LL, static_cast<long long>(INT_MAX))));
        placeShipsRandomly(st_.playField[1], rng_);
    }
}

void Game::beginGame(int namePlayer)
{
    startGame();
    const int p = namePlayer < 0 ? cur() : namePlayer & 1;
    effects_.setStatusText(FormatText(Texts::InfoText(1), {st_.playerNames[p]}));
    drawScreen(true);
    effects_.drawInfo();
}

void Game::setComputerLevel(int level)
{
    st_.computerLevel = level == clEasy || level == clHard ? static_cast<ComputerLevelT>(level) : clNormal;
}

static QString shipEntry(int count, int length)
{
    return QString::number(count) + u' ' + QString::number(length) + QStringLiteral("er, ");
}

QString Game::statusText() const
{
    QString text;
    const GamePhaseT phase = st_.gamePhase;
    if (phase == gpNoGame) {
        text = Texts::InfoText(0);
    } else if (phase >= gpPlacing1 && phase <= gpPlaced2) {
        const ShipCounts counts = countShips(st_.playField[cur()], 0);
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
        if (needed.isEmpty() && surplus.isEmpty())
            text = Texts::InfoText(2);
    } else if (phase == gpFiring) {
        const int p = cur();
        const ShipCounts counts = countShips(st_.controlField[p], 1);
        QString missing;
        for (int length = 1; length <= 4; ++length) {
            const int required = RequiredShips(length);
            if (required > counts[length])
                missing += FormatText(QStringLiteral("%d %der, "), {required - counts[length], length});
        }
        const bool localSingle =
            (st_.gameMode == gmTwoAtTwo && p == local()) || (st_.gameMode == gmPCMode && p == 0);
        if (!missing.isEmpty()) {
            const QString lead =
                localSingle ? Texts::InfoText(10) : FormatText(Texts::InfoText(4), {st_.playerNames[p]});
            text = lead + QStringLiteral(" Es fehlen: ") + missing.chopped(2) + u'.';
        } else if (st_.gameMode == gmTwoAtOne) {
            text = FormatText(Texts::InfoText(5), {st_.playerNames[p], st_.playerNames[p ^ 1]});
        } else if (localSingle) {
            text = FormatText(Texts::InfoText(12), {st_.playerNames[p ^ 1]});
        } else {
            text = FormatText(Texts::InfoText(11), {st_.playerNames[p]});
        }
    } else if (phase == gpFinished) {
        text = Texts::InfoText(18);
    }
    return text;
}

void Game::showStatusText()
{
    effects_.setStatusText(statusText());
}

void Game::updatePlacementPhase()
{
    if (st_.gamePhase < gpPlacing1 || st_.gamePhase > gpPlaced2)
        return;
    const bool complete = isCompleteFleet(countShips(st_.playField[cur()], 0));
    st_.gamePhase = GamePhaseT(((st_.gamePhase - 1) & 2) + 1 + (complete ? 1 : 0));
}

int Game::hoverBoard() const
{
    return viewedPlayer() * 2 + (st_.gamePhase >= gpFiring ? 1 : 0);
}

void Game::drawScreen(bool present)
{
    // A hover frame is under the pointer or nowhere: after a hand-over or the
    // step from placing to firing the pointer is not on that cell any more.
    if (hoverBoard() != hoverBoard_)
        st_.hoverCell = NoCell;
    if (st_.gamePhase == gpNoGame)
        showStatusText();
    effects_.drawScreen(present);
}

int Game::viewedPlayer() const
{
    return viewedPlayerOf(st_);
}

int Game::viewedPlayerOf(const GameState &st)
{
    switch (st.gameMode) {
    case gmTwoAtOne:
        return st.currentPlayer & 1;
    case gmTwoAtTwo:
        return st.localPlayer & 1;
    default:
        return 0;
    }
}

bool Game::isLocalTurn() const
{
    switch (st_.gameMode) {
    case gmTwoAtOne:
        return true;
    case gmTwoAtTwo:
        return cur() == local();
    default:
        return cur() == 0;
    }
}

// ------------------------------------------------------------------ placement

void Game::clearPlayField()
{
    st_.playField[cur()].clearPlayingCells();
}

bool Game::placementItemsVisible() const
{
    return st_.gamePhase >= gpPlacing1 && st_.gamePhase <= gpPlaced2 &&
           !(st_.gameMode == gmTwoAtTwo && st_.placementDone == pdLocal);
}

void Game::removeAllShips()
{
    if (!placementItemsVisible())
        return;
    effects_.hideBalloon();
    clearPlayField();
    updatePlacementPhase();
    drawScreen(true);
    showStatusText();
    effects_.drawInfo();
}

void Game::placeAllShipsRandomly()
{
    if (!placementItemsVisible())
        return;
    effects_.hideBalloon();
    clearPlayField();
    placeShipsRandomly(st_.playField[cur()], rng_);
    updatePlacementPhase();
    drawScreen(true);
    showStatusText();
    effects_.drawInfo();
}

// ---------------------------------------------------------------------- mouse

std::optional<Board> Game::boardTakingPresses() const
{
    if (changeOverTimer_.isEnabled() || st_.gamePhase == gpNoGame || st_.gamePhase == gpFinished)
        return std::nullopt;
    if (st_.gamePhase >= gpPlacing1 && st_.gamePhase <= gpPlaced2) {
        if (st_.placementDone & pdLocal)
            return std::nullopt;
        return Board::Own;
    }
    if (st_.gamePhase == gpFiring && isLocalTurn())
        return Board::Control;
    return std::nullopt;
}

void Game::pressCell(Board board, CellPos c, CellPress press)
{
    if (boardTakingPresses() != board)
        return;

    if (board == Board::Own) {
        Grid &field = st_.playField[cur()];
        if (press == CellPress::Set) {
            if (canSetShipCell(field, c.x, c.y, false)) {
                field.at(c.x, c.y) = pfShip;
            } else {
                if (field.at(c.x, c.y) == 0)
                    effects_.showPlacementBalloon(c.x, c.y);
                return;
            }
        } else {
            field.at(c.x, c.y) = pfWater;
        }
        updatePlacementPhase();
        showStatusText();
        effects_.drawInfo();
        drawScreen(true);
        return;
    }

    // Never send a shot that would not be carried out here.
    if (press != CellPress::Set || !freeTarget(c.x, c.y))
        return;
    effects_.sendText(FormatText(QStringLiteral("%d%d"), {c.x, c.y}));
    fireAt(c.x, c.y);
}

void Game::hoverCell(Board board, CellPos cell)
{
    if (st_.gamePhase < gpFiring)
        hoverCandidate(board == Board::Own ? cell : NoCell);
    else
        hoverCandidate(board == Board::Control ? cell : NoCell);
}

void Game::hoverNoCell()
{
    hoverCandidate(NoCell);
}

void Game::hoverCandidate(CellPos cell)
{
    if (changeOverTimer_.isEnabled() || st_.gamePhase == gpNoGame || st_.gamePhase == gpFinished) {
        // Not drawn now; the cell is not under the pointer any more when the
        // countdown or the victory screen ends.
        st_.hoverCell = NoCell;
        return;
    }
    if (st_.gamePhase < gpFiring && (st_.placementDone & pdLocal))
        return;
    // While firing, the frame follows the pointer only on a local turn.
    const CellPos candidate = st_.gamePhase < gpFiring || isLocalTurn() ? cell : NoCell;
    hoverBoard_ = hoverBoard();
    if (candidate != st_.hoverCell) {
        st_.hoverCell = candidate;
        drawScreen(true);
    }
}

void Game::leaveBoards()
{
    if (st_.hoverCell == NoCell)
        return;
    st_.hoverCell = NoCell;
    // Redrawn only where the frame is shown; a banner stays.
    if (!changeOverTimer_.isEnabled() && st_.gamePhase >= gpPlacing1 && st_.gamePhase <= gpFiring)
        drawScreen(true);
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

bool Game::foundAllShips(const Grid &control)
{
    const ShipCounts counts = countShips(control, 1);
    for (int length = 1; length <= 4; ++length)
        if (RequiredShips(length) > counts[length])
            return false;
    return true;
}

bool Game::freeTarget(int x, int y) const
{
    if (x < 0 || x >= BoardSize || y < 0 || y >= BoardSize)
        return false;
    const int p = cur();
    const std::uint8_t target = st_.playField[p ^ 1].at(x, y);
    return st_.controlField[p].at(x, y) == cfUnknown && target != pfWaterShot && target != pfShipHit;
}

bool Game::fireAt(int x, int y)
{
    // A cell shot before is never shot again, and a finished game keeps its
    // final grids and counters: nothing changes, nothing is played or drawn.
    if (st_.gamePhase == gpFinished || !freeTarget(x, y))
        return false;
    const int p = cur();
    const int o = p ^ 1;
    Grid &control = st_.controlField[p];
    Grid &target = st_.playField[o];

    ++st_.tries[p];
    if (st_.gameMode == gmTwoAtOne)
        st_.lastShot[p] = {x, y};
    else if (st_.gameMode == gmTwoAtTwo && p != local())
        st_.lastShot[0] = {x, y};
    else if (st_.gameMode == gmPCMode && p == 1)
        st_.lastShot[0] = {x, y};

    const bool ship = target.at(x, y) >= pfShip;
    effects_.playSound(st_.shotSound[ship ? 1 : 0]);

    const int remembered = st_.winner;
    bool endFlag = false;
    if (!ship) {
        control.at(x, y) = cfWater;
        target.at(x, y) = pfWaterShot;
        if (st_.winner == -1) {
            if (st_.gameMode == gmTwoAtOne) {
                showStatusText();
                effects_.drawInfo();
                countdown_ = st_.changingTime;
                changeOverTimer_.enable();
                changeOverTick();
                return true;
            }
            st_.currentPlayer = o;
            if (st_.gameMode == gmPCMode && st_.currentPlayer == 1)
                computerTimer_.enable();
        }
        showStatusText();
    } else {
        if (st_.gameMode == gmPCMode && p == 1) {
            st_.computerLastHit = {x, y};
            computerTimer_.enable();
        }
        control.at(x, y) = cfHit;
        target.at(x, y) = pfShipHit;
        if (shipLength(control, x, y) == shipLength(target, x, y))
            markSunk(control, x, y);
        // The shot that finds the last ship makes its shooter the winner
        // (the second one to get there once both did).
        if (foundAllShips(control))
            st_.winner = p;
        showStatusText();
        endFlag = st_.winner != remembered;
        // The last picture stands while the pointer moves on; it shows no hover.
        if (endFlag && remembered != -1)
            st_.hoverCell = NoCell;
    }

    drawScreen(!endFlag);
    effects_.drawInfo();
    if (!endFlag)
        return true;

    if (remembered == -1) {
        effects_.playSound(SoundFoundAll);
        effects_.drawFoundAllBanner();
        changeOverTimer_.setInterval(2000);
        changeOverTimer_.enable();
        effects_.presentScreen();
    } else {
        computerTimer_.disable();
        effects_.drawGameEndBanner();
        st_.gamePhase = gpFinished;
        effects_.closeConnection();
        showStatusText();
        effects_.presentScreen();
    }
    return true;
}

int Game::hits(int player) const
{
    if (player < 0 || player > 1)
        return 0;
    return hitCells(st_.controlField[player]);
}

int Game::hitCells(const Grid &control)
{
    int hits = 0;
    for (int x = 0; x < BoardSize; ++x)
        for (int y = 0; y < BoardSize; ++y)
            if (control.at(x, y) >= cfHit)
                ++hits;
    return hits;
}

int Game::roundHalfToEven(long long numerator, long long denominator)
{
    long long q = numerator / denominator;
    const long long r2 = 2 * (numerator % denominator);
    if (r2 > denominator || (r2 == denominator && (q & 1)))
        ++q;
    return static_cast<int>(q);
}

std::optional<int> Game::hitRatio(int player) const
{
    if (player < 0 || player > 1 || st_.tries[player] <= 0)
        return std::nullopt;
    return roundHalfToEven(static_cast<long long>(hits(player)) * 100, st_.tries[player]);
}

// ----------------------------------------------------------- the network peer

void Game::takePeerName(const QString &name)
{
    st_.playerNames[local() ^ 1] = name;
    st_.recentNames[1] = name;
}

void Game::takePeerFleet(const Grid &fleet, int startPlayer)
{
    if (st_.placementDone == 0)
        st_.placementDone = pdRemote;
    st_.playField[local() ^ 1] = fleet;
    if (local() == 1)
        st_.netStartPlayer = startPlayer;
    if (st_.placementDone == pdLocal)
        bothFleetsIn();
}

void Game::bothFleetsIn()
{
    st_.placementDone = pdLocal | pdRemote;
    st_.gamePhase = gpFiring;
    if (local() == 1)
        st_.currentPlayer = st_.netStartPlayer != 0 ? 1 : 0;
    showStatusText();
    drawScreen(true);
}

bool Game::takePeerShot(int x, int y)
{
    // The victory pause still runs here (timers wait while the window is in
    // the background), but the peer has passed it: hand the turn over first.
    if (changeOverTimer_.isEnabled())
        changeOverTick();
    const int peer = local() ^ 1;
    if (cur() != peer || st_.controlField[peer].at(x, y) != cfUnknown)
        return false;
    fireAt(x, y);
    return true;
}

// ------------------------------------------------------------------ game flow

bool Game::gameRunning() const
{
    return st_.gamePhase != gpNoGame && st_.gamePhase != gpFinished;
}

void Game::abandonGame()
{
    changeOverTimer_.disable();
    computerTimer_.disable();
    animationTimer_.disable();
    // A countdown or victory pause cut short must not leave its count or its
    // 2-second interval behind for the next game.
    countdown_ = 0;
    changeOverTimer_.setInterval(1000);
    st_.gamePhase = gpNoGame;
    drawScreen(true);
}

void Game::confirm()
{
    if (st_.gamePhase == gpNoGame)
        return;
    if (st_.gamePhase == gpFinished) {
        st_.gamePhase = gpNoGame;
        drawScreen(true);
        animationTimer_.enable();
        return;
    }
    switch (st_.gameMode) {
    case gmTwoAtOne:
        if (st_.gamePhase == gpPlaced1) {
            st_.gamePhase = gpPlacing2;
            st_.currentPlayer = cur() ^ 1;
            effects_.setStatusText(FormatText(Texts::InfoText(1), {st_.playerNames[st_.currentPlayer]}));
            drawScreen(true);
            effects_.drawInfo();
        } else if (st_.gamePhase == gpPlaced2 || (st_.gamePhase == gpFiring && st_.winner == -1)) {
            // Once one player has found every ship the other fires alone:
            // Enter neither turns the victory screen into a countdown nor
            // hands the turn back to the player who is done.
            st_.gamePhase = gpFiring;
            countdown_ = st_.changingTime;
            changeOverTimer_.enable();
        }
        break;
    case gmTwoAtTwo: {
        if ((st_.gamePhase != gpPlaced1 && st_.gamePhase != gpPlaced2) || (st_.placementDone & pdLocal))
            return;
        QString message = fleetDigits(st_.playField[local()]);
        if (local() == 0) {
            st_.currentPlayer = rng_.random(2);
            message += QChar(u'0' + st_.currentPlayer);
        }
        effects_.sendText(message);
        if (st_.placementDone == pdRemote) {
            bothFleetsIn();
        } else {
            st_.placementDone = pdLocal;
            effects_.setStatusText(FormatText(Texts::InfoText(9), {st_.playerNames[local() ^ 1]}));
            drawScreen(true);
        }
        break;
    }
    case gmPCMode:
        if (st_.gamePhase != gpPlaced1)
            return;
        st_.currentPlayer = rng_.random(2);
        st_.gamePhase = gpFiring;
        computerTimer_.setEnabled(st_.currentPlayer == 1);
        drawScreen(true);
        showStatusText();
        effects_.drawInfo();
        break;
    }
}

void Game::changeOverTick()
{
    if (countdown_ > 1) {
        --countdown_;
        effects_.drawChangeOverBanner(countdown_);
        return;
    }
    changeOverTimer_.disable();
    changeOverTimer_.setInterval(1000);
    // A pause that outlived its game (a finishing shot from the peer arrived
    // meanwhile, or the game was left) hands nothing over.
    if (st_.gamePhase == gpNoGame || st_.gamePhase == gpFinished)
        return;
    st_.gamePhase = gpFiring;
    st_.currentPlayer = cur() ^ 1;
    computerTimer_.setEnabled(st_.gameMode == gmPCMode && st_.currentPlayer == 1);
    showStatusText();
    drawScreen(true);
    effects_.drawInfo();
}
