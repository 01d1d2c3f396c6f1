"""One launcher on a medium folder of its own, with the list-file server,
the stand-in setup program and the shell recorder, for the end-to-end
tests of the install and manual runs.

The medium is made per test under the build's output folder: the launcher
beside ovn6setup/ with stand-in setup programs (each a copy of the stand-in
with a tag appended, so copies differ in digest but run alike) and a
manual PDF. The list file and downloads are served on the fixed port the
test build's launcher asks (127.0.0.1:OVN_LIST_PORT) by the project's
scriptable server, run here in-process so a test can hold a request back
("gate") until it has done something in between.
"""

import hashlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
E2E = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(E2E, "window"))
sys.path.insert(0, os.path.join(E2E, "driver"))
sys.path.insert(0, os.path.join(os.path.dirname(E2E), "servers"))
sys.path.insert(0, os.path.join(os.path.dirname(E2E), "signing"))

import http_test_server  # noqa: E402
from launcher_session import (ID_CHOOSE_FOLDER, ID_GUIDE, ID_OK, ID_READER, WINDOW_CLASS,  # noqa: E402,F401
                              Launchers)
from ovn_driver import windows_path  # noqa: E402
from run_with_servers import lock_fixed_port  # noqa: E402
import throwaway_signing  # noqa: E402

LIST_PATH = "/launcher/installer6.lt"
# The Windows the build's prefix plays (its OVN_TEST_WINDOWS): 64-bit
# Windows takes setup64.exe and the list's 64bit lines, 32-bit Windows
# setup32.exe and the 32bit lines.
SIXTY_FOUR_BIT = os.environ.get("OVN_TEST_WINDOWS", "win64") == "win64"
SETUP_NAME = "setup64.exe" if SIXTY_FOUR_BIT else "setup32.exe"
OTHER_SETUP_NAME = "setup32.exe" if SIXTY_FOUR_BIT else "setup64.exe"
LIST_PLATFORM = "64bit" if SIXTY_FOUR_BIT else "32bit"
SETUP_URL_PATH = "/ovn6/" + SETUP_NAME
RELEASE_PAGE = "http://127.0.0.1/ovn10/"
MANUAL_PAGE = "http://127.0.0.1/ovn6/manual.html"
# Pages a list file may name that are no web addresses: a program, one on a
# share, a file address. The launcher gives none of them to the shell (it
# would start the program), but the web address in capitals after them.
NON_WEB_PAGES = ("C:\\Windows\\notepad.exe", "\\\\host\\share\\x.exe", "file:///C:/x.exe")
CAPITALS_WEB_PAGE = "HTTP://EXAMPLE/x"
# The program the first of them names, as its command line shows in /proc.
NON_WEB_PROGRAM = "notepad.exe"
# The fixed pages the launcher falls back to (see launcher/open_document.cpp).
SUPPORT_PAGE_PATH = "/cs/"
READER_PAGE_PATH = "/products/acrobat/readstep2.html"
CAPTION = "ovn6launcher"
IDOK, IDYES, IDNO = 1, 6, 7
LOG_OPTION = ' /L*v ".\\instlog.txt"'

TEXT = {
    104: "最新インストーラーのダウンロードに失敗しました。\n既存のインストーラーを使用してインストールを行うことができます。\n"
         "このままインストールを行いますか？",
    105: "最新インストーラーのダウンロードに失敗しました。\nインストールを行えません。",
    106: "新しいバージョンの「Orvane」(version %s)がリリースされています。ミルベクのホームページを見てください。",
    107: "新しいバージョンの「Orvane」がリリースされています。\n古いバージョンの「Orvane 6.0」のインストールを行いますか？",
    108: "管理者権限が必要です。",
    111: "「Orvane」のマニュアルを閲覧するためには「Adobe(R) Reader(R)」が必要です。\n"
         "アドビ システムズ社のウェブサイトから「Adobe(R) Reader(R)」をダウンロードしてください。",
    112: "ミルベク株式会社のウェブサイトで最新版の「Orvane」マニュアルを配信しています。\n最新版マニュアルページをご覧ください。",
    113: "最新のインストーラーが配信されていないか確認しています\nしばらくお待ちください",
    114: "最新のインストーラーをダウンロードしています\nしばらくお待ちください",
}
# The buttons each message box must offer.
BUTTONS = {104: {IDYES, IDNO}, 105: {IDOK}, 106: {IDYES, IDNO}, 107: {IDYES, IDNO}, 108: {IDOK},
           111: {IDOK}, 112: {IDYES, IDNO}}

BOX_TIMEOUT_MS = 30000
IDLE_TIMEOUT_S = 30
GATE_TIMEOUT_S = 60
# Message boxes under Xvfb take about 2 s to go after being answered.
BOX_GONE_TIMEOUT_MS = 15000


def md5(data):
    return hashlib.md5(data).hexdigest()


def command_line(easy, with_log):
    """The parameters the launcher gives a setup program."""
    return '/v"SETUP_EASY_INSTALL="%s"%s"' % ("1" if easy else "0", LOG_OPTION if with_log else "")


def poll(condition, timeout_s, interval_s=0.2):
    deadline = time.monotonic() + timeout_s
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            return value
        time.sleep(interval_s)


class GatedHandler(http_test_server.Handler):
    """The scriptable server's handler; a request for a gated path waits
    until the test opens that gate."""

    def _gated_serve(self):
        gate = self.server.gates.get(self.path.split("?", 1)[0])
        if gate is not None:
            self.server.arrived.add(self.path.split("?", 1)[0])
            gate.wait(GATE_TIMEOUT_S)
        return self._serve()

    do_GET = _gated_serve


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)
            print("FAIL: " + message, flush=True)
        return condition

    def equal(self, expected, actual, what):
        return self.check(expected == actual, "%s: expected %r, got %r" % (what, expected, actual))


class FlowSession:
    def __init__(self, args, name):
        self.args = args
        self.failures = Failures()
        self.work = os.path.join(args.out, name)
        shutil.rmtree(self.work, ignore_errors=True)
        self.medium = os.path.join(self.work, "medium")
        self.medium_setup_dir = os.path.join(self.medium, "ovn6setup")
        os.makedirs(self.medium_setup_dir)
        self.launcher = os.path.join(self.medium, "ovn6launcher.exe")
        shutil.copyfile(args.launcher, self.launcher)
        with open(args.standin, "rb") as f:
            self.standin = f.read()
        self.record = os.path.join(self.work, "standin-record.txt")
        self.shell_log = os.path.join(self.work, "shell-recorder.log")
        self.server_record = os.path.join(self.work, "server-record.txt")
        self.routes = os.path.join(self.work, "routes.txt")
        open(self.routes, "w").close()
        # Programs the launcher starts inherit this (the recorder reads it).
        os.environ["OVN_SHELL_RECORDER_LOG"] = windows_path(self.shell_log)
        self.temp_setup_dir = os.path.join(args.prefix, "drive_c", "users", "root", "Temp", "ovn6setup")
        shutil.rmtree(self.temp_setup_dir, ignore_errors=True)
        self.port_lock = lock_fixed_port(args.list_port)
        self.server = None
        self.launchers = Launchers(args)
        self.driver = self.launchers.driver
        self.pid = None
        self.hwnd = None

    # The medium and the temporary folder.
    def setup_bytes(self, tag):
        return self.standin + b"\0ovn-test-tag:" + tag.encode()

    def put_setup(self, folder, tag, name=SETUP_NAME, exit_code=0, sleep_ms=0, data=None):
        """Writes a stand-in setup (data, or one tagged tag) and its standin.ini; returns its digest."""
        os.makedirs(folder, exist_ok=True)
        data = data if data is not None else self.setup_bytes(tag)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        self.write_ini(folder, exit_code, sleep_ms)
        return md5(data)

    def write_ini(self, folder, exit_code=0, sleep_ms=0):
        with open(os.path.join(folder, "standin.ini"), "w", encoding="utf-16") as f:
            f.write("[standin]\r\nexit_code=%d\r\nsleep_ms=%d\r\nrecord=%s\r\n"
                    % (exit_code, sleep_ms, windows_path(self.record)))

    # A launcher signed by its publisher, and setups signed by whom a test
    # chooses (None: unsigned), with certificates made for this test.
    def sign_launcher(self):
        self.certificates = throwaway_signing.Certificates(os.path.join(self.work, "certificates"))
        self.certificates.sign_in_place(self.launcher)

    def signed_setup_bytes(self, tag, signer="publisher", altered=False):
        path = os.path.join(self.work, "signing.exe")
        with open(path, "wb") as f:
            f.write(self.setup_bytes(tag))
        if signer:
            self.certificates.sign_in_place(path, signer)
        if altered:
            throwaway_signing.alter(path)
        with open(path, "rb") as f:
            return f.read()

    def put_medium_setup(self, tag="medium", **options):
        return self.put_setup(self.medium_setup_dir, tag, **options)

    def put_temp_setup(self, tag="earlier download", **options):
        return self.put_setup(self.temp_setup_dir, tag, **options)

    def put_manual(self, data=b"%PDF-1.4\n% the manual on the medium\n%%EOF\n"):
        with open(os.path.join(self.medium_setup_dir, "ovn6manual.pdf"), "wb") as f:
            f.write(data)
        return md5(data)

    @property
    def manual_windows_path(self):
        return windows_path(os.path.join(self.medium_setup_dir, "ovn6manual.pdf"))

    # The list-file server.
    def serve(self, list_lines=None, files=None, gates=()):
        """Serves a list file (None: 404) and files {url path: bytes}. A
        later call changes what the running server answers."""
        routes = []
        if list_lines is not None:
            self._write("installer6.lt", ("ORVANE 6.0 installer list\r\n" + "".join(
                line + "\r\n" for line in list_lines)).encode("ascii"))
            routes.append("%s 200 installer6.lt" % LIST_PATH)
        else:
            routes.append("%s 404 -" % LIST_PATH)
        for i, (path, data) in enumerate((files or {}).items()):
            self._write("file%d.bin" % i, data)
            routes.append("%s 200 file%d.bin" % (path, i))
        with open(self.routes, "w") as f:
            f.write("\n".join(routes) + "\n")
        if self.server is None:
            server = http_test_server.Server(("127.0.0.1", self.args.list_port), GatedHandler)
            server.record = self.server_record
            server.routes = self.routes
            server.arrived = set()
            open(self.server_record, "a").close()
            threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True).start()
            self.server = server
        self.server.gates = {path: threading.Event() for path in gates}

    def _write(self, name, data):
        with open(os.path.join(self.work, name), "wb") as f:
            f.write(data)

    def setup_line(self, digest, url_path=SETUP_URL_PATH):
        return "%s 6.0.21.4 %s http://127.0.0.1:%d%s" % (LIST_PLATFORM, digest, self.args.list_port, url_path)

    def wait_arrived(self, path, timeout_s=IDLE_TIMEOUT_S):
        return poll(lambda: path in self.server.arrived, timeout_s)

    def open_gate(self, path):
        self.server.gates[path].set()

    def requests(self):
        """The paths the server was asked for, in order."""
        if not os.path.exists(self.server_record):
            return []
        with open(self.server_record, encoding="latin-1") as f:
            return [line.split("\t")[1] for line in f if line.strip()]

    # The launcher.
    def start(self, check_box=False):
        self.pid, info = self.launchers.start(self.launcher)
        self.hwnd = info["hwnd"]
        if check_box:
            self.driver.toggle(self.hwnd, ID_CHOOSE_FOLDER)
        return info

    def click(self, control_id):
        self.driver.click(self.hwnd, control_id)

    def post_command(self, control_id):
        """The command of control_id sent to the launcher window directly,
        as if its button had been clicked while enabled."""
        subprocess.run([self.args.emulator, self.args.post_command, self.hwnd, str(control_id)],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60, check=True)

    def controls(self):
        info = self.driver.info(self.hwnd)
        return {c["id"]: c for c in info["controls"]}

    def progress_windows(self):
        return [w for w in self.driver.find_windows("#32770", self.pid)
                if "message" not in w and any(c["id"] == 1003 for c in w["controls"])]

    def progress_text(self):
        """The text of the progress window while it shows; None when hidden."""
        for window in self.progress_windows():
            if window["visible"]:
                return next(c["text"] for c in window["controls"] if c["id"] == 1003).replace("\r\n", "\n")
        return None

    def message_boxes(self):
        return [w for w in self.driver.find_windows("#32770", self.pid, include_hidden=False)
                if "message" in w]

    def wait_box(self, text_id, timeout_ms=BOX_TIMEOUT_MS, argument=None):
        """Waits for a message box, checks it is text_id; returns it or None."""
        box = self.driver.call("wait-msgbox", {"pid": self.pid}, check=False, timeout_ms=timeout_ms)
        if not self.failures.check(box and "message" in box, "message %d shown" % text_id):
            return None
        expected = TEXT[text_id] % argument if argument is not None else TEXT[text_id]
        self.failures.equal(expected, box["message"].replace("\r\n", "\n"), "text of message %d" % text_id)
        self.failures.equal(CAPTION, box["caption"], "caption of message %d" % text_id)
        self.failures.equal(self.hwnd, box["owner"], "owner of message %d" % text_id)
        ids = {c["id"] for c in box["controls"] if c["class"].lower() == "button"}
        self.failures.equal(BUTTONS[text_id], ids, "buttons of message %d" % text_id)
        self.failures.check(box.get("message_icon"), "message %d has an icon" % text_id)
        return box

    def answer(self, box, button_id):
        if box:
            self.driver.answer(box["hwnd"], button_id)
            self.driver.call("wait-gone", {"hwnd": box["hwnd"]}, check=False, timeout_ms=BOX_GONE_TIMEOUT_MS)

    def expect_box(self, text_id, button_id, argument=None):
        self.answer(self.wait_box(text_id, argument=argument), button_id)

    def idle(self):
        """Install and the check box enabled, the progress window hidden,
        no message box."""
        controls = self.controls()
        return (controls[ID_OK]["enabled"] and controls[ID_CHOOSE_FOLDER]["enabled"]
                and controls[ID_GUIDE]["enabled"]
                and not any(w["visible"] for w in self.progress_windows()) and not self.message_boxes())

    def wait_idle(self, timeout_s=IDLE_TIMEOUT_S):
        return self.failures.check(poll(self.idle, timeout_s), "the launcher is idle again after the run")

    def wait_run_end(self, evidence, timeout_s=IDLE_TIMEOUT_S):
        """After evidence() holds, waits for the launcher to become idle and
        checks that no message box came."""
        self.failures.check(poll(evidence, timeout_s), "the run got as far as expected")
        self.wait_idle(timeout_s)
        self.failures.equal([], [b.get("message") for b in self.message_boxes()], "message boxes after the run")

    # What the run did.
    def runs(self):
        """The stand-in's records, one dict per start (property: list)."""
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="utf-8") as f:
            text = f.read()
        runs = []
        current = None
        for line in text.splitlines():
            if line == "[run]":
                current = {"property": []}
            elif line == "end" and current is not None:
                runs.append(current)
                current = None
            elif current is not None and "=" in line:
                key, value = line.split("=", 1)
                if key == "property":
                    current["property"].append(value)
                else:
                    current[key] = value
        return runs

    def check_one_run(self, folder_kind, easy, with_log):
        """Exactly one setup started, from the medium or the temporary
        folder, with the expected parameters."""
        runs = self.runs()
        if not self.failures.equal(1, len(runs), "setup starts"):
            return None
        run = runs[0]
        expected_folder = (windows_path(self.medium_setup_dir) if folder_kind == "medium"
                           else "C:\\users\\root\\Temp\\ovn6setup")
        self.failures.equal(expected_folder.lower(), run.get("working_folder", "").rstrip("\\").lower(),
                            "working folder of the setup")
        self.failures.check(run.get("command_line", "").endswith(" " + command_line(easy, with_log)),
                            "command line %r ends with %r" % (run.get("command_line"), command_line(easy, with_log)))
        self.failures.equal(["SETUP_EASY_INSTALL=%s" % ("1" if easy else "0")], run["property"],
                            "installer properties")
        return run

    def windows_medium_setup(self):
        return windows_path(os.path.join(self.medium_setup_dir, SETUP_NAME))

    def file_attempts(self, windows_target):
        """What another program manages to do to a file: {"write", "rename",
        "delete"} each True or False."""
        with tempfile.TemporaryFile() as out:
            subprocess.run([self.args.emulator, self.args.file_attempts, windows_target], stdin=subprocess.DEVNULL,
                           stdout=out, stderr=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            text = out.read().decode("utf-8", "replace").strip()
        answer = json.loads(text) if text else None
        print("file attempts:", text, flush=True)
        return {key: answer.get(key) for key in ("write", "rename", "delete")} if answer else None

    def shell_opened(self):
        if not os.path.exists(self.shell_log):
            return []
        with open(self.shell_log, encoding="utf-8") as f:
            return [line.strip() for line in f if line.strip()]

    def check_not_started(self, program):
        """Checks that no program named program runs in the build's Wine
        prefix; one that does was started through the launcher and is
        ended."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    command = f.read().decode("utf-8", "replace").lower()
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environment = f.read().split(b"\0")
            except OSError:
                continue  # gone, or not ours to read
            if program.lower() in command and ("WINEPREFIX=" + self.args.prefix).encode() in environment:
                found.append(command.replace("\0", " ").strip())
                try:
                    os.kill(int(pid), signal.SIGTERM)
                except OSError:
                    pass  # it ended meanwhile
        self.failures.equal([], found, "programs %s started" % program)

    def temp_digest(self, name=SETUP_NAME):
        """The digest of a file in the temporary folder; None when missing."""
        data = self.temp_file(name)
        return None if data is None else md5(data)

    def temp_file(self, name=SETUP_NAME):
        path = os.path.join(self.temp_setup_dir, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def check_close_refused(self):
        """Cancel while a run goes on leaves the launcher open."""
        self.driver.send("cancel", self.hwnd)
        ended = self.driver.wait_exit(self.pid, timeout_ms=1000).get("ended")
        info = self.driver.call("info", {"hwnd": self.hwnd}, check=False)
        self.failures.check(not ended and info and "error" not in info, "close is refused while a run goes on")

    def close(self):
        """After the run, Cancel ends the launcher."""
        self.driver.send("cancel", self.hwnd)
        self.failures.check(self.launchers.wait_end(self.pid), "close works after the run")

    def finish(self):
        try:
            self.launchers.end_all()
        finally:
            if self.server:
                for gate in self.server.gates.values():
                    gate.set()
                http_test_server.STOP.set()
                self.server.shutdown()
                self.server.server_close()
            self.port_lock.close()
            shutil.rmtree(self.temp_setup_dir, ignore_errors=True)
        if self.failures.messages:
            print("%d check(s) failed" % len(self.failures.messages))
            return 1
        print("all checks passed")
        return 0


def run_case(description, cases, name_prefix):
    """Runs the one case named on the command line in a session of its own
    and returns the process's exit status."""
    from flow_args import arguments
    args = arguments(description, cases)
    session = FlowSession(args, name_prefix + args.case)
    try:
        cases[args.case](session)
        if session.pid and not session.failures.messages:
            session.close()
    finally:
        status = session.finish()
    return status
