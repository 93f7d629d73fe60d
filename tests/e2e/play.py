#!/usr/bin/env python3
# The real game on a window system of its own, as a player sees it:
#     play.py x11 path/to/quickpair      on Xvfb, played through xdotool
#     play.py wayland path/to/quickpair  as a native Wayland client of a headless weston
# On X11: a copy of the program in a fresh folder, beside a ranking file with CP932 names, with a
# global menu's registrar on a private session bus; the window's class, named by the desktop entry;
# the main window's size, menu bar and big digits; the version window from "?", closed with Enter;
# a round without a scoring key, whose score of 0 enters the ranking at a known row; a name; Enter
# on Back; the ranking file byte for byte; Alt+X. On Wayland: the app id, the desktop entry's
# name; the black client area with both digits, and the game still running. Skipped (77) where a
# tool is missing. bench/run borrows start_xvfb.
import os, random, re, shutil, socket, struct, subprocess, sys, tempfile, threading, time

ENTRY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../data/org.example.Quickpair.desktop.in")

# 30 山田太郎, -5 髙橋① (an IBM extension and an NEC special character) and -9 in half-width
# katakana with CP932's ～ and －: the round's 0 enters as row 2 and pushes -9 out.
ROW_30, ROW_MINUS_5 = b" 30 \r\n%s\r\n" % bytes.fromhex("8e52936391be9859"), b"-5 \r\n%s\r\n" % bytes.fromhex("fbfc8bb48740")
SEEDED = ROW_30 + ROW_MINUS_5 + b"-9 \r\n%s\r\n" % bytes.fromhex("b1d8bd8160817c")
EXPECTED = ROW_30 + b" 0 \r\nBob\r\n" + ROW_MINUS_5


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


def image(path):
    # (width, RGB bytes) of an image file, read with ImageMagick's identify and stream: the
    # convert on PATH may not be ImageMagick's.
    read = lambda *command: subprocess.run(command, capture_output=True, check=True).stdout
    return int(read("identify", "-format", "%w", path)), read("stream", "-map", "rgb", "-storage-type", "char", path, "-")


def pixel(shot, x, y):
    return tuple(shot[1][3 * (y * shot[0] + x):3 * (y * shot[0] + x) + 3])


def digits_shown(shot, x, y):
    # Whether both digits' labels, in the client area at x, y, hold a yellow glyph over 100 rows tall.
    yellow = lambda rgb: rgb[0] > 200 and rgb[1] > 200 and rgb[2] < 80
    return all(sum(any(yellow(pixel(shot, c, r)) for c in range(x + left, x + left + 97)) for r in range(y + 32, y + 32 + height)) > 100
               for left, height in ((24, 145), (152, 153)))


def start_xvfb():
    # Starts Xvfb on a free display; returns (process, display). A random display well above
    # those that xvfb-run and other test servers use: scanning from :0, as -displayfd does,
    # would race with any other X server that starts at the same moment. No reset when the
    # last client leaves: a program started during a reset could not connect.
    for display in (f":{random.randint(200, 899)}" for _ in range(20)):
        if not os.path.exists(f"/tmp/.X{display[1:]}-lock"):
            server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if wait(lambda: server.poll() is not None or subprocess.run(["xdotool", "getdisplaygeometry"], env={
                    **os.environ, "DISPLAY": display}, capture_output=True).returncode == 0, 10) and server.poll() is None:
                return server, display
            server.kill()
            server.wait()
    sys.exit("Xvfb did not start")


def registrar(path):
    # Takes the name of a global menu's registrar (com.canonical.AppMenu.Registrar, run by Plasma and Unity)
    # on the bus at path, in raw D-Bus, and hangs up at the first call to it: a program that hands its
    # menu bar over to the registrar gets an error at once rather than after Qt's 25 s wait.
    def call(serial, member, signature=b"", body=b""):
        head = b""  # the header fields, little-endian, each at a multiple of 8 bytes
        for code, kind, value in ((1, b"o", b"/org/freedesktop/DBus"), (2, b"s", b"org.freedesktop.DBus"),
                                  (6, b"s", b"org.freedesktop.DBus"), (3, b"s", member), (8, b"g", signature)):
            size = struct.pack("<B" if kind == b"g" else "<I", len(value))
            head += b"\0" * (-len(head) % 8) + bytes([code, 1]) + kind + b"\0" + size + value + b"\0"
        return b"l\1\0\1" + struct.pack("<III", len(body), serial, len(head)) + head + b"\0" * (-len(head) % 8) + body
    name, sock = b"com.canonical.AppMenu.Registrar", socket.socket(socket.AF_UNIX)
    sock.connect(path)
    sock.sendall(b"\0AUTH EXTERNAL %s\r\nBEGIN\r\n" % str(os.getuid()).encode().hex().encode() + call(1, b"Hello")
                 + call(2, b"RequestName", b"su", struct.pack("<I", len(name)) + name + b"\0\4\0\0\0"))
    def hang_up(data=b""):
        while (chunk := sock.recv(65536)) and b"RegisterWindow" not in (data := data + chunk):
            pass
        sock.close()
    threading.Thread(target=hang_up, daemon=True).start()


def x11(program, folder):
    windows = lambda title: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                           capture_output=True, text=True).stdout.split()
    xdotool = lambda window, *command: subprocess.run(["xdotool", "windowfocus", "--sync", window, *command], check=True)
    need("Xvfb", "xdotool", "xwininfo", "xprop", "import", "identify", "stream", "dbus-daemon")
    with open(os.path.join(folder, "quip.ini"), "wb") as file:
        file.write(SEEDED)
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", f"--address=unix:path={folder}/bus"],
                           stderr=subprocess.DEVNULL)
    server, os.environ["DISPLAY"] = start_xvfb()
    game = None
    try:
        check(wait(lambda: os.path.exists(folder + "/bus"), 10), "a private session bus starts")
        registrar(folder + "/bus")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={folder}/bus"
        game = subprocess.Popen([program], cwd=folder, env=os.environ | {"QT_QPA_PLATFORM": "xcb"})
        check(main := wait(lambda: windows("Quickpair"), 20), "the main window Quickpair opens")
        main = main[0]
        wm_class = re.findall(r'"([^"]*)"', subprocess.run(["xprop", "-id", main, "WM_CLASS"], capture_output=True,
                                                             text=True).stdout)
        with open(ENTRY) as entry:
            named = re.findall(r"^StartupWMClass=(.*)$", entry.read(), re.M)
        check(named and wm_class[-1:] == named, f"the window's class {wm_class} is the entry's StartupWMClass {named}")
        info = subprocess.run(["xwininfo", "-id", main], capture_output=True, text=True, check=True).stdout
        x, y, width, height = map(int, re.findall(r"(?:Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info))
        # Painted once the client area, below the menu bar in the same X window, is black.
        def painted():
            subprocess.run(["import", "-window", "root", folder + "/shot.png"], check=True)
            shot = image(folder + "/shot.png")
            return pixel(shot, x + 2, y + height - 2) == (0, 0, 0) and shot
        check(shot := wait(painted, 15), "the main window is painted")
        top = next(r for r in range(y, y + height) if pixel(shot, x + 2, r) == (0, 0, 0))
        check((width, y + height - top) == (394, 245) and top - y > 15,
              f"client area {width} x {y + height - top} below a menu bar {top - y} high")
        check(digits_shown(shot, x, top), "both digits show a big yellow ?")

        # "?" is the menu bar's rightmost item: click its rightmost dark pixel.
        column = max(c for c in range(x, x + width) for r in range(y + 2, top - 2) if sum(pixel(shot, c, r)) < 250)
        subprocess.run(["xdotool", "mousemove", "--sync", str(column), str((y + top) // 2), "click", "1"], check=True)
        check(version := wait(lambda: windows("バージョン情報"), 10), "? opens the version window バージョン情報")
        xdotool(version[0], "key", "Return")
        check(wait(lambda: not windows("バージョン情報"), 10), "Enter closes the version window")

        # Keys that score nothing: the round ends at 0, on the real clock, with the name box.
        started = time.monotonic()
        xdotool(main, "key", "--delay", "100", "alt+s", "a", "space", "Return")
        box = wait(lambda: [w for w in windows("Quickpair") if w != main], 45)
        elapsed = time.monotonic() - started
        check(box and 29.5 < elapsed < 35 and game.poll() is None, f"the name box comes after {elapsed:.1f} s")
        xdotool(box[0], "type", "--delay", "50", "Bob")
        xdotool(box[0], "key", "Return")
        check(ranking := wait(lambda: windows("ランキング"), 10), "the ranking window ランキング opens")
        xdotool(ranking[0], "key", "Return")
        check(wait(lambda: not windows("ランキング"), 10), "Enter on 戻る closes the ranking window")
        with open(os.path.join(folder, "quip.ini"), "rb") as file:
            check((saved := file.read()) == EXPECTED, f"quip.ini keeps the CP932 rows byte for byte: {saved!r}")
        xdotool(main, "key", "alt+x")
        check(game.wait(10) == 0, f"Alt+X ends the program with exit code {game.returncode}")
    finally:
        for process in (game, server, bus):
            if process:
                process.kill()
                process.wait()


def wayland(program, folder):
    # weston draws with pixman into memory; weston-screenshooter (offered with --debug) saves
    # what it shows. No DISPLAY: no X server to fall back to.
    need("weston", "weston-screenshooter", "identify", "stream")
    os.mkdir(runtime := folder + "/runtime", 0o700)
    env = {key: value for key, value in os.environ.items() if key != "DISPLAY"} | {
        "XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": "quickpair-e2e", "QT_QPA_PLATFORM": "wayland"}

    def shown():
        # The client area's top-left corner, once a screenshot shows a run of exactly 394 black
        # pixels (the first, from the top) with both digits below it.
        shots = tempfile.mkdtemp(dir=folder)  # a folder for this screenshot alone
        subprocess.run(["weston-screenshooter"], env=env, cwd=shots, capture_output=True, timeout=10)
        shot = os.listdir(shots) and image(os.path.join(shots, os.listdir(shots)[0]))
        start = shot and shot[1].find(b"\0" * 3 * 394)
        corner = start and start > 0 and start % 3 == 0 and (start // 3 % shot[0], start // 3 // shot[0])
        return corner and pixel(shot, corner[0] + 394, corner[1]) != (0, 0, 0) and digits_shown(shot, *corner) and corner

    processes = [subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config",
                                   "--socket=quickpair-e2e", "--width=1024", "--height=768"], env=env)]
    try:
        check(wait(lambda: os.path.exists(runtime + "/quickpair-e2e"), 10), "weston starts")
        with open(folder + "/protocol.log", "w+") as log:  # the Wayland requests the game sends
            processes.append(game := subprocess.Popen([program], cwd=folder, env=env | {"WAYLAND_DEBUG": "client"},
                                                      stderr=log))
            corner = wait(lambda: game.poll() is not None or shown(), 20)
            ids, entry = set(re.findall(r'set_app_id\("([^"]*)"', open(log.name).read())), os.path.basename(ENTRY)
        check(ids == {entry.removesuffix(".desktop.in")}, f"the app id {ids} names the desktop entry {entry}")
        check(corner and game.poll() is None, f"a black client area 394 wide at {corner} shows both yellow ? (exit code {game.poll()})")
        time.sleep(0.5)
        check(game.poll() is None, f"the game still runs 0.5 s later (exit code {game.poll()})")
    finally:
        for process in processes:
            process.terminate()
            process.wait()


if __name__ == "__main__":
    # The program keeps its ranking file beside itself; the player's own folders stay untouched.
    with tempfile.TemporaryDirectory() as folder:
        os.environ["HOME"] = folder
        {"x11": x11, "wayland": wayland}[sys.argv[1]](shutil.copy(os.path.abspath(sys.argv[2]), folder), folder)
