"""An X server of its own for the end-to-end test and the benchmarks."""

import os
import random
import subprocess
import sys
import time


def start_xvfb():
    """Starts Xvfb on a free display; returns (process, display). A random display well above
    those that xvfb-run and other test servers use: scanning from :0, as -displayfd does,
    would race with any other X server that starts at the same moment. No reset when the
    last client leaves: a program started during a reset could not connect."""
    for _ in range(20):
        display = f":{random.randint(200, 899)}"
        if os.path.exists(f"/tmp/.X{display[1:]}-lock"):
            continue
        server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while server.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdotool", "getdisplaygeometry"], env={**os.environ, "DISPLAY": display},
                              capture_output=True).returncode == 0:
                return server, display
            time.sleep(0.05)
        server.kill()
        server.wait()
    sys.exit("Xvfb did not start")
