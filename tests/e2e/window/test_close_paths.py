"""With no run going on, Esc, the title bar's close box and the Cancel
command each end the launcher, and nothing is left behind."""

import sys

from launcher_session import WINDOW_CLASS, Failures, Launchers, arguments

WAYS = ["escape", "close-box", "cancel"]


def main():
    args = arguments(__doc__)
    failures = Failures()
    launchers = Launchers(args)
    driver = launchers.driver
    try:
        for way in WAYS:
            pid, info = launchers.start(args.launcher)
            driver.send(way, info["hwnd"])
            failures.check(launchers.wait_end(pid), "%s ends the launcher" % way)
            left = driver.find_windows(WINDOW_CLASS, pid)
            failures.equal([], left, "windows left after %s" % way)
    finally:
        launchers.end_all()
    return failures.exit_status()


if __name__ == "__main__":
    sys.exit(main())
