"""Runs ovn6list.exe under Wine for the list tool's tests."""

import os
import subprocess
import tempfile

# A cold Wine start on a busy machine takes a while.
RUN_TIMEOUT_S = 120


def windows_path(unix_path):
    """The path as a Wine program sees it (drive Z: is the Unix root)."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def run_tool(emulator, tool, args):
    """Returns (exit code, stdout bytes with CR LF as LF, stderr text)."""
    # Files, not pipes: Wine's helper processes may hold a pipe open.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run([emulator, tool] + args, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=RUN_TIMEOUT_S)
        out.seek(0)
        err.seek(0)
        return (done.returncode, out.read().replace(b"\r\n", b"\n"),
                err.read().decode("cp932", "replace").replace("\r\n", "\n"))
