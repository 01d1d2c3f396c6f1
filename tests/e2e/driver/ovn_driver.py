"""Python side of ovn_driver.exe: runs the driver under Wine and returns
its JSON answers. Used by the end-to-end tests."""

import json
import os
import subprocess
import tempfile

# Time allowed to the Wine start-up of one driver call, on top of the
# command's own time-out.
CALL_OVERHEAD_S = 60

# Commands that only look: one whose driver process ended without a word
# (Wine failed to start it, not the driver answering) is run once more.
QUERIES = {"find-windows", "info", "wait-window", "wait-msgbox", "wait-gone", "wait-exit", "shield-icon"}


def windows_path(unix_path):
    """The path as a Wine program sees it (drive Z: is the Unix root)."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class DriverError(Exception):
    pass


class Driver:
    def __init__(self, emulator, driver_exe):
        self.emulator = emulator
        self.driver_exe = driver_exe

    def call(self, command, options=None, check=True, timeout_ms=0):
        """Runs one driver command with "--name value" options; returns its
        parsed JSON answer (None when it printed nothing)."""
        args = [self.emulator, self.driver_exe, command]
        for name, value in (options or {}).items():
            args += ["--" + name, str(value)]
        if timeout_ms:
            args += ["--timeout", str(timeout_ms)]
        # The answer goes through a file, not a pipe: a program that the
        # driver starts inherits the driver's Unix output and would hold a
        # pipe open for as long as it runs.
        attempts = 2 if command in QUERIES else 1
        for _ in range(attempts):
            with tempfile.TemporaryFile() as out:
                done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                                      timeout=timeout_ms / 1000 + CALL_OVERHEAD_S)
                out.seek(0)
                text = out.read().decode("utf-8", "replace").strip()
            if done.returncode == 0 or text:
                break
        answer = json.loads(text) if text else None
        if check and done.returncode != 0:
            raise DriverError("%s %s failed (%d): %s" % (command, options, done.returncode, text))
        return answer

    # Windows and controls. Searches look at one process's windows only:
    # every test shares the prefix's desktop.
    def wait_window(self, class_name, pid, timeout_ms=30000, **filters):
        """Waits for a visible top-level window of process pid; filters: title, control."""
        options = dict(filters, **{"class": class_name, "pid": pid})
        return self.call("wait-window", options, timeout_ms=timeout_ms)

    def find_windows(self, class_name, pid, include_hidden=True, **filters):
        options = dict(filters, **{"class": class_name, "pid": pid})
        if include_hidden:
            options["all"] = 1
        return self.call("find-windows", options)

    def info(self, hwnd):
        return self.call("info", {"hwnd": hwnd})

    def click(self, hwnd, control_id):
        self.call("click", {"hwnd": hwnd, "id": control_id})

    def double_click(self, hwnd, control_id):
        self.call("double-click", {"hwnd": hwnd, "id": control_id})

    def toggle(self, hwnd, control_id):
        return self.call("toggle", {"hwnd": hwnd, "id": control_id})["checked"]

    def send(self, command, hwnd):
        """close, cancel, escape or close-box."""
        self.call(command, {"hwnd": hwnd})

    def wait_message_box(self, pid, timeout_ms=30000):
        return self.call("wait-msgbox", {"pid": pid}, timeout_ms=timeout_ms)

    def answer(self, hwnd, button_id):
        self.call("answer", {"hwnd": hwnd, "id": button_id})

    def wait_gone(self, hwnd, timeout_ms=30000):
        self.call("wait-gone", {"hwnd": hwnd}, timeout_ms=timeout_ms)

    # Processes.
    def start(self, exe):
        """Starts a Windows program; returns its Windows process id."""
        return self.call("start", {"exe": windows_path(exe)})["pid"]

    def wait_exit(self, pid, timeout_ms=30000):
        """{"pid", "ended", "exit_code"}."""
        return self.call("wait-exit", {"pid": pid}, check=False, timeout_ms=timeout_ms)

    def run(self, exe, timeout_ms=30000):
        """Runs a program to its end: {"pid", "ended", "exit_code", "windows": [classes]}."""
        return self.call("run", {"exe": windows_path(exe)}, check=False, timeout_ms=timeout_ms)

    def kill(self, pid, exe):
        """Ends process pid at once, if it still runs exe (ids are reused)."""
        self.call("kill", {"pid": pid, "exe": windows_path(exe)}, check=False)

    def shield_icon_available(self):
        return self.call("shield-icon")["available"]

    def move_cursor(self, x, y):
        self.call("cursor", {"x": x, "y": y}, check=False)
