#!/usr/bin/env python3
"""Time from starting the launcher under Wine until its window is visible,
against Wine's own Notepad measured the same way in the same run, and
their ratio. Both start in the same warm prefix; each is started several
times, alternating, and the median counts. The Notepad is of the launcher's
own bitness: a 32-bit launcher is measured against the prefix's 32-bit one.
Target: the launcher takes at most 1.5 times as long as Notepad. Needs an X
display (DISPLAY).

usage: launcher_start_bench.py BUILD_DIR   (an i686 or x86_64 build with ovn6launcher)
"""
import os
import re
import signal
import statistics
import struct
import subprocess
import sys
import time

RUNS = 9
TARGET = 1.5
POLL_S = 0.01
SHOW_TIMEOUT_S = 120
# Wine names an X window's class after the program's file name.
WINDOW_LINE = re.compile(r'^\s*(0x[0-9a-f]+) .*\("([^"]*)" "([^"]*)"\)', re.M)


def visible_window_of(program):
    """The id of a viewable top-level X window of that program, or None."""
    tree = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True).stdout
    for window, name, _ in WINDOW_LINE.findall(tree):
        if name.lower() != program:
            continue
        info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
        if "IsViewable" in info:
            return window
    return None


I386_MACHINE = 0x14C
NOTEPAD_32BIT = "C:\\windows\\syswow64\\notepad.exe"


def is_32bit_program(path):
    with open(path, "rb") as f:
        head = f.read(4096)
    header = struct.unpack_from("<I", head, 0x3C)[0]
    return struct.unpack_from("<H", head, header + 4)[0] == I386_MACHINE


def time_to_window(emulator, exe, program):
    """Seconds from the start of the Wine process until its window shows."""
    start = time.monotonic()
    process = subprocess.Popen([emulator, exe], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        while time.monotonic() - start < SHOW_TIMEOUT_S:
            if visible_window_of(program):
                return time.monotonic() - start
            time.sleep(POLL_S)
        raise RuntimeError("%s showed no window within %d s" % (program, SHOW_TIMEOUT_S))
    finally:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        # The next start must not see this window any more.
        deadline = time.monotonic() + 10
        while visible_window_of(program) and time.monotonic() < deadline:
            time.sleep(0.05)


def main():
    if len(sys.argv) != 2 or not os.environ.get("DISPLAY"):
        print(__doc__, file=sys.stderr)
        return 2
    build = os.path.abspath(sys.argv[1])
    emulator = os.path.join(build, "wine-run.sh")
    launcher = os.path.join(build, "launcher", "ovn6launcher.exe")
    if not (os.path.exists(emulator) and os.path.exists(launcher)):
        print("build %s first (target ovn6launcher, tests on)" % build, file=sys.stderr)
        return 2
    # Wine started once before measuring, so its own start-up is not counted.
    subprocess.run([emulator, "cmd", "/c", "exit"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    notepad = NOTEPAD_32BIT if is_32bit_program(launcher) else "notepad"
    print("launcher: %s; peer: %s" % (launcher, notepad))
    time_to_window(emulator, notepad, "notepad.exe")  # warms the page cache for both
    time_to_window(emulator, launcher, "ovn6launcher.exe")

    ours, peer = [], []
    for _ in range(RUNS):
        ours.append(time_to_window(emulator, launcher, "ovn6launcher.exe"))
        peer.append(time_to_window(emulator, notepad, "notepad.exe"))
    ours_s, peer_s = statistics.median(ours), statistics.median(peer)
    ratio = ours_s / peer_s
    print("launcher start to window : %.3f s (median of %d: %s)" % (ours_s, RUNS, " ".join("%.3f" % t for t in ours)))
    print("notepad start to window  : %.3f s (median of %d: %s)" % (peer_s, RUNS, " ".join("%.3f" % t for t in peer)))
    print("ratio launcher/notepad   : %.2f (target <= %.1f) %s"
          % (ratio, TARGET, "ok" if ratio <= TARGET else "ABOVE TARGET"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
