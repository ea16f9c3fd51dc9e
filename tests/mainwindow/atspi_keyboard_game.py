#!/usr/bin/python3
"""The program under Xvfb, played by xdotool keys alone and read back through the AT-SPI bus; 77: a tool
is missing (skipped). KW_TEST_DISPLAY names the X display to use, else Xvfb takes a free one."""
import os, shutil, subprocess, sys, tempfile, time

LAUNCHER = '/usr/libexec/at-spi-bus-launcher'
if os.environ.get('KW_ATSPI_SESSION') != '1':
    if any(shutil.which(t) is None for t in ('Xvfb', 'xdotool', 'dbus-run-session')) or not os.path.exists(LAUNCHER):
        sys.exit(77)
    os.environ['KW_ATSPI_SESSION'] = '1'
    sys.exit(subprocess.call(['dbus-run-session', '--', sys.executable, *sys.argv]))

procs, events = [], []
LOG = ''  # the program's messages
def start(*args, stderr=subprocess.DEVNULL, **kw):
    procs.append(subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=stderr, **kw))

def until(what, pred, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        GLib.MainContext.default().iteration(False)
        if pred():
            return
        time.sleep(0.02)
    program = open(LOG).read()[-1500:] if LOG and os.path.exists(LOG) else ''
    raise SystemExit(f'FAIL: {what}; the program said: {program!r}')

def nodes(o, role):
    out = [o] if o.getRole() == role else []
    if o.getRole() != pyatspi.ROLE_TABLE:
        for c in o:
            out += nodes(c, role) if c is not None else []
    return out

def app():
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.clear_cache()  # programs that came after the first look
    return next((a for a in desktop if a is not None and a.name == 'Kielwanz'), None)

def cells(name):
    t = next(t for t in nodes(app(), pyatspi.ROLE_TABLE) if t.name == name).queryTable()
    return [t.getAccessibleAt(r, c).name for r in range(t.nRows) for c in range(t.nColumns)]

def status():  # the main window's first label
    frame = next(f for f in nodes(app(), pyatspi.ROLE_FRAME) if f.name == 'Kielwanz')
    return nodes(frame, pyatspi.ROLE_LABEL)[0].name

def keys(*names):
    subprocess.run(['xdotool', 'key', '--delay', '80', *names], check=True)

def heard(kind, text):
    until(f'{kind} event for {text!r}', lambda: any(e[0].startswith(kind) and e[1].startswith(text) for e in events))

try:
    display = os.environ.get('KW_TEST_DISPLAY')
    if not display:
        r, w = os.pipe()
        # No reset when the last client leaves (the bus launcher, after it set
        # its property): a program connecting during the reset was refused.
        start('Xvfb', '-displayfd', str(w), '-noreset', '-screen', '0', '1280x1024x24', pass_fds=(w,))
        display = ':' + os.read(r, 16).decode().strip()
    os.environ['DISPLAY'] = display
    # The launcher puts the new bus's address on the display, where an earlier
    # session's may still stand: the bus is asked for only once it is up.
    start(LAUNCHER, '--launch-immediately')
    subprocess.run(['gdbus', 'wait', '--session', '--timeout', '15', 'org.a11y.Bus'], check=True)
    try:
        import pyatspi
        from gi.repository import GLib
    except ImportError:
        sys.exit(77)
    home = tempfile.mkdtemp()
    LOG = os.path.join(home, 'messages')
    start(sys.argv[1], stderr=open(LOG, 'w'),
          env=dict(os.environ, HOME=home, QT_QPA_PLATFORM='xcb', QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1'))
    pyatspi.Registry.registerEventListener(lambda e: events.append((e.type, e.source.name)), 'focus:',
                                           'object:property-change:accessible-name')
    until('the program on the bus', lambda: app() and nodes(app(), pyatspi.ROLE_DIALOG))
    # The update wizard of the first start; without a window manager nobody focuses it.
    subprocess.run(['xdotool', 'search', '--sync', '--name', 'Updates installieren', 'windowfocus', '--sync'])
    keys('Escape')
    until('the title', lambda: status().startswith('Beginnen Sie'))
    keys('ctrl+n')
    until('the wizard', lambda: any(d.name == 'Neues Spiel' and d.getState().contains(pyatspi.STATE_ACTIVE)
                                    for d in nodes(app(), pyatspi.ROLE_DIALOG)))
    keys('Down', 'Down', 'space', 'Return', 'A', 'n', 'n', 'a', 'Return')
    until('placing', lambda: status().startswith('Anna, klicken Sie'))
    assert [len(cells(n)) for n in ('Spielfeld', 'Kontrollfeld')] == [100, 100], 'two tables of 100 cells'
    keys('Right', 'Down')
    heard('focus', 'B2, Wasser')
    keys('space')
    heard('object:property-change', 'B2, Schiff')
    keys('alt+s', 'Down', 'Down', 'Return')
    until('a fleet', lambda: sum(', Schiff' in c for c in cells('Spielfeld')) == 20)
    keys('Return')
    until("Anna's turn", lambda: status().startswith('Sie sind an der Reihe'), 30)
    heard('focus', 'A1, unbekannt')
    assert all(c.endswith(', unbekannt') for c in cells('Kontrollfeld')), 'the computer\'s fleet shows'
    keys('Right', 'space')
    heard('object:property-change', 'A2, ')
    shot = cells('Kontrollfeld')[1]
    assert shot.split(', ', 1)[1] in ('Fehlschuss', 'Treffer', 'Schiff versenkt'), shot
    heard('object:property-change', 'Anna: bisher 1 Versuch')
    print('keyboard game through the AT-SPI bus: OK;', shot, '|', status())
finally:
    for p in reversed(procs):  # the bus launcher removes its socket as it ends
        p.terminate()
        p.wait(10)
