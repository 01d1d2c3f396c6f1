"""The launcher under Wine reading what the release engineers make, one
case per invocation (--case):

write_drives_install: a list file written by ovn6list names a newer
installer than the one on the medium; the launcher downloads it, accepts
its digest and runs it.

release_medium: the medium of the release command, with the x86_64 test
launcher in place of the i686 one, and its published list file: the
launcher finds the setup program beside itself (the list's digest matches,
so nothing is downloaded and it runs) and the manual (its digest matches,
so the shell is asked to open it)."""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "install"))

from flow_session import (ID_GUIDE, ID_OK, LIST_PATH, MANUAL_PAGE, SETUP_URL_PATH, FlowSession,  # noqa: E402
                          poll)
from listtool_run import run_tool, windows_path  # noqa: E402

VERSION = "6.0.21.4"
SETUP32_URL_PATH = "/ovn6/setup32.exe"
SHELL_TIMEOUT_S = 30


def serve_list(s, body, files):
    """Serves exactly this list file body, and the files."""
    s.serve([], files)
    # The server reads the body file again for every request.
    with open(os.path.join(s.work, "installer6.lt"), "wb") as f:
        f.write(body)


def write_drives_install(s, args):
    s.put_medium_setup("the release before")
    current = {"setup32.exe": s.setup_bytes("current 32-bit"), "setup64.exe": s.setup_bytes("current 64-bit"),
               "manual.pdf": b"%PDF-1.4\n%%EOF\n"}
    for name, data in current.items():
        with open(os.path.join(s.work, name), "wb") as f:
            f.write(data)
    url = "http://127.0.0.1:%d" % args.list_port
    written = os.path.join(s.work, "written.lt")
    code, _, errors = run_tool(args.emulator, args.tool, [
        "write", "--out", windows_path(written), "--version", VERSION,
        "--setup32", windows_path(os.path.join(s.work, "setup32.exe")), url + SETUP32_URL_PATH,
        "--setup64", windows_path(os.path.join(s.work, "setup64.exe")), url + SETUP_URL_PATH,
        "--manual", windows_path(os.path.join(s.work, "manual.pdf")), MANUAL_PAGE])
    if not s.failures.equal(0, code, "exit code of write (%s)" % errors.strip()):
        return
    with open(written, "rb") as f:
        serve_list(s, f.read(), {SETUP_URL_PATH: current["setup64.exe"], SETUP32_URL_PATH: current["setup32.exe"]})
    # Settings for the stand-in once downloaded; no setup program there yet.
    os.makedirs(s.temp_setup_dir, exist_ok=True)
    s.write_ini(s.temp_setup_dir)
    s.start()
    s.click(ID_OK)
    s.wait_run_end(s.runs)
    s.check_one_run("temporary", easy=True, with_log=True)
    s.failures.equal([LIST_PATH, SETUP_URL_PATH], s.requests(), "requests")
    s.failures.equal(current["setup64.exe"], s.temp_file(), "the installer the list names, downloaded")


def release_medium(s, args):
    release = os.path.join(args.release_dir, "medium")
    if not s.failures.check(os.path.isdir(release), "release medium at %s" % release):
        return
    # The release medium, with the test launcher in place of the i686 one.
    shutil.rmtree(s.medium)
    shutil.copytree(release, s.medium)
    shutil.copyfile(args.launcher, s.launcher)
    s.write_ini(s.medium_setup_dir)  # the stand-in's settings; not part of a real medium
    with open(os.path.join(args.release_dir, "publish", "installer6.lt"), "rb") as f:
        serve_list(s, f.read(), {})
    s.start()
    s.click(ID_OK)
    s.wait_run_end(s.runs)
    s.check_one_run("medium", easy=True, with_log=False)
    s.failures.equal([LIST_PATH], s.requests(), "requests: the list file only, nothing downloaded")
    s.click(ID_GUIDE)
    opened = poll(s.shell_opened, SHELL_TIMEOUT_S)
    s.failures.equal([s.manual_windows_path.lower()], [o.lower() for o in opened or []],
                     "the shell opens the manual on the medium")
    s.wait_idle()


CASES = {"write_drives_install": write_drives_install, "release_medium": release_medium}


def arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    for name in ("emulator", "driver", "launcher", "standin", "file-attempts", "source", "out", "prefix", "tool",
                 "release-dir"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--list-port", type=int, required=True)
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    return parser.parse_args()


def main():
    args = arguments()
    session = FlowSession(args, "listtool_" + args.case)
    try:
        CASES[args.case](session, args)
        if session.pid and not session.failures.messages:
            session.close()
    finally:
        status = session.finish()
    return status


if __name__ == "__main__":
    sys.exit(main())
