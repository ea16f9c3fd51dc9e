// Frame cost of the info panel's title animation (target: at most 1 ms per
// frame), and with --cpu the CPU use of a shown panel animated by the game
// timer for a number of seconds (target: at most 3 % of one core).
//
//   bench_infopanel                 frame and drawInfo timings (offscreen works)
//   bench_infopanel --cpu [seconds] needs a display, e.g. under xvfb-run

#include "game/Game.h"
#include "game/GameTimers.h"
#include "game/Random.h"
#include "presentation/DrawingSurface.h"
#include "presentation/InfoPanel.h"
#include "support/RecordingEffects.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void frameTimings()
{
    DrawingSurface surface(InfoPanel::Width, InfoPanel::Height);
    ClockSeededRandom rng(1);
    InfoPanel panel(surface, rng);
    constexpr int Frames = 5000;
    std::vector<double> us;
    us.reserve(Frames);
    for (int i = 0; i < 200; ++i)
        panel.animate(1); // warm up
    for (int i = 0; i < Frames; ++i) {
        QElapsedTimer t;
        t.start();
        panel.animate(1);
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us)
        sum += v;
    std::printf("animation frame: mean %.1f us, median %.1f us, 99th percentile %.1f us (%d frames)\n",
                sum / Frames, us[Frames / 2], us[Frames * 99 / 100], Frames);

    GameState st;
    st.gameMode = gmPCMode;
    st.gamePhase = gpFiring;
    st.tries = {37, 41};
    Game::placeShipsRandomly(st.controlField[0], rng);
    QElapsedTimer t;
    t.start();
    constexpr int Draws = 1000;
    for (int i = 0; i < Draws; ++i)
        panel.drawInfo(st);
    std::printf("DrawInfo (firing phase, 20 ships, 2 texts): mean %.1f us\n",
                t.nsecsElapsed() / 1000.0 / Draws);
}

// The panel shown in a window and driven the way the main window drives it:
// the game timer hub polled by one precise single-shot timer aimed at its
// next due time.
int cpuUse(int seconds)
{
    DrawingSurface surface(InfoPanel::Width, InfoPanel::Height);
    surface.setWindowTitle("bench_infopanel");
    surface.show();
    ClockSeededRandom rng(1);
    InfoPanel panel(surface, rng);
    SteadyClock clock;
    TimerHub hub(clock);
    GameTimer timer(hub, "animationTimer", 10);
    TimerCalls animation([&](GameTimer &, int lagCount) { panel.animate(lagCount); });
    timer.setTarget(&animation);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    int frames = 0;
    auto aim = [&] {
        if (auto due = hub.nextDue())
            wake.start(int(std::max<std::int64_t>(0, *due - clock.nowMs())));
    };
    QObject::connect(&wake, &QTimer::timeout, [&] {
        if (hub.poll())
            ++frames;
        aim();
    });
    timer.enable();
    aim();
    // Let the window settle before measuring.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    frames = 0;
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const double cpu = cpuSeconds() - cpu0;
    const double secs = wall.elapsed() / 1000.0;
    std::printf(
        "title animation shown for %.1f s: %d frames (%.1f per s), CPU %.2f s = %.2f %% of one core\n", secs,
        frames, frames / secs, cpu, 100.0 * cpu / secs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1] == QLatin1String("--cpu"))
        return cpuUse(args.size() > 2 ? args[2].toInt() : 10);
    frameTimings();
    return 0;
}
