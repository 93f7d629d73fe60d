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
import json, os, pathlib, re, shutil, subprocess as sp, sys, tempfile, time

ID = "org.example.Quickpair"
ENTRY = pathlib.Path(__file__).parents[2].joinpath(f"data/{ID}.desktop.in").read_text()
# 30 山田太郎, -5 髙橋① (an IBM extension and an NEC special character) and -9 ｱﾘｽ～－ (half-width
# katakana, CP932's ～ and －): the round's 0 enters as row 2 and pushes -9 out.
TOP, NEC = b" 30 \r\n\x8eR\x93c\x91\xbe\x98Y\r\n", b"-5 \r\n\xfb\xfc\x8b\xb4\x87@\r\n"
SEEDED, EXPECTED = TOP + NEC + b"-9 \r\n\xb1\xd8\xbd\x81`\x81|\r\n", TOP + b" 0 \r\nBob\r\n" + NEC
# Every process this script starts, ended when it ends.
started = []
SELF = pathlib.Path(__file__).resolve()


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
    beside, data = pathlib.Path(program).parent, pathlib.Path(os.environ["HOME"], ".local/share/Quickpair")
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
    reader = screen_reader("on") is not None
    # Qt's own options reach Qt: X11's -name names the window's instance.
    game = start(program, "-name", "qp")
    check(main := wait(lambda: windows("Quickpair"), 60), "the window opens")
    main = main[0]
    named = re.search(r"^StartupWMClass=(.*)", ENTRY, re.M)[1]
    prop = sp.check_output(["xprop", "-id", main, "WM_CLASS"], text=True)
    check(prop.endswith(f' = "qp", "{named}"\n'), f"{prop.strip()}: instance qp, the entry's class {named}")
    if reader:
        check_reading(screen_reader("read", str(game.pid)))
    play_round(game, main, ini, (lambda begun, sent: check_time_read(game, begun, sent)) if reader else None)
    if installed:
        check(sorted(os.listdir(beside)) == files_beside, f"nothing written beside {program}")
    else:
        check(not data.exists(), f"nothing written in {data}")
    keys(main, "key", "alt+x")
    check(game.wait(60) == 0, f"Alt+X quits: {game.returncode}")


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
    check(not (data / "Quickpair").exists(), f"nothing written in {data}")
    keys(main[0], "key", "alt+x")
    check(game.wait(60) == 0, f"Alt+X quits: {game.returncode}")


def screen_reader(*args):
    # What a screen reader gets over AT-SPI, by atspi() in Debian's Python: its lines, each an object of
    # the game's windows; None, with the reason, where pyatspi or the bus is missing.
    run = sp.run(["/usr/bin/python3", SELF, "atspi", *args], capture_output=True, text=True, timeout=90)
    if run.returncode == 77:
        print(f"SKIPPED what a screen reader reads: {run.stdout.strip()} (scripts/setup --tests installs it)")
        return None
    answer = f"exit {run.returncode}, {run.stdout}{run.stderr}" if run.returncode else "it answers"
    check(run.returncode == 0, f"AT-SPI {' '.join(args)}: {answer}")
    return [json.loads(line) for line in run.stdout.splitlines()]


def check_reading(read):
    # As Orca reads them: a label as the names of the labels that label it, then its own name; a progress
    # bar and a menu item by their names.
    score = [" ".join(node["labels"] + [node["name"]]) for node in read if node["role"] == "label" and node["labels"]]
    check(score == ["得点 0"], f"the score, labelled by its caption, reads as {score}")
    bars = [node["name"] for node in read if node["role"] == "progress bar"]
    check(bars == ["経過時間"], f"the progress bar reads as {bars}")
    items = [node for node in read if node["role"] == "menu item"]
    names = [item["name"] for item in items]
    check(names == ["スタート(S)", "終了(X)", "バージョン情報"], f"the menu bar reads as {names}")
    check(items[2]["actions"] == items[1]["actions"] and items[2]["states"] == items[1]["states"],
          f"バージョン情報 is pressed and shown as 終了 is: {items[2]['actions']} {items[2]['states']}")


def check_time_read(game, begun, sent):
    # Some 10 s into the round, 経過時間 must read as the share of the 30 s gone by (time left would read
    # about 67 %): the round began between begun and sent, reading takes a while, and the bar moves on
    # the timer's ticks alone, late on a busy machine (1.5 s of slack).
    time.sleep(max(0.0, begun + 10 - time.monotonic()))
    before = time.monotonic()
    read = screen_reader("read", str(game.pid))
    low, high = (before - sent - 1.5) / 30 * 100, (time.monotonic() - begun) / 30 * 100
    shares = [node["value"] for node in read if node["role"] == "progress bar"]
    check(len(shares) == 1 and low <= shares[0] <= high, f"経過時間 reads {shares} %, between {low:.1f} and {high:.1f}")


def atspi(what, pid=None):
    # Run by Debian's Python, which has the D-Bus module and pyatspi. "on" tells the accessibility bus
    # that a screen reader runs, as one does when it starts (the session bus starts that bus, from
    # at-spi2-core, when first asked), and Qt then opens the game's windows to it. "read PID" prints
    # each object of that program's windows as JSON: its role, name, the names of the labels that
    # label it, its value as a percentage of its range, its actions and states. Exits 77 with the
    # reason where pyatspi or the bus is missing.
    try:
        import dbus, pyatspi
    except ImportError as error:
        print(f"needs python3-{error.name}")
        sys.exit(77)
    if what == "on":
        try:
            dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").Set(
                "org.a11y.Status", "ScreenReaderEnabled", True, dbus_interface="org.freedesktop.DBus.Properties")
        except dbus.DBusException as error:
            print(f"no AT-SPI bus ({error.get_dbus_name()}), needs at-spi2-core")
            sys.exit(77)
        return

    def tree(node):
        yield node
        for child in node:
            yield from tree(child)

    # The program joins the bus once its window exists.
    def program():
        return next((app for app in pyatspi.Registry.getDesktop(0) if app and app.get_process_id() == int(pid)
                     and app.childCount), None)

    if not (app := wait(program, 30)):
        print(f"no program {pid} on the AT-SPI bus")
        sys.exit(1)
    for node in tree(app):
        labels = [relation.getTarget(i).name for relation in node.getRelationSet()
                  if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(relation.getNTargets())]
        interfaces, value, actions = pyatspi.listInterfaces(node), None, None
        if "Value" in interfaces:
            bar = node.queryValue()
            value = 100 * (bar.currentValue - bar.minimumValue) / (bar.maximumValue - bar.minimumValue)
        if "Action" in interfaces:
            action = node.queryAction()
            actions = [action.getName(i) for i in range(action.nActions)]
        states = sorted(pyatspi.stateToString(state) for state in node.getState().getStates())
        print(json.dumps({"role": node.getRoleName(), "name": node.name, "labels": labels, "value": value,
                          "actions": actions, "states": states}))


def play_round(game, main, ini, during=None):
    height = int(re.search(rb"HEIGHT=(\d+)", sp.check_output(["xdotool", "getwindowgeometry", "--shell", main]))[1])
    check(height > 245 + 15, f"a menu bar in the window, {height} high")
    # Keys that score nothing: the round ends at 0, on the real clock, with the name box. Not before
    # 30 s; how long after depends on the machine (test_form1 holds the round to the clock's 30 s).
    begun = time.monotonic()
    keys(main, "key", "--delay", "100", "alt+s", "a", "space", "Return")
    if during:
        during(begun, time.monotonic())
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
