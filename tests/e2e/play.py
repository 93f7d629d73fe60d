#!/usr/bin/env python3
# Plays the real game on an X server of its own, as a player would, through xdotool:
#     play.py path/to/quickpair
# A copy of the program in a fresh folder, beside a ranking file with CP932 names; the main
# window's size and big digits; the version window from "?", closed with Enter; a round without
# a scoring key, whose score of 0 enters the ranking at a known row; a name; Enter on Back; the
# ranking file byte for byte; Alt+X. Skipped (77) where Xvfb, xdotool or ImageMagick is missing.
import os, re, shutil, subprocess, sys, tempfile, time
from xvfb import need, check, wait, image, pixel, digit_heights, start_xvfb

# 30 山田太郎, -5 髙橋① (an IBM extension and an NEC special character) and -9 in half-width
# katakana with CP932's ～ and －: the round's 0 enters as row 2 and pushes -9 out.
ROW_30, ROW_MINUS_5 = b" 30 \r\n%s\r\n" % bytes.fromhex("8e52936391be9859"), b"-5 \r\n%s\r\n" % bytes.fromhex("fbfc8bb48740")
SEEDED = ROW_30 + ROW_MINUS_5 + b"-9 \r\n%s\r\n" % bytes.fromhex("b1d8bd8160817c")
EXPECTED = ROW_30 + b" 0 \r\nBob\r\n" + ROW_MINUS_5
windows = lambda title: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                       capture_output=True, text=True).stdout.split()
xdotool = lambda window, *command: subprocess.run(["xdotool", "windowfocus", "--sync", window, *command], check=True)

need("Xvfb", "xdotool", "xwininfo", "import", "identify", "stream")
os.environ["QT_QPA_PLATFORM"] = "xcb"
temporary = tempfile.TemporaryDirectory()
# The program keeps its ranking file beside itself; the player's own folders stay untouched.
folder = os.environ["HOME"] = temporary.name
with open(os.path.join(folder, "quip.ini"), "wb") as file:
    file.write(SEEDED)


def screenshot():
    subprocess.run(["import", "-window", "root", folder + "/shot.png"], check=True)
    return image(folder + "/shot.png")


server, os.environ["DISPLAY"] = start_xvfb()
game = subprocess.Popen([shutil.copy(os.path.abspath(sys.argv[1]), folder)], cwd=folder)
try:
    check(main := wait(lambda: windows("Quickpair"), 20), "the main window Quickpair opens")
    main = main[0]
    info = subprocess.run(["xwininfo", "-id", main], capture_output=True, text=True, check=True).stdout
    x, y, width, height = map(int, re.findall(r"(?:Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info))
    # Painted once the client area, below the menu bar in the same X window, is black.
    painted = lambda shot: pixel(shot, x + 2, y + height - 2) == (0, 0, 0) and shot
    check(shot := wait(lambda: painted(screenshot()), 15), "the main window is painted")
    top = next(r for r in range(y, y + height) if pixel(shot, x + 2, r) == (0, 0, 0))
    check((width, y + height - top) == (394, 245), f"client area {width} x {y + height - top}, menu bar {top - y}")
    check(min(heights := digit_heights(shot, x, top)) > 100, f"the digits' yellow ? are {heights} pixels tall")

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
    for process in (game, server):
        process.kill()
        process.wait()
