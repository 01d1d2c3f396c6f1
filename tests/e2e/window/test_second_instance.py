"""One launcher per logon session: a second launcher started while the
first shows its window ends without any window, and with both log marker
files present it logs the start banner followed by the lock failure with
0xb7. After the first one has closed, a new launcher starts normally.

The launcher is copied into a folder of this test, so its log (written
beside the program) is this test's alone."""

import os
import shutil
import sys

from launcher_session import WINDOW_CLASS, ID_CANCEL, Failures, Launchers, arguments

MARKERS = ["ovn6_launcher_syslog_full.txt", "ovn6_launcher_syslog_booster30.txt"]
BANNER = "========================== begin install launcher =========================="
LOCK_FAILURE = "error: instance lock failure 0xb7"
SECOND_TIMEOUT_MS = 60000


def log_lines(folder):
    """(pid, level field, message) of every line of system.log."""
    path = os.path.join(folder, "system.log")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        text = f.read().decode("cp932", "replace")
    lines = []
    for line in text.split("\r\n"):
        fields = line.split("\t")
        if len(fields) >= 5:
            pid = fields[1].split("(")[0].replace("PID:", "")
            lines.append((int(pid, 16), fields[2], "\t".join(fields[4:])))
    return lines


def main():
    args = arguments(__doc__)
    failures = Failures()
    launchers = Launchers(args)
    driver = launchers.driver

    folder = os.path.join(args.out, "second_instance")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    exe = os.path.join(folder, os.path.basename(args.launcher))
    shutil.copy2(args.launcher, exe)

    temp = os.path.join(args.prefix, "drive_c", "temp")
    os.makedirs(temp, exist_ok=True)
    markers = [os.path.join(temp, name) for name in MARKERS]
    try:
        for marker in markers:
            open(marker, "w").close()

        first_pid, first = launchers.start(exe)

        second = driver.run(exe, timeout_ms=SECOND_TIMEOUT_MS)
        failures.check(second and second["ended"], "the second launcher ends by itself: %r" % second)
        failures.equal([], second["windows"] if second else None, "windows of the second launcher")

        windows = driver.find_windows(WINDOW_CLASS, first_pid)
        failures.equal([first["hwnd"]], [w["hwnd"] for w in windows], "launcher windows while both ran")

        lines = log_lines(folder)
        mine = [(level, message) for pid, level, message in lines if second and pid == second["pid"]]
        failures.equal([("LogLv:30/20", BANNER), ("LogLv:30/10", LOCK_FAILURE)], mine,
                       "log lines of the second launcher")
        failures.check(any(pid == first_pid and message == BANNER for pid, _, message in lines),
                       "the first launcher logged its banner")

        driver.click(first["hwnd"], ID_CANCEL)
        failures.check(launchers.wait_end(first_pid), "the first launcher closes")

        third_pid, third = launchers.start(exe)
        failures.check(third["visible"], "a new launcher starts after the first has closed")
        failures.check(not any(pid == third_pid and message == LOCK_FAILURE for pid, _, message in log_lines(folder)),
                       "the new launcher got the lock")
        driver.click(third["hwnd"], ID_CANCEL)
        failures.check(launchers.wait_end(third_pid), "the new launcher closes")
    finally:
        launchers.end_all()
        for marker in markers:
            if os.path.exists(marker):
                os.remove(marker)
    return failures.exit_status()


if __name__ == "__main__":
    sys.exit(main())
