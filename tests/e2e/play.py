#!/usr/bin/env python3
"""Plays the real game on an X server of its own, as a person would: keys and clicks through
xdotool, windows found by their titles, sizes read with xwininfo, colours sampled from
screenshots, and the ranking file read byte for byte afterwards.

    play.py path/to/quickpair

Two games, each from a copy of the program in a fresh folder:
  1. a ranking file that no round can enter: Alt+S, arrow keys, the whole round, Enter on the
     Back button, Alt+X;
  2. a ranking file with Japanese CP932 names: the version window and its Back button, a
     round without keys (score 0, which enters as row 3), a name, Enter, Alt+X.

Exits with 77 (skipped) when Xvfb or the X tools are missing.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from xvfb import start_xvfb

SKIPPED = 77
ROUND_SECONDS = 30

# The game's windows as they are designed: client sizes in pixels and background colours.
MAIN_CLIENT = (394, 245)
RANKING_CLIENT = (353, 271)
VERSION_CLIENT = (263, 160)
BLACK = (0, 0, 0)
LIGHT_YELLOW = (255, 255, 192)
WHITE = (255, 255, 255)
TEAL = (0, 128, 128)

failures = []


def check(condition, message):
    print(("ok      " if condition else "FAILED  ") + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def visible_windows(title, besides=()):
    """Ids of the mapped windows whose title is exactly `title`."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$"],
                           capture_output=True, text=True).stdout.split()
    return [window for window in found if window not in besides and window_name(window) == title]


def window_name(window):
    return subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                          text=True).stdout.rstrip("\n")


def wait_for_window(title, timeout, besides=()):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = visible_windows(title, besides)
        if found:
            return found[0]
        time.sleep(0.05)
    return None


def wait_until_gone(window, timeout=5):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout.find(
                "IsViewable") < 0:
            return True
        time.sleep(0.05)
    return False


def geometry(window):
    """(x, y, width, height) of a window's own area on the screen, without any frame."""
    info = run("xwininfo", "-id", window)
    value = lambda label: int(re.search(label + r":\s+(-?\d+)", info).group(1))
    return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
            value("Height"))


class Screenshot:
    def __init__(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                              capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        self.width = int(header.group(1))
        self.pixels = data[header.end():]

    def pixel(self, x, y):
        offset = 3 * (y * self.width + x)
        return tuple(self.pixels[offset:offset + 3])

    def count(self, area, predicate):
        x, y, width, height = area
        return sum(1 for row in range(y, y + height) for column in range(x, x + width)
                   if predicate(self.pixel(column, row)))


def is_yellow(rgb):
    return rgb[0] > 200 and rgb[1] > 200 and rgb[2] < 80


def is_red(rgb):
    return rgb[0] > 200 and rgb[1] < 80 and rgb[2] < 80


def is_cyan(rgb):
    return rgb[0] < 80 and rgb[1] > 200 and rgb[2] > 200


def is_black(rgb):
    return rgb == BLACK


def key(window, *keys):
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    for name in keys:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(0.05)


def click(x, y):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)


class Game:
    """A copy of the program in a fresh folder, started on the test's X server."""

    def __init__(self, program, folder, seeded_file=None):
        self.folder = folder
        self.program = shutil.copy(program, folder)
        self.ranking_file = os.path.join(folder, "quip.ini")
        if seeded_file is not None:
            with open(self.ranking_file, "wb") as file:
                file.write(seeded_file)
        self.process = subprocess.Popen([self.program], cwd=folder, stdout=subprocess.DEVNULL,
                                        stderr=open(os.path.join(folder, "stderr.txt"), "wb"))
        self.window = wait_for_window("Quickpair", 15)
        if not self.window:
            self.process.kill()
            sys.exit("the main window did not appear")
        x, y, width, height = geometry(self.window)
        # The client area lies below the menu bar, which belongs to the same X window.
        self.menu_height = height - MAIN_CLIENT[1]
        self.client = (x, y + self.menu_height)
        # Mapped is not yet painted, nor ready for keys: wait for the digits' "?".
        deadline = time.monotonic() + 10
        while Screenshot().count(self.area(24, 32, 97, 145), is_yellow) < 100 and time.monotonic() < deadline:
            time.sleep(0.1)

    def at(self, x, y):
        """A point of the main window's client area, on the screen."""
        return self.client[0] + x, self.client[1] + y

    def area(self, x, y, width, height):
        return (*self.at(x, y), width, height)

    def check_main_window(self):
        x, y, width, height = geometry(self.window)
        check(window_name(self.window) == "Quickpair", "main window title is Quickpair")
        check(width == MAIN_CLIENT[0] and 15 <= self.menu_height <= 40,
              f"main window is {width} x {height}: client 394 x 245 below a menu bar of "
              f"{self.menu_height} pixels")
        check(abs(x + width / 2 - 512) <= 2 and abs(y + height / 2 - 384) <= 2,
              f"main window centred on the screen (at {x}, {y})")
        shot = Screenshot()
        check(all(shot.pixel(*self.at(px, py)) == BLACK for px, py in [(2, 2), (391, 242), (200, 230)]),
              "main window background is black")
        check(shot.count(self.area(24, 32, 97, 145), is_yellow) > 100,
              "left digit label shows yellow text")
        check(shot.count(self.area(72, 16, 121, 25), is_cyan) > 30, "title shows in cyan")
        check(shot.count(self.area(304, 96, 65, 25), is_red) > 10, "score shows in red")

    def progress_bar_drawn(self, shot):
        return shot.count(self.area(16, 200, 361, 17), lambda rgb: not is_black(rgb)) > 1000

    def start_round(self):
        before = Screenshot()
        check(not self.progress_bar_drawn(before), "no progress bar before the first round")
        key(self.window, "alt+s")
        started = time.monotonic()
        time.sleep(0.3)
        check(self.progress_bar_drawn(Screenshot()), "Alt+S starts a round: the progress bar shows")
        return started

    def wait_for_ranking(self, started, name):
        """Waits out the round; types `name` if the name box comes. Returns (asked, ranking window)."""
        box = ranking = None
        while box is None and ranking is None and time.monotonic() - started < ROUND_SECONDS + 10:
            box = next(iter(visible_windows("Quickpair", besides=[self.window])), None)
            ranking = next(iter(visible_windows("ランキング")), None)
            time.sleep(0.05)
        elapsed = time.monotonic() - started
        check(ROUND_SECONDS - 0.2 <= elapsed <= ROUND_SECONDS + 1.5,
              f"the round ends after {elapsed:.2f} s with the {'name box' if box else 'ranking window'}")
        if box:
            subprocess.run(["xdotool", "windowfocus", "--sync", box], check=True)
            subprocess.run(["xdotool", "type", "--delay", "50", name], check=True)
            subprocess.run(["xdotool", "key", "Return"], check=True)
            check(wait_until_gone(box), "Enter closes the name box")
            ranking = wait_for_window("ランキング", 5)
        if not check(ranking is not None, "the ranking window opens"):
            self.explain()
        return box is not None, ranking

    def check_ranking_window_and_press_back(self, ranking, filled_rows):
        x, y, width, height = geometry(ranking)
        check((width, height) == RANKING_CLIENT, f"ranking window client is {width} x {height}")
        check(abs(x + width / 2 - 512) <= 2 and abs(y + height / 2 - 384) <= 2,
              f"ranking window centred on the screen (at {x}, {y})")
        shot = Screenshot()
        check(all(shot.pixel(x + px, y + py) == LIGHT_YELLOW for px, py in [(2, 2), (345, 20), (5, 265)]),
              "ranking window background is light yellow")
        check(shot.count((x + 24, y + 56, 25, 129), lambda rgb: rgb == (0, 0, 255)) > 30,
              "rank numbers show in blue")
        for row, top in enumerate((56, 104, 152)):
            # Black text in the name label: the row's name is shown; nothing shows in an empty row.
            name_pixels = shot.count((x + 168, y + top, 153, 33), lambda rgb: sum(rgb) < 200)
            filled = row < filled_rows
            check((name_pixels > 20) == filled,
                  f"row {row + 1} shows {'a name' if filled else 'no name'} ({name_pixels} dark pixels)")
        # Back has the focus and is the default button.
        key(ranking, "Return")
        check(wait_until_gone(ranking), "Enter on 戻る closes the ranking window")

    def open_version_window(self):
        shot = Screenshot()
        x, y, width, _ = geometry(self.window)
        # The menu bar's items are dark text on a light bar; "?" is the rightmost of them.
        row = y + self.menu_height // 2
        dark_columns = [column for column in range(x, x + width)
                        if any(sum(shot.pixel(column, r)) < 250 for r in range(y + 2, y + self.menu_height - 2))]
        if not check(dark_columns, "menu bar shows its items"):
            return None
        last_start = dark_columns[-1]
        for column in reversed(dark_columns):
            if last_start - column > 6:
                break
            last_start = column
        click((last_start + dark_columns[-1]) // 2, row)
        return wait_for_window("バージョン情報", 5)

    def check_version_window_and_close(self, version):
        x, y, width, height = geometry(version)
        check((width, height) == VERSION_CLIENT, f"version window client is {width} x {height}")
        shot = Screenshot()
        check(all(shot.pixel(x + px, y + py) == WHITE for px, py in [(2, 2), (260, 10), (258, 156)]),
              "version window background is white")
        check(shot.pixel(x + 100, y + 88) == TEAL and shot.pixel(x + 262, y + 88) == TEAL,
              "the teal rule crosses the version window")
        click(x + 192 + 32, y + 96 + 12)
        check(wait_until_gone(version), "a click on 戻る closes the version window")

    def quit(self):
        key(self.window, "alt+x")
        try:
            code = self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = None
        check(code == 0, f"Alt+X ends the program (exit code {code})")

    def explain(self):
        """Prints what the screen and the program show, for a check that failed."""
        titles = [window_name(window) for window in
                  subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], capture_output=True,
                                 text=True).stdout.split()]
        print(f"        visible windows: {titles}; program exit code: {self.process.poll()}")
        with open(os.path.join(self.folder, "stderr.txt"), errors="replace") as stderr:
            for line in stderr.read().splitlines()[-30:]:
                print("        stderr: " + line)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def saved_bytes(self):
        with open(self.ranking_file, "rb") as file:
            return file.read()


# Rows that no round can reach, so the round's score, whatever the keys made of it, enters
# nothing and no name is asked.
UNBEATABLE = b" 32767 \r\nAnn\r\n 32000 \r\nBen\r\n 31000 \r\nCy\r\n"


def first_game(program, folder):
    game = Game(program, folder, UNBEATABLE)
    try:
        game.check_main_window()
        inode_before = os.stat(game.ranking_file).st_ino
        started = game.start_round()
        key(game.window, "Left", "Up", "Right", "Down", "Left", "Up", "Right", "Down")
        shot = Screenshot()
        mark = game.area(296, 136, 57, 25)
        check(shot.count(mark, is_yellow) + shot.count(mark, is_red) > 20,
              "arrow keys are judged: the mark shows ＯＫ or ＮＧ")
        asked, ranking = game.wait_for_ranking(started, "Alice")
        check(not asked, "a score below all three rows asks for no name")
        if ranking:
            game.check_ranking_window_and_press_back(ranking, 3)
        shot = Screenshot()
        check(shot.count(game.area(296, 136, 57, 25), lambda rgb: not is_black(rgb)) == 0,
              "the mark is cleared after the round")
        check(game.saved_bytes() == UNBEATABLE and os.stat(game.ranking_file).st_ino != inode_before,
              "Back rewrites quip.ini as a new file with the same bytes")
        game.quit()
    finally:
        game.stop()


# Rows 30, 20 and -5 with names in CP932: 山田太郎, 髙橋① (an IBM extension and an NEC
# special character) and half-width katakana with the CP932 forms of ～, － and ∥.
SEEDED = (b" 30 \r\n" + bytes.fromhex("8e52936391be9859") + b"\r\n"
          b" 20 \r\n" + bytes.fromhex("fbfc8bb48740") + b"\r\n"
          b"-5 \r\n" + bytes.fromhex("b1d8bd8160817c8161") + b"\r\n")


def second_game(program, folder):
    game = Game(program, folder, SEEDED)
    try:
        game.check_main_window()
        version = game.open_version_window()
        if check(version is not None, "「?」 opens the version window バージョン情報"):
            game.check_version_window_and_close(version)
        started = game.start_round()
        # Keys other than arrows change nothing: the score stays 0, which enters as row 3.
        # Alt+X does nothing while a round runs.
        key(game.window, "a", "space", "Return", "alt+x")
        time.sleep(0.3)
        check(game.process.poll() is None, "Alt+X during a round leaves the game running")
        asked, ranking = game.wait_for_ranking(started, "Bob")
        check(asked, "a score of 0 above a stored -5 asks for a name")
        if ranking:
            game.check_ranking_window_and_press_back(ranking, 3)
        expected = SEEDED[:SEEDED.index(b"-5 ")] + b" 0 \r\nBob\r\n"
        saved = game.saved_bytes()
        check(saved == expected, f"quip.ini keeps the CP932 rows byte for byte and drops -5: {saved!r}")
        game.quit()
    finally:
        game.stop()


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    missing = [tool for tool in ("Xvfb", "xdotool", "xwininfo", "import") if not shutil.which(tool)]
    if missing:
        print(f"SKIPPED: the end-to-end suite needs {', '.join(missing)} "
              "(packages xvfb, xdotool, x11-utils, imagemagick: scripts/setup --tests installs them)")
        return SKIPPED
    program = os.path.abspath(sys.argv[1])
    server, display = start_xvfb()
    os.environ["DISPLAY"] = display
    os.environ.pop("QT_QPA_PLATFORM", None)
    try:
        with tempfile.TemporaryDirectory() as folder:
            # The program finds its ranking file beside itself; the player's folders stay untouched.
            os.environ["HOME"] = folder
            for name, game in (("first", first_game), ("second", second_game)):
                os.mkdir(os.path.join(folder, name))
                print(f"-- {name} game", flush=True)
                game(program, os.path.join(folder, name))
    finally:
        server.terminate()
        server.wait()
    if failures:
        print(f"{len(failures)} checks failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
