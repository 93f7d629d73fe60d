#!/usr/bin/env python3
# The real game as a native Wayland client of a headless weston, which draws with pixman into
# memory; weston-screenshooter (offered with --debug) saves what it shows:
#     wayland.py path/to/quickpair
# A black client area of the game's width with the yellow "?" of both digits on it, and the game
# still running half a second later. Skipped (77) where weston or ImageMagick is missing.
import os, shutil, subprocess, sys, tempfile, time
from xvfb import need, check, wait, image, pixel, digit_heights


def shown():
    # The client area's top-left corner, once a screenshot shows a run of exactly 394 black
    # pixels (the first, from the top) with both digits' big yellow "?" below it.
    folder = tempfile.mkdtemp(dir=temporary.name)  # a folder for this screenshot alone
    subprocess.run(["weston-screenshooter"], env=env, cwd=folder, capture_output=True, timeout=10)
    shot = os.listdir(folder) and image(os.path.join(folder, os.listdir(folder)[0]))
    start = shot and shot[1].find(b"\0" * 3 * 394)
    corner = start and start > 0 and start % 3 == 0 and (start // 3 % shot[0], start // 3 // shot[0])
    return corner and pixel(shot, corner[0] + 394, corner[1]) != (0, 0, 0) and min(digit_heights(shot, *corner)) > 100 and corner


need("weston", "weston-screenshooter", "identify", "stream")
temporary = tempfile.TemporaryDirectory()
os.mkdir(runtime := temporary.name + "/runtime", 0o700)
# No DISPLAY: no X server to fall back to.
env = {key: value for key, value in os.environ.items() if key != "DISPLAY"} | {
    "XDG_RUNTIME_DIR": runtime, "WAYLAND_DISPLAY": "quickpair-e2e", "QT_QPA_PLATFORM": "wayland", "HOME": temporary.name}
processes = [subprocess.Popen(["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--no-config",
                               "--socket=quickpair-e2e", "--width=1024", "--height=768"], env=env)]
try:
    check(wait(lambda: os.path.exists(runtime + "/quickpair-e2e"), 10), "weston starts")
    processes.append(game := subprocess.Popen([shutil.copy(sys.argv[1], temporary.name)], cwd=temporary.name, env=env))
    corner = wait(lambda: game.poll() is not None or shown(), 20)
    check(corner and game.poll() is None, f"a black client area 394 wide at {corner} shows both yellow ? "
                                          f"(exit code {game.poll()})")
    time.sleep(0.5)
    check(game.poll() is None, f"the game still runs 0.5 s later (exit code {game.poll()})")
finally:
    for process in processes:
        process.terminate()
        process.wait()
