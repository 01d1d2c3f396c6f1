"""Starting and ending launchers for the window tests, so that no test
leaves one running whatever happens."""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "driver"))

from ovn_driver import Driver  # noqa: E402

WINDOW_CLASS = "OVN6_WINDOWCLASS_INSTLAUNCHER"
# Controls of the launcher window.
ID_OK = 1
ID_CANCEL = 2
ID_CHOOSE_FOLDER = 1000
ID_GUIDE = 1001
ID_READER = 1002
# Text 109 and text 110 of the string table.
WINDOW_TITLE = "Orvane 6.0 インストール"
CHOOSE_FOLDER_TEXT = "インストール先フォルダーを選択する"
# A cold Wine start on a busy machine can take well over 5 s.
START_TIMEOUT_MS = 60000
END_TIMEOUT_MS = 20000


def arguments(description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--emulator", required=True, help="wine-run.sh of the build")
    parser.add_argument("--driver", required=True, help="ovn_driver.exe")
    parser.add_argument("--launcher", required=True, help="ovn6launcher.exe")
    parser.add_argument("--source", required=True, help="the project's source folder")
    parser.add_argument("--out", required=True, help="folder for screenshots and copies")
    parser.add_argument("--prefix", required=True, help="the build's Wine prefix")
    return parser.parse_args()


class Launchers:
    """Launchers started by a test; end_all() closes what is left, then kills it."""

    def __init__(self, args):
        self.driver = Driver(args.emulator, args.driver)
        self.pids = []
        self.programs = {}

    def start(self, exe):
        """Starts a launcher and waits until its window shows with every control."""
        pid = self.driver.start(exe)
        self.pids.append(pid)
        self.programs[pid] = exe
        return pid, self.driver.wait_window(WINDOW_CLASS, pid=pid, control=ID_READER,
                                            timeout_ms=START_TIMEOUT_MS)

    def wait_end(self, pid):
        result = self.driver.wait_exit(pid, timeout_ms=END_TIMEOUT_MS)
        return bool(result and result.get("ended"))

    def end_all(self):
        # Only the launchers this session started: other tests' windows
        # share the prefix's desktop.
        for pid in self.pids:
            for window in self.driver.find_windows(WINDOW_CLASS, pid) or []:
                self.driver.call("close", {"hwnd": window["hwnd"]}, check=False)
        for pid in self.pids:
            if not self.wait_end(pid):
                self.driver.kill(pid, self.programs[pid])
        self.pids = []
        self.programs = {}


class Failures:
    """Collects failed checks so one run reports all of them."""

    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
            print("FAIL: " + message)
        return condition

    def equal(self, expected, actual, what):
        return self.check(expected == actual, "%s: expected %r, got %r" % (what, expected, actual))

    def exit_status(self):
        if self.messages:
            print("%d check(s) failed" % len(self.messages))
            return 1
        print("all checks passed")
        return 0
