"""write makes a list file whose digests are the files' MD5 and which
check passes without a warning on both machine types; write refuses
inputs that would give a broken entry and then leaves the old file alone;
check's exit codes tell a clean list, warnings (--strict), an unserved
machine type and an unreadable file apart."""

import argparse
import hashlib
import os
import shutil
import sys
import tempfile

from listtool_run import run_tool, windows_path

VERSION = "6.0.21.4"
URL32 = "http://downloads.example.test/ovn6/setup32.exe"
URL64 = "https://downloads.example.test:8443/ovn6/setup64.exe?build=21"
PAGE = "http://www.example.test/ovn6/manual/"
NEWER = "7.0.0.1"
NEWER_PAGE = "http://www.example.test/ovn7/"
OLD_CONTENT = b"the list published before\r\n"


class Checks:
    def __init__(self):
        self.failed = 0

    def check(self, condition, what):
        print("%s %s" % ("ok  " if condition else "FAIL", what))
        if not condition:
            self.failed += 1
        return condition


def make_files(folder):
    files = {
        "setup32": os.path.join(folder, "setup32.exe"),
        "setup64": os.path.join(folder, "setup64.exe"),
        # A name outside ASCII: the digest goes through the launcher's own
        # path conversion.
        "manual": os.path.join(folder, "マニュアル.pdf"),
    }
    contents = {
        "setup32": os.urandom(70000),
        "setup64": os.urandom(64) * 1000 + b"tail",
        "manual": b"%PDF-1.4\n%%EOF\n",
    }
    for key, path in files.items():
        with open(path, "wb") as f:
            f.write(contents[key])
    return files, {key: hashlib.md5(data).hexdigest() for key, data in contents.items()}


def write_args(out, files, **overrides):
    options = {
        "--out": [windows_path(out)],
        "--version": [VERSION],
        "--setup32": [windows_path(files["setup32"]), URL32],
        "--setup64": [windows_path(files["setup64"]), URL64],
        "--manual": [windows_path(files["manual"]), PAGE],
    }
    options.update(overrides)
    args = ["write"]
    for name, values in options.items():
        if values is not None:
            args += [name] + values
    return args


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()
    checks = Checks()
    work = tempfile.mkdtemp(prefix="ovn-listtool-")

    def tool(tool_args):
        return run_tool(args.emulator, args.tool, tool_args)

    try:
        files, digests = make_files(work)
        for newer in (False, True):
            out = os.path.join(work, "installer6%s.lt" % ("-newer" if newer else ""))
            extra = {"--newer": [NEWER, NEWER_PAGE]} if newer else {}
            code, _, errors = tool(write_args(out, files, **extra))
            checks.check(code == 0, "write exits 0 (newer release: %s) %s" % (newer, errors))
            with open(out, "rb") as f:
                lines = f.read().decode("ascii").split("\r\n")
            expected = ["32bit %s %s %s" % (VERSION, digests["setup32"], URL32),
                        "64bit %s %s %s" % (VERSION, digests["setup64"], URL64),
                        "both manual %s %s" % (digests["manual"], PAGE)]
            if newer:
                expected.append("both %s - %s" % (NEWER, NEWER_PAGE))
            checks.check(lines[1:] == expected + [""], "entries with the files' digests: %r" % lines)

            code, report, _ = tool(["check", "--strict", windows_path(out)])
            text = report.decode("ascii")
            checks.check(code == 0, "check --strict passes what write wrote (exit %d)" % code)
            checks.check("\n0 warnings; both machine types get a usable entry\n" in text, "no warning")
            for machine, key, url in (("32-bit", "setup32", URL32), ("64-bit", "setup64", URL64)):
                section = text.split(machine + " machines:\n", 1)[1]
                checks.check(section.startswith("  latest installer: version %s, digest %s, address %s"
                                                % (VERSION, digests[key], url)),
                             "%s machines take their own installer" % machine)
                newer_text = ("version %s, page %s" % (NEWER, NEWER_PAGE)) if newer else "none"
                checks.check("  newer release:    %s" % newer_text in section, "%s newer release" % machine)

        # Refused inputs: nothing is written, the published file stays.
        out = os.path.join(work, "published.lt")
        refused = {
            "three-part version": {"--version": ["6.0.21"]},
            "version of another release": {"--version": ["7.0.21.4"]},
            "newer release that is not newer": {"--newer": ["6.1.0.0", NEWER_PAGE]},
            "address with a space": {"--setup64": [windows_path(files["setup64"]), URL64 + " x"]},
            "address that is not a web address": {"--setup32": [windows_path(files["setup32"]),
                                                               "downloads.example.test/setup32.exe"]},
            "missing setup program": {"--setup64": [windows_path(os.path.join(work, "none.exe")), URL64]},
            "folder as the manual": {"--manual": [windows_path(work), PAGE]},
            "missing option": {"--manual": None},
        }
        for what, override in refused.items():
            with open(out, "wb") as f:
                f.write(OLD_CONTENT)
            code, _, errors = tool(write_args(out, files, **override))
            with open(out, "rb") as f:
                kept = f.read() == OLD_CONTENT
            checks.check(code == 3 and kept and errors.startswith("ovn6list: "),
                         "write refuses a %s (exit %d, old file kept: %s) %s" % (what, code, kept, errors.strip()))
        checks.check(not [n for n in os.listdir(work) if n.endswith(".writing")], "no half-written file left")

        code, _, _ = tool(["check", "--strict", windows_path(os.path.join(args.corpus, "upper_case_digest.lt"))])
        checks.check(code == 1, "check --strict exits 1 on warnings (got %d)" % code)
        # Fields far longer than any real one: reported, not a crash.
        long_list = os.path.join(work, "long-fields.lt")
        with open(long_list, "wb") as f:
            f.write(b"header\nboth " + b"1." * 200000 + b" x y\nboth 6.0.0." + b"7" * 100000 + b" " +
                    b"a" * 32 + b" http://x/\n")
        code, report, _ = tool(["check", windows_path(long_list)])
        checks.check(code == 0 and b"line 2: version: second field of 400000 bytes" in report
                     and b"line 3: version-text:" in report, "check reports fields of 100000s of bytes (exit %d)" % code)
        code, _, _ = tool(["check", windows_path(os.path.join(work, "absent.lt"))])
        checks.check(code == 4, "check exits 4 on a file it cannot read (got %d)" % code)
        code, _, _ = tool(["verify"])
        checks.check(code == 3, "an unknown command exits 3 (got %d)" % code)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d check(s) failed" % checks.failed if checks.failed else "all checks passed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
