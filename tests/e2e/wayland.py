#!/usr/bin/env python3
"""Starts the real game as a native Wayland client of a headless weston and looks at it.

    wayland.py path/to/quickpair

weston draws with pixman into memory; weston-screenshooter (which weston offers with --debug)
saves what it shows. The check: a black client area of the game's size, the yellow "?" of
both digits on it, and the program still running. Exits with 77 (skipped) when weston, its
screenshooter or ImageMagick is missing. With QUICKPAIR_E2E_KEEP=FOLDER the last screenshot
is kept in FOLDER.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
OUTPUT = (1024, 768)
CLIENT_WIDTH, CLIENT_HEIGHT = 394, 245
# The digits' labels in the client area: x, y, width, height.
LEFT_DIGIT = (24, 32, 97, 145)
RIGHT_DIGIT = (152, 32, 97, 145)


class Screenshot:
    def __init__(self, path):
        self.width, self.height = map(int, subprocess.run(["identify", "-format", "%w %h", path], check=True,
                                                          capture_output=True, text=True).stdout.split())
        self.pixels = subprocess.run(["stream", "-map", "rgb", "-storage-type", "char", path, "-"], check=True,
                                     capture_output=True).stdout

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.pixels[offset:offset + 3])

    def client_area(self):
        """Top-left corner of the topmost row that is black for exactly the client's width, or None."""
        for y in range(self.height):
            run_start = None
            for x in range(self.width + 1):
                black = x < self.width and self.pixel(x, y) == (0, 0, 0)
                if black and run_start is None:
                    run_start = x
                elif not black and run_start is not None:
                    if x - run_start == CLIENT_WIDTH:
                        return run_start, y
                    run_start = None
        return None

    def count(self, origin, area, predicate):
        x, y, width, height = area
        return sum(1 for row in range(origin[1] + y, origin[1] + y + height)
                   for column in range(origin[0] + x, origin[0] + x + width)
                   if row < self.height and column < self.width and predicate(self.pixel(column, row)))


def is_yellow(rgb):
    return rgb[0] > 200 and rgb[1] > 200 and rgb[2] < 80


def take_screenshot(env, folder):
    for old in os.listdir(folder):
        os.remove(os.path.join(folder, old))
    subprocess.run(["weston-screenshooter"], env=env, cwd=folder, check=True, capture_output=True, timeout=10)
    shots = [name for name in os.listdir(folder) if name.endswith(".png")]
    return Screenshot(os.path.join(folder, shots[0])) if shots else None


def wait_for_socket(path, compositor, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and compositor.poll() is None:
        if os.path.exists(path):
            return True
        time.sleep(0.05)
    return False


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    missing = [tool for tool in ("weston", "weston-screenshooter", "identify", "stream") if not shutil.which(tool)]
    if missing:
        print(f"SKIPPED: the Wayland run needs {', '.join(missing)} "
              "(packages weston, imagemagick: scripts/setup --tests installs them)")
        return SKIPPED
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        shots = os.path.join(folder, "shots")
        os.mkdir(shots)
        env = {**os.environ, "XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": "quickpair-e2e",
               "QT_QPA_PLATFORM": "wayland", "HOME": folder}
        # No X server to fall back to: the window is Wayland's or there is none.
        env.pop("DISPLAY", None)
        compositor = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config",
             "--socket=quickpair-e2e", f"--width={OUTPUT[0]}", f"--height={OUTPUT[1]}"],
            env=env, stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, "weston.txt"), "wb"))
        game = None
        try:
            if not wait_for_socket(os.path.join(runtime, "quickpair-e2e"), compositor):
                with open(os.path.join(folder, "weston.txt"), errors="replace") as log:
                    print(log.read()[-3000:])
                print("FAILED  weston did not start")
                return 1
            # A copy in a folder of its own keeps its ranking file there.
            copy = shutil.copy(program, folder)
            stderr_path = os.path.join(folder, "stderr.txt")
            game = subprocess.Popen([copy], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                    stderr=open(stderr_path, "wb"))
            started = time.monotonic()
            shot = origin = None
            yellow = (0, 0)
            while time.monotonic() - started < 15 and game.poll() is None:
                shot = take_screenshot(env, shots)
                origin = shot.client_area() if shot else None
                if origin:
                    yellow = (shot.count(origin, LEFT_DIGIT, is_yellow), shot.count(origin, RIGHT_DIGIT, is_yellow))
                    if min(yellow) > 100:
                        break
                time.sleep(0.2)
            # Still there a moment after its first frame: it has not crashed.
            time.sleep(0.5)
            failures = []
            if shot is None or (shot.width, shot.height) != OUTPUT:
                failures.append("weston-screenshooter saved no screenshot of the output")
            if origin is None:
                failures.append(f"no black client area {CLIENT_WIDTH} pixels wide on the screen")
            elif not all(shot.pixel(origin[0] + x, origin[1] + y) == (0, 0, 0)
                         for x, y in [(2, CLIENT_HEIGHT - 3), (CLIENT_WIDTH - 3, CLIENT_HEIGHT - 3), (200, 230)]):
                failures.append(f"the client area is not black down to its height of {CLIENT_HEIGHT} pixels")
            elif min(yellow) <= 100:
                failures.append(f"the digits show no yellow \"?\" ({yellow[0]} and {yellow[1]} yellow pixels)")
            if game.poll() is not None:
                failures.append(f"the game ended with exit code {game.returncode}")
            kept = os.environ.get("QUICKPAIR_E2E_KEEP")
            if kept:
                shutil.copytree(shots, kept, dirs_exist_ok=True)
            if failures:
                for failure in failures:
                    print("FAILED  " + failure)
                with open(stderr_path, errors="replace") as stderr:
                    for line in stderr.read().splitlines()[-30:]:
                        print("        stderr: " + line)
                return 1
            print(f"ok      the game runs as a Wayland client: client area at {origin}, "
                  f"yellow pixels of the digits {yellow}")
            print("all checks passed")
            return 0
        finally:
            for process in (game, compositor):
                if process is not None and process.poll() is None:
                    process.terminate()
                    try:
                        process.wait(5)
                    except subprocess.TimeoutExpired:
                        process.kill()
                        process.wait()


if __name__ == "__main__":
    sys.exit(main())
