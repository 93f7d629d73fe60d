# What the end-to-end scripts (and bench/run) share: an X server of their own, a skip where a
# tool is missing, checks, polling and the pixels of a screenshot.
import os, random, shutil, subprocess, sys, time


def need(*tools):
    # Exits 77, CTest's "skipped", naming what is missing.
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


def digit_heights(shot, x, y):
    # How many rows of each digit's label hold yellow, the height of its glyph, for the main
    # window's client area at x, y of the screenshot.
    yellow = lambda rgb: rgb[0] > 200 and rgb[1] > 200 and rgb[2] < 80
    return [sum(any(yellow(pixel(shot, c, r)) for c in range(x + left, x + left + 97))
                for r in range(y + 32, y + 32 + height)) for left, height in ((24, 145), (152, 153))]


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
