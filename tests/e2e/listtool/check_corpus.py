"""check on every list file of the corpus gives exactly the report and
exit code kept beside it (NAME.lt and NAME.expected; the expected file's
first line is "exit N", the rest is the report in the list's code page)."""

import argparse
import difflib
import glob
import os
import sys

from listtool_run import run_tool, windows_path


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--corpus", required=True)
    args = parser.parse_args()

    lists = sorted(glob.glob(os.path.join(args.corpus, "*.lt")))
    failed = []
    for path in lists:
        name = os.path.basename(path)
        with open(path[:-len(".lt")] + ".expected", "rb") as f:
            expected_head, _, expected_report = f.read().replace(b"\r\n", b"\n").partition(b"\n")
        code, report, errors = run_tool(args.emulator, args.tool, ["check", windows_path(path)])
        problems = []
        if expected_head != b"exit %d" % code:
            problems.append("%s, got exit %d %s" % (expected_head.decode(), code, errors))
        if report != expected_report:
            diff = difflib.unified_diff(expected_report.decode("cp932").splitlines(),
                                        report.decode("cp932", "replace").splitlines(),
                                        "expected", "got", lineterm="")
            problems.append("report differs:\n" + "\n".join(diff))
        print("%s %s" % ("FAIL" if problems else "ok  ", name))
        for problem in problems:
            print("  " + problem)
        if problems:
            failed.append(name)
    print("%d of %d list files as expected" % (len(lists) - len(failed), len(lists)))
    return 1 if failed or not lists else 0


if __name__ == "__main__":
    sys.exit(main())
