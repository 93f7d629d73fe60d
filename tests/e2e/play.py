#!/usr/bin/env python3
# The real game on a window system of its own, as a player meets it:
#     play.py x11 path/to/quickpair      one round on X11 (Xvfb), played through xdotool
#     play.py x11 /usr/games/quickpair --installed   the same round, played where the package put it
#     play.py wayland path/to/quickpair  a look at it as a native Wayland client of a headless weston
#     play.py wine path/to/quickpair.exe the X11 round, played with the Windows program under Wine
# On X11 (under xvfb-run and dbus-run-session) the program lies in a fresh folder beside a ranking
# file with CP932 names (installed, it keeps that file in the player's data folder instead), with
# a global menu's registrar on the session bus, and is given Qt's own -name; its menu bar stays in
# the window and its class is the desktop entry's. A round on the real clock ends at 0 with the
# name box, the name is typed, 戻る saves the file byte for byte, and Alt+X quits. A screen reader
# runs too: over AT-SPI the score reads as 得点 0, the progress bar as the round's time gone by, and
# the "?" item as the version window it opens (skipped, saying so, without pyatspi or the AT-SPI bus).
# On Wayland the window is drawn and carries the entry's id. Skipped (77) where a tool is missing.
# The game's app id and name come from the build (CTest sets QUICKPAIR_APP_ID and QUICKPAIR_APP_NAME);
# an installed game's from the desktop entry its install laid down.
import os, pathlib, re, shutil, subprocess as sp, sys, tempfile, time
# 30 山田太郎, -5 髙橋① (an IBM extension and an NEC special character) and -9 ｱﾘｽ～－ (half-width
# katakana, CP932's ～ and －): the round's 0 enters as row 2 and pushes -9 out.
TOP, NEC = b" 30 \r\n\x8eR\x93c\x91\xbe\x98Y\r\n", b"-5 \r\n\xfb\xfc\x8b\xb4\x87@\r\n"
SEEDED, EXPECTED = TOP + NEC + b"-9 \r\n\xb1\xd8\xbd\x81`\x81|\r\n", TOP + b" 0 \r\nBob\r\n" + NEC
# Every process this script starts, ended when it ends.
started = []


def start(*command, **options):
    started.append(process := sp.Popen(command, **options))
    return process


def need(*tools):
    if missing := [tool for tool in tools if not shutil.which(tool)]:
        print(f"SKIPPED: needs {', '.join(missing)} (scripts/setup --tests installs it)")
        sys.exit(77)


def check(ok, message):
    print(("ok      " if ok else "FAILED  ") + message, flush=True)
    if not ok:
        sys.exit(1)


def wait(condition, timeout):
    # Polls condition() until it gives something true and returns that; None on timeout.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if value := condition():
            return value
        time.sleep(0.1)


def windows(title):
    return sp.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], capture_output=True).stdout.split()


def keys(window, *keys):
    sp.run(["xdotool", "windowfocus", "--sync", window, *keys], check=True)


def x11(program, installed):
    need("xdotool", "xprop")
    os.environ["QT_QPA_PLATFORM"] = "xcb"
    # A portable copy keeps its ranking beside itself, an installed one in the player's data folder;
    # neither writes in the other place.
    beside, data = pathlib.Path(program).parent, pathlib.Path(os.environ["HOME"], ".local/share", NAME)
    ini = data / "quip.ini" if installed else beside / "quip.ini"
    ini.parent.mkdir(parents=True, exist_ok=True)
    ini.write_bytes(SEEDED)
    files_beside = sorted(os.listdir(beside))
    # Where a registrar of global menus owns its name (Plasma, Unity), Qt would move the menu out
    # of the window. This one, in Debian's Python with its D-Bus module, never answers.
    # It prints what the bus answers: 1 when the name is its own.
    registrar = start("/usr/bin/python3", "-c", "import dbus, time; print(dbus.SessionBus().request_name("
                      "'com.canonical.AppMenu.Registrar'), flush=True); time.sleep(99)", stdout=sp.PIPE)
    check((answer := registrar.stdout.readline()) == b"1\n", f"a registrar takes its name: {answer}")
    # A screen reader starts before the game, as it does on a player's desktop.
    reader = screen_reader() is not None
    # Qt's own options reach Qt: X11's -name names the window's instance.
    game = start(program, "-name", "qp")
    check(main := wait(lambda: windows("Quickpair"), 60), "the window opens")
    main = main[0]
    prop = sp.check_output(["xprop", "-id", main, "WM_CLASS"], text=True)
    check(prop.endswith(f' = "qp", "{NAME}"\n'), f"{prop.strip()}: instance qp, the entry's class {NAME}")
    # As Orca reads them: a label after the labels that label it, a progress bar and a menu item by name.
    if reader:
        read = screen_reader(game.pid)
        for line in ("label: 得点 0", "progress bar: 経過時間",
                     "menu bar: スタート(S) 終了(X) バージョン情報"):
            check(line in read, f"a screen reader reads {line}" + ("" if line in read else f", not in {read}"))
    play_round(game, main, ini)
    if installed:
        check(sorted(os.listdir(beside)) == files_beside, f"nothing written beside {program}")
    else:
        check(not data.exists(), f"nothing written in {data}")


def wine(program, installed):
    # The Windows program under Wine, in a Wine prefix of the run's own, which scripts/wine-run
    # makes before the program starts. Wine's windows are X11 windows, undecorated without a
    # window manager.
    need("xdotool", "wine")
    os.environ["WINEPREFIX"] = os.path.abspath("wine")
    run = pathlib.Path(__file__).parents[2] / "scripts/wine-run"
    sp.run([run, "cmd", "/c", "exit"], check=True, timeout=240)
    ini = pathlib.Path(program).parent / "quip.ini"
    ini.write_bytes(SEEDED)
    game = start(run, program)
    check(main := wait(lambda: windows("Quickpair"), 60), "the window opens")
    play_round(game, main[0], ini)
    data = next(pathlib.Path("wine/drive_c/users").glob("*/AppData/Roaming"))
    check(not (data / NAME).exists(), f"nothing written in {data}")


def screen_reader(pid=None):
    # What a screen reader reads of the game's windows, by atspi() in Debian's Python, which has pyatspi;
    # without pid, says that a screen reader runs. None, saying why, where pyatspi or the bus is missing.
    run = sp.run(["/usr/bin/python3", __file__, "atspi", *([str(pid)] if pid else [])], capture_output=True,
                 text=True, timeout=90)
    if run.returncode == 77:
        return print(f"SKIPPED what a screen reader reads: {run.stdout.strip()} (scripts/setup --tests installs it)")
    check(run.returncode == 0, f"AT-SPI answers: {run.returncode} {run.stderr}")
    return run.stdout.splitlines()


def identity(program, installed):
    # The build's, from CTest; an installed game's from the desktop entry that starts it.
    if not installed:
        return os.environ["QUICKPAIR_APP_ID"], os.environ["QUICKPAIR_APP_NAME"]
    entry = next(entry for entry in pathlib.Path(program).parents[1].glob("share/applications/*.desktop")
                 if f"\nExec={program}\n" in entry.read_text())
    return entry.stem, re.search(r"^StartupWMClass=(.*)", entry.read_text(), re.M)[1]


def atspi(pid=None):
    # Without pid, tells the accessibility bus that a screen reader runs, as one does when it starts:
    # Qt then opens the game's windows to it. With the game's pid, prints each object of its windows as
    # its role and the names it is read by, a menu bar's items on the bar's line.
    try:
        import dbus, pyatspi
        bus = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus")
        bus.Set("org.a11y.Status", "ScreenReaderEnabled", True, dbus_interface="org.freedesktop.DBus.Properties")
    except ImportError as error:
        sys.exit(print(f"needs python3-{error.name}") or 77)
    except dbus.DBusException as error:
        sys.exit(print(f"no AT-SPI bus ({error.get_dbus_name()}), needs at-spi2-core") or 77)
    # The game joins the bus once its window exists.
    app = pid and wait(lambda: next((app for app in pyatspi.Registry.getDesktop(0)
                                     if app and app.get_process_id() == int(pid) and app.childCount), None), 30)
    for node in pyatspi.findAllDescendants(app, lambda node: True) if app else []:
        labels = [relation.getTarget(0).name for relation in node.getRelationSet()
                  if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        items = [child.name for child in node if child.getRoleName() == "menu item"]
        print(f"{node.getRoleName()}: {' '.join(filter(None, labels + [node.name] + items))}")
    sys.exit(0 if app or not pid else print(f"no program {pid} on the AT-SPI bus") or 1)


def play_round(game, main, ini):
    height = int(re.search(rb"HEIGHT=(\d+)", sp.check_output(["xdotool", "getwindowgeometry", "--shell", main]))[1])
    check(height > 245 + 15, f"a menu bar in the window, {height} high")
    # Keys that score nothing: the round ends at 0, on the real clock, with the name box. Not before
    # 30 s; how long after depends on the machine (test_form1 holds the round to the clock's 30 s).
    begun = time.monotonic()
    keys(main, "key", "--delay", "100", "alt+s", "a", "space", "Return")
    box = wait(lambda: [w for w in windows("Quickpair") if w != main], 120)
    elapsed = time.monotonic() - begun
    check(box and elapsed > 29.5 and game.poll() is None, f"the name box after {elapsed:.1f} s")
    keys(box[0], "type", "--delay", "50", "Bob")
    keys(box[0], "key", "Return")
    check(ranking := wait(lambda: windows("ランキング"), 60), "the ranking opens")
    keys(ranking[0], "key", "Return")
    check(wait(lambda: not windows("ランキング"), 60), "戻る closes it")
    # The file as it stands once it holds the round, or at the ceiling.
    wait(lambda: ini.read_bytes() == EXPECTED, 60)
    check((saved := ini.read_bytes()) == EXPECTED, f"{ini} holds {saved!r}")
    keys(main, "key", "alt+x")
    check(game.wait(60) == 0, f"Alt+X quits: {game.returncode}")


def wayland(program, installed):
    # weston draws with pixman into memory; weston-screenshooter (offered with --debug) saves
    # what it shows. No DISPLAY: no X server to fall back to.
    need("weston", "weston-screenshooter", "stream")
    # The run's folder (mode 700) serves as the session's runtime folder.
    os.environ.pop("DISPLAY", None)
    os.environ.update(XDG_RUNTIME_DIR=os.getcwd(), WAYLAND_DISPLAY="quickpair-e2e", QT_QPA_PLATFORM="wayland")

    def drawn():
        # Whether a screenshot shows a run of exactly 394 black pixels (3 bytes each): the client
        # area's top row. Each screenshot goes to a folder of its own.
        shots = tempfile.mkdtemp(dir=".")
        sp.run(["weston-screenshooter"], cwd=shots, capture_output=True, timeout=60)
        for name in os.listdir(shots):
            rgb = sp.check_output(["stream", "-map", "rgb", "-storage-type", "char", f"{shots}/{name}", "-"])
            return re.search(rb"[^\0]\0{1182}(?!\0\0\0)", rgb)

    start("weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config", "--socket=quickpair-e2e")
    check(wait(lambda: os.path.exists("quickpair-e2e"), 60), "weston starts")
    # The Wayland requests the game sends go to a file: they would fill a pipe no one reads.
    log = pathlib.Path("protocol.log")
    game = start(program, env=os.environ | {"WAYLAND_DEBUG": "client"}, stderr=log.open("w"))
    check(wait(lambda: game.poll() is not None or drawn(), 60) and game.poll() is None,
          f"the window is drawn: {game.poll()}")
    ids = set(re.findall(r'set_app_id\("([^"]*)"', log.read_text()))
    check(ids == {ID}, f"app id {ids} is {ID}")


if __name__ == "__main__" and sys.argv[1] == "atspi":
    atspi(*sys.argv[2:])
elif __name__ == "__main__":
    # A build's program is copied into the run's folder, a portable copy; --installed plays it where
    # it lies. All the files of a run lie in its folder, which is HOME too: the player's own folders
    # stay untouched.
    installed = sys.argv[3:] == ["--installed"]
    ID, NAME = identity(sys.argv[2], installed)
    with tempfile.TemporaryDirectory() as folder:
        program = sys.argv[2] if installed else shutil.copy(sys.argv[2], folder)
        os.chdir(folder)
        os.environ["HOME"] = folder
        os.environ.pop("XDG_DATA_HOME", None)
        try:
            {"x11": x11, "wayland": wayland, "wine": wine}[sys.argv[1]](program, installed)
        finally:
            for process in started:
                process.kill()
                process.wait()
