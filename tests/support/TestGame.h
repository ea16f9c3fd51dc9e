#pragma once

#include "game/Game.h"
#include "presentation/BoardGeometry.h"
#include "support/GameTestAccess.h"
#include "support/RecordingEffects.h"

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QTest>

#include <utility>

// Readable cells in test failure messages.
inline char *toString(const CellPos &c)
{
    return QTest::toString(QStringLiteral("(%1, %2)").arg(c.x).arg(c.y));
}

// One engine with a recorder, a scripted random generator and a hand-driven
// clock, the recorder attached to the timers; st writes the engine's state.
struct TestGame {
    RecordingEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    GameState &st = GameTestAccess::state(game);

    explicit TestGame(bool timerIntervals = false) { fx.attach(game, timerIntervals); }

    // Advances the clock by ms and lets the polled timer tick (as the
    // program's wake-up timer would); returns the number of ticks.
    int run(int ms, int step = 1)
    {
        int ticks = 0;
        for (int t = 0; t < ms; t += step) {
            clock.advance(step);
            if (game.timerHub().poll())
                ++ticks;
        }
        return ticks;
    }
    // The recorded effects joined by " | ", and the record cleared.
    QString takeLog() { return std::exchange(fx.log, {}).join(QStringLiteral(" | ")); }
};

// A grid from rows joined by '|' (rows left out are water), in the notation of
// GridFromRows; any other character ('?' to mark a cell) is water.
inline Grid GridOf(const QString &rows)
{
    return GridFromRows(rows.split(u'|'));
}

// A complete fleet, packed into the top seven rows.
inline QStringList StandardFleetRows()
{
    return {"####.###..", "..........", "###.##.##.", "..........", "##.#.#.#..",
            "..........", "#.........", "..........", "..........", ".........."};
}

// The centre pixel of a cell of the left or the right board.
inline QPoint LeftBoardPixel(int x, int y)
{
    return {60 + 40 * x, 100 + 40 * y};
}
inline QPoint RightBoardPixel(int x, int y)
{
    return {500 + 40 * x, 100 + 40 * y};
}

// The ship (or water) cells of a grid, x outer and y inner.
inline QList<CellPos> ShipCells(const Grid &grid, bool ships = true)
{
    QList<CellPos> cells;
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            if ((grid.at(x, y) >= 2) == ships)
                cells << CellPos{x, y};
    return cells;
}
