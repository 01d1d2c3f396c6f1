"""Runs the release command for the release tests: the given files, the
loopback list server's addresses, and what the command reports."""

import os
import re
import subprocess

VERSION = "6.0.21.4"
# The build of a fresh tree takes minutes on this machine.
RELEASE_TIMEOUT_S = 1500
REPORTED_FILE = re.compile(r"^  (\S+) +(\d+) bytes  sha256 ([0-9a-f]{64})$", re.M)
REPORTED_MD5 = re.compile(r"^  (\S+) +(\S+) +md5 ([0-9a-f]{32})$", re.M)


class Checks:
    """Prints every check as it goes and counts the failed ones."""

    def __init__(self):
        self.failed = 0

    def check(self, condition, what):
        print("%s %s" % ("ok  " if condition else "FAIL", what), flush=True)
        if not condition:
            self.failed += 1
        return condition


def read(path):
    with open(path, "rb") as f:
        return f.read()


def make_inputs(folder, standin):
    """The setup programs and the manual that a release is given, always the
    same bytes: {"setup32": (path, bytes), ...}."""
    os.makedirs(folder, exist_ok=True)
    standin = read(standin)
    given = {
        "setup32": standin + b"\0ovn-test-tag:release 32-bit",
        "setup64": standin + b"\0ovn-test-tag:release 64-bit",
        "manual": b"%PDF-1.4\n% the released manual\n%%EOF\n",
    }
    inputs = {}
    for key, data in given.items():
        path = os.path.join(folder, key + (".pdf" if key == "manual" else ".exe"))
        with open(path, "wb") as f:
            f.write(data)
        inputs[key] = (path, data)
    return inputs


def addresses(list_port):
    """(base address of the setup programs, manual page)."""
    return ("http://127.0.0.1:%d/ovn6/%s" % (list_port, VERSION),
            "http://127.0.0.1:%d/ovn6/manual.html" % list_port)


def run_release(source, out, inputs, list_port, build_root, extra=(), env=None):
    """(exit status, everything the command printed)."""
    base_url, manual_page = addresses(list_port)
    command = ["bash", os.path.join(source, "tools", "release.sh"), out,
               "--version", VERSION, "--setup32", inputs["setup32"][0], "--setup64", inputs["setup64"][0],
               "--manual", inputs["manual"][0], "--base-url", base_url, "--manual-page", manual_page,
               "--list-host", "127.0.0.1", "--list-port", str(list_port), "--build-root", build_root] + list(extra)
    log = out.rstrip("/") + ".log"
    with open(log, "wb") as f:
        status = subprocess.call(command, stdin=subprocess.DEVNULL, stdout=f, stderr=subprocess.STDOUT,
                                 timeout=RELEASE_TIMEOUT_S, env=env)
    return status, read(log).decode("utf-8", "replace")


def reported_files(output):
    """{path under OUTDIR: (size, SHA-256)} as the command printed them."""
    return {path: (int(size), digest) for path, size, digest in REPORTED_FILE.findall(output)}


def reported_md5(output):
    """[(platform, version, MD5)] that the command says the list carries."""
    return REPORTED_MD5.findall(output)


def files_under(folder):
    found = set()
    for base, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(base, name), folder).replace(os.sep, "/"))
    return found
