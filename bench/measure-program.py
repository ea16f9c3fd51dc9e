#!/usr/bin/env python3
"""Measures the built program the way a player meets it.

Starts build/kielwanz (or --program) under Xvfb with the openbox window
manager, each run in a fresh temporary HOME beside a settings file that skips
the update check at start, and prints, as the median of --runs runs:

  start_s         seconds from starting the process to its window being mapped
  title_rss_mb    resident size at the title, 3 s after the window showed
  title_cpu_pct   CPU (user + system, % of one core) over 10 s of the title animation
  idle_game_cpu_pct  the same over 10 s of a game against the computer that
                  waits for the player's shot (started with Ctrl+N, the wizard,
                  "Schiffe zufällig platzieren" and Enter, driven by xdotool)
  games_rss_mb_1 / games_rss_mb_100 / games_growth_mb
                  resident size after the first and the hundredth of 100 whole
                  games against the computer, played in-process by
                  bench_games (skipped when it is not built)

  bench/measure-program.py [--program build/kielwanz] [--display :73] [--runs 3]

Needs Xvfb, openbox and xdotool. A display that already runs is used as it
is (and must have a window manager); otherwise one is started and ended.
"""

import argparse
import ctypes
import ctypes.util
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

CLK_TCK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15; the split starts at field 3.
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def cpu_percent_over(pid, seconds):
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    c1, t1 = cpu_seconds(pid), time.monotonic()
    return 100.0 * (c1 - c0) / (t1 - t0)


def xdo(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout.strip()


def visible_window(env, pid):
    out = xdo(env, "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", "^Kielwanz$")
    return out.splitlines()[0] if out else None


class MapWatch:
    """Tells when the next window is mapped on the screen, from the X server's
    own MapNotify event: polling for the window would take the processor
    from the program that is starting."""

    def __init__(self, display):
        self.x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XPending.argtypes = [ctypes.c_void_p]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        SubstructureNotifyMask = 1 << 19
        self.x.XSelectInput(self.dpy, self.x.XDefaultRootWindow(self.dpy), SubstructureNotifyMask)
        self.x.XFlush(self.dpy)

    def next_map(self, timeout):
        MapNotify = 19
        event = ctypes.create_string_buffer(192)  # XEvent: 24 longs
        end = time.monotonic() + timeout
        fd = self.x.XConnectionNumber(self.dpy)
        while time.monotonic() < end:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, event)
                if ctypes.c_int.from_buffer(event).value == MapNotify:
                    return time.monotonic()
            select.select([fd], [], [], max(0.0, end - time.monotonic()))
        return None

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def wait_for(predicate, timeout, step=0.002):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def window_named(env, pid, name, timeout=5.0):
    def find():
        out = xdo(env, "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", name)
        return out.splitlines()[-1] if out else None

    return wait_for(find, timeout, 0.05)


def key(env, *keys):
    xdo(env, "key", "--delay", "60", *keys)
    time.sleep(0.3)


def one_run(program, env_base, idle_game=True):
    home = tempfile.mkdtemp(prefix="kw-bench-")
    try:
        folder = os.path.join(home, "prog")
        os.makedirs(folder)
        exe = os.path.join(folder, "kielwanz")
        shutil.copy2(program, exe)
        with open(os.path.join(folder, "UpdateSettings.ini"), "w") as f:
            f.write("[Software\\Lx\\Kielwanz]\nNoUpdate=sz:\n")
        runtime = os.path.join(home, "run")
        os.makedirs(runtime, mode=0o700)
        env = dict(env_base, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_RUNTIME_DIR=runtime)
        watch = MapWatch(env["DISPLAY"])
        t0 = time.monotonic()
        proc = subprocess.Popen([exe], env=env, cwd=home, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            mapped = watch.next_map(20.0)
            watch.close()
            win = wait_for(lambda: visible_window(env, proc.pid), 20.0, 0.05)
            if not win or mapped is None:
                raise RuntimeError("the window never showed")
            start = mapped - t0
            xdo(env, "windowactivate", "--sync", win)
            time.sleep(3.0)
            result = {"start_s": start, "title_rss_mb": rss_mb(proc.pid),
                      "title_cpu_pct": cpu_percent_over(proc.pid, 10.0)}
            if idle_game:
                result["idle_game_cpu_pct"] = start_game_and_idle(env, proc.pid, win)
            return result
        finally:
            proc.kill()
            proc.wait()
    finally:
        shutil.rmtree(home, ignore_errors=True)


def start_game_and_idle(env, pid, win):
    # Ctrl+N opens the wizard; "Ein Spieler gegen den Computer", "Weiter", a
    # name, one second of thinking time for the computer, "Weiter" starts the
    # game. The wizard's controls are clicked where they are at 100 %.
    key(env, "ctrl+n")
    wizard = window_named(env, pid, "^Neues Spiel$")
    if not wizard:
        raise RuntimeError("the wizard did not open")
    time.sleep(0.5)  # until the window manager has placed it
    click(env, wizard, 32, 139)
    click(env, wizard, 445, 186)
    xdo(env, "type", "--delay", "30", "Anna")
    key(env, "Tab", "ctrl+a")
    xdo(env, "type", "1")
    click(env, wizard, 445, 186)
    if not wait_for(lambda: not window_named(env, pid, "^Neues Spiel$", 0.1), 5.0, 0.1):
        subprocess.run(["import", "-window", "root", "/tmp/kw-bench-failed.png"], env=env)
        raise RuntimeError("the wizard did not close (screen in /tmp/kw-bench-failed.png)")
    xdo(env, "windowactivate", "--sync", win)
    # "Spiel" menu, "Schiffe zufällig platzieren" (two down from "Neu"), then
    # Enter to begin firing.
    key(env, "alt+s")
    key(env, "Down", "Down", "Return")
    key(env, "Return")
    # The computer may begin and keeps its turn while it hits, a second a
    # shot; then the game waits for the player's shot.
    time.sleep(25.0)
    return cpu_percent_over(pid, 10.0)


def click(env, window, x, y):
    xdo(env, "mousemove", "--window", window, str(x), str(y), "click", "1")
    time.sleep(0.3)


def games_rss(bench):
    out = subprocess.run([bench, "100"], capture_output=True, text=True,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return float(values["rss_mb_after_1"]), float(values["rss_mb_after_100"])


def ensure_display(display):
    env = dict(os.environ, DISPLAY=display)
    started = []
    if subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode != 0:
        started.append(subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: subprocess.run(["xdpyinfo"], env=env, capture_output=True).returncode == 0, 10.0, 0.1)
        started.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL))
        time.sleep(1.0)
    return env, started


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(here)
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--program", default=os.path.join(root, "build", "kielwanz"))
    ap.add_argument("--games-bench", default=os.path.join(root, "build", "bench", "bench_games"))
    ap.add_argument("--display", default=":73")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--no-game", action="store_true", help="skip the idle game")
    args = ap.parse_args()

    env, started = ensure_display(args.display)
    env.pop("QT_QPA_PLATFORM", None)
    try:
        runs = [one_run(args.program, env, not args.no_game) for _ in range(args.runs)]
    finally:
        for p in reversed(started):
            p.terminate()
            p.wait()
    for name in runs[0]:
        values = [r[name] for r in runs]
        print(f"{name}={statistics.median(values):.3f}  (runs: {', '.join(f'{v:.3f}' for v in values)})")
    if os.path.exists(args.games_bench):
        pairs = [games_rss(args.games_bench) for _ in range(args.runs)]
        first = statistics.median(p[0] for p in pairs)
        last = statistics.median(p[1] for p in pairs)
        growth = statistics.median(p[1] - p[0] for p in pairs)
        print(f"games_rss_mb_1={first:.1f}")
        print(f"games_rss_mb_100={last:.1f}")
        print(f"games_growth_mb={growth:.1f}")
    else:
        print("games: bench_games not built, skipped", file=sys.stderr)


if __name__ == "__main__":
    main()
