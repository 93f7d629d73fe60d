#!/usr/bin/env python3
# The real game on a window system of its own, as a player meets it:
#     play.py x11 path/to/quickpair      one round on X11 (Xvfb), played through xdotool
#     play.py wayland path/to/quickpair  a look at it as a native Wayland client of a headless weston
# On X11 (under xvfb-run and dbus-run-session) the program lies in a fresh folder beside a ranking
# file with CP932 names, with a global menu's registrar on the session bus; its menu bar stays in
# the window and its class is the desktop entry's. A round on the real clock ends at 0 with the name
# box, the name is typed, 戻る saves the file byte for byte, and Alt+X quits. On Wayland the window
# is drawn and carries the entry's id. Skipped (77) where a tool is missing.
import os, re, shutil, subprocess, sys, tempfile, time

ENTRY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../data/org.example.Quickpair.desktop.in")

# 30 山田太郎, -5 髙橋① (an IBM extension and an NEC special character) and -9 in half-width
# katakana with CP932's ～ and －: the round's 0 enters as row 2 and pushes -9 out.
ROW_30, ROW_MINUS_5 = b" 30 \r\n\x8e\x52\x93\x63\x91\xbe\x98\x59\r\n", b"-5 \r\n\xfb\xfc\x8b\xb4\x87\x40\r\n"
SEEDED = ROW_30 + ROW_MINUS_5 + b"-9 \r\n\xb1\xd8\xbd\x81\x60\x81\x7c\r\n"
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


def x11(program, folder):
    windows = lambda title: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                           capture_output=True, text=True).stdout.split()
    xdotool = lambda window, *keys: subprocess.run(["xdotool", "windowfocus", "--sync", window, *keys], check=True)
    need("xdotool", "xwininfo", "xprop")
    with open(os.path.join(folder, "quip.ini"), "wb") as file:
        file.write(SEEDED)
    # Where a registrar of global menus owns its name (Plasma, Unity), Qt would move the menu out
    # of the window. This one, in Debian's Python with its D-Bus module, never answers.
    owner = "import dbus, time; b = dbus.SessionBus(); b.request_name('com.canonical.AppMenu.Registrar'); print(1)"
    processes = [registrar := subprocess.Popen(["/usr/bin/python3", "-c", owner + "; time.sleep(99)"],
                                               stdout=subprocess.PIPE, env=os.environ | {"PYTHONUNBUFFERED": "1"})]
    try:
        check(registrar.stdout.readline() == b"1\n", "a registrar takes its name")
        processes.append(game := subprocess.Popen([program], cwd=folder, env=os.environ | {"QT_QPA_PLATFORM": "xcb"}))
        check(main := wait(lambda: windows("Quickpair"), 20), "the window opens")
        main = main[0]
        prop = subprocess.run(["xprop", "-id", main, "WM_CLASS"], capture_output=True, text=True).stdout
        named = re.findall(r"^StartupWMClass=(.*)$", open(ENTRY).read(), re.M)
        check(named and re.findall(r'"([^"]*)"', prop)[-1:] == named, f"{prop} is {named}")
        height = int(re.search(r"Height: (\d+)", subprocess.run(["xwininfo", "-id", main], capture_output=True,
                                                                  text=True).stdout)[1])
        check(height > 245 + 15, f"a menu bar in the window, {height} high")

        # Keys that score nothing: the round ends at 0, on the real clock, with the name box.
        started = time.monotonic()
        xdotool(main, "key", "--delay", "100", "alt+s", "a", "space", "Return")
        box = wait(lambda: [w for w in windows("Quickpair") if w != main], 45)
        elapsed = time.monotonic() - started
        check(box and 29.5 < elapsed < 35 and game.poll() is None, f"the name box after {elapsed:.1f} s")
        xdotool(box[0], "type", "--delay", "50", "Bob")
        xdotool(box[0], "key", "Return")
        check(ranking := wait(lambda: windows("ランキング"), 10), "the ranking opens")
        xdotool(ranking[0], "key", "Return")
        check(wait(lambda: not windows("ランキング"), 10), "戻る closes it")
        with open(os.path.join(folder, "quip.ini"), "rb") as file:
            check((saved := file.read()) == EXPECTED, f"quip.ini holds {saved!r}")
        xdotool(main, "key", "alt+x")
        check(game.wait(10) == 0, f"Alt+X quits: {game.returncode}")
    finally:
        for process in processes:
            process.kill()
            process.wait()


def wayland(program, folder):
    # weston draws with pixman into memory; weston-screenshooter (offered with --debug) saves
    # what it shows. No DISPLAY: no X server to fall back to.
    need("weston", "weston-screenshooter", "stream")
    os.mkdir(runtime := folder + "/runtime", 0o700)
    env = {key: value for key, value in os.environ.items() if key != "DISPLAY"} | {
        "XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": "quickpair-e2e", "QT_QPA_PLATFORM": "wayland"}

    def drawn():
        # Whether a screenshot shows a run of exactly 394 black pixels: the client area's top row.
        shots = tempfile.mkdtemp(dir=folder)  # a folder for this screenshot alone
        subprocess.run(["weston-screenshooter"], env=env, cwd=shots, capture_output=True, timeout=10)
        for name in os.listdir(shots):
            rgb = subprocess.run(["stream", "-map", "rgb", "-storage-type", "char", os.path.join(shots, name), "-"],
                                 capture_output=True, check=True).stdout
            return (start := rgb.find(b"\0" * 3 * 394)) > 0 and rgb[start + 3 * 394:start + 3 * 395] != b"\0\0\0"

    processes = [subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config",
                                   "--socket=quickpair-e2e", "--width=1024", "--height=768"], env=env)]
    try:
        check(wait(lambda: os.path.exists(runtime + "/quickpair-e2e"), 10), "weston starts")
        with open(folder + "/protocol.log", "w+") as log:  # the Wayland requests the game sends
            processes.append(game := subprocess.Popen([program], cwd=folder, env=env | {"WAYLAND_DEBUG": "client"},
                                                      stderr=log))
            check(wait(lambda: game.poll() is not None or drawn(), 20) and game.poll() is None,
                  f"the window is drawn: {game.poll()}")
            ids, entry = set(re.findall(r'set_app_id\("([^"]*)"', open(log.name).read())), os.path.basename(ENTRY)
        check(ids == {entry.removesuffix(".desktop.in")}, f"app id {ids}")
    finally:
        for process in processes:
            process.terminate()
            process.wait()


if __name__ == "__main__":
    # The program keeps its ranking file beside itself; the player's own folders stay untouched.
    with tempfile.TemporaryDirectory() as folder:
        os.environ["HOME"] = folder
        {"x11": x11, "wayland": wayland}[sys.argv[1]](shutil.copy(os.path.abspath(sys.argv[2]), folder), folder)
