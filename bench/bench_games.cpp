// Plays whole games against the computer through the real main window (the
// wizard, "Schiffe zufällig platzieren", Enter and mouse clicks on the
// control board; the computer's moves through its game timer on a hand-driven
// clock) and prints the resident size after the first and the last game: a
// window that keeps playing must not keep growing.
//
//   bench_games [games]      (default 100; QT_QPA_PLATFORM=offscreen works)
// Output: "name=value" lines; bench/measure-program.py reads them.

#include "app/mainwindow/MainWindow.h"
#include "dialogs/NewGameWizard.h"
#include "presentation/DrawingSurface.h"
#include "support/GameTestAccess.h"
#include "support/TestDoubles.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

struct Player {
    QTemporaryDir dir;
    ManualClock clock;
    ClockSeededRandom rng{4711};
    MainWindow form{&clock, &rng, nullptr, dir.filePath(QStringLiteral("Settings.ini"))};
    DrawingSurface *board = form.findChild<DrawingSurface *>(QStringLiteral("DXDraw"));
    NewGameWizard *wizard = form.findChild<NewGameWizard *>();
    GameState &st = GameTestAccess::state(form.game());

    void click(const char *name)
    {
        form.findChild<QAbstractButton *>(QLatin1String(name), Qt::FindChildrenRecursively)->click();
    }
    void enter() { QTest::keyClick(&form, Qt::Key_Return); }

    bool playOne()
    {
        // The wizard without its modal loop, as "Neu" would show it.
        wizard->show();
        wizard->findChild<QAbstractButton *>(QStringLiteral("RadioButton_PCMode"))->click();
        wizard->findChild<QAbstractButton *>(QStringLiteral("Button_Forward"))->click();
        wizard->findChild<QLineEdit *>(QStringLiteral("Edit_M3Player"))->setText(QStringLiteral("Anna"));
        wizard->findChild<QAbstractButton *>(QStringLiteral("Button_Forward"))->click();
        if (st.gamePhase != gpPlacing1) {
            std::fprintf(stderr, "no placing: phase %d\n", st.gamePhase);
            return false;
        }
        QMenu *menu = form.findChild<QMenu *>(QStringLiteral("Spiel1"));
        emit menu->aboutToShow();
        form.findChild<QAction *>(QStringLiteral("MenuItem_SetShipsAutomatically"))->trigger();
        enter();
        for (int moves = 0; st.gamePhase != gpFinished; ++moves) {
            if (moves > 5000) {
                std::fprintf(stderr, "phase %d\n", st.gamePhase);
                return false;
            }
            if (form.game().isLocalTurn()) {
                const int x = rng.random(10), y = rng.random(10);
                if (st.controlField[0].at(x, y) == 0)
                    QTest::mouseClick(board, Qt::LeftButton, {}, QPoint(500 + 40 * x, 100 + 40 * y));
            } else {
                clock.advance(1000); // the computer's thinking time, a change-over
                form.game().timerHub().poll();
            }
            QCoreApplication::processEvents();
        }
        clock.advance(5000);
        form.game().timerHub().poll();
        enter(); // back to the title
        QCoreApplication::processEvents();
        return st.gamePhase == gpNoGame;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int games = argc > 1 ? std::atoi(argv[1]) : 100;
    Player player;
    player.form.show();
    // The game timers tick only in the active application.
    player.form.activateWindow();
    if (!QTest::qWaitForWindowActive(&player.form))
        return 1;
    double first = 0;
    for (int i = 1; i <= games; ++i) {
        if (!player.playOne()) {
            std::fprintf(stderr, "game %d did not come to an end\n", i);
            return 1;
        }
        if (i == 1)
            first = residentMegabytes();
    }
    std::printf("games=%d\nrss_mb_after_1=%.1f\nrss_mb_after_%d=%.1f\n", games, first, games,
                residentMegabytes());
    return 0;
}
