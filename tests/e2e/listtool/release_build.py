"""The release command builds the i686 launcher and lays out exactly the
medium the launcher expects (the launcher beside ovn6setup/ with the two
setup programs and the manual, byte for byte the files it was given),
and the list file to publish, written and checked by the list tool, with
the digests of those files; it prints the size and SHA-256 of every file
and the MD5 digests the list carries. The medium is left in --release-dir
for the launcher runs of listtool_cases.py and the build folders in
--build-root for release_cases.py."""

import argparse
import hashlib
import os
import shutil
import struct
import sys

from release_run import VERSION, Checks, addresses, files_under, make_inputs, read, reported_files, reported_md5, \
    run_release

I386_MACHINE = 0x14C
GUI_SUBSYSTEM = 2
MEDIUM_FILES = {"ovn6launcher.exe", "ovn6setup/setup32.exe", "ovn6setup/setup64.exe", "ovn6setup/ovn6manual.pdf"}
PUBLISH_FILES = {"installer6.lt", "setup32.exe", "setup64.exe"}


def pe_machine_and_subsystem(path):
    data = read(path)
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[header:header + 4] != b"PE\0\0":
        return None, None
    machine = struct.unpack_from("<H", data, header + 4)[0]
    subsystem = struct.unpack_from("<H", data, header + 24 + 68)[0]
    return machine, subsystem


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True)
    parser.add_argument("--standin", required=True, help="ovn_standin_setup.exe, used as the setup programs")
    parser.add_argument("--release-dir", required=True, help="where the release is made")
    parser.add_argument("--build-root", required=True, help="the release command's build folders")
    parser.add_argument("--list-port", type=int, required=True)
    args = parser.parse_args()
    checks = Checks()

    shutil.rmtree(args.release_dir, ignore_errors=True)
    inputs = make_inputs(args.release_dir + "-inputs", args.standin)
    given = {key: data for key, (_, data) in inputs.items()}
    base_url, manual_page = addresses(args.list_port)
    status, output = run_release(args.source, args.release_dir, inputs, args.list_port, args.build_root)
    if not checks.check(status == 0, "the release command succeeds (exit %d)" % status):
        print(output[-4000:])
        return 1

    medium = os.path.join(args.release_dir, "medium")
    checks.check(files_under(medium) == MEDIUM_FILES, "the medium holds exactly %s: %s"
                 % (sorted(MEDIUM_FILES), sorted(files_under(medium))))
    for key, name in (("setup32", "setup32.exe"), ("setup64", "setup64.exe"), ("manual", "ovn6manual.pdf")):
        checks.check(read(os.path.join(medium, "ovn6setup", name)) == given[key], "ovn6setup/%s is the file given" % name)
    machine, subsystem = pe_machine_and_subsystem(os.path.join(medium, "ovn6launcher.exe"))
    checks.check(machine == I386_MACHINE and subsystem == GUI_SUBSYSTEM,
                 "the launcher is a 32-bit Windows GUI program (machine 0x%x, subsystem %s)" % (machine or 0, subsystem))

    publish = os.path.join(args.release_dir, "publish")
    checks.check(files_under(publish) == PUBLISH_FILES, "publish/ holds %s" % sorted(PUBLISH_FILES))
    checks.check(read(os.path.join(publish, "setup64.exe")) == given["setup64"], "publish/setup64.exe is the file given")
    digest = {key: hashlib.md5(data).hexdigest() for key, data in given.items()}
    expected = ["32bit %s %s %s/setup32.exe" % (VERSION, digest["setup32"], base_url),
                "64bit %s %s %s/setup64.exe" % (VERSION, digest["setup64"], base_url),
                "both manual %s %s" % (digest["manual"], manual_page)]
    lines = read(os.path.join(publish, "installer6.lt")).decode("ascii").split("\r\n")
    checks.check(lines[1:] == expected + [""], "the list names the given files by their digests: %r" % lines)
    checks.check("0 warnings; both machine types get a usable entry" in output, "the release command checked the list")
    laid_out = {"medium/" + name for name in MEDIUM_FILES} | {"publish/" + name for name in PUBLISH_FILES}
    actual = {name: (len(data), hashlib.sha256(data).hexdigest())
              for name, data in ((n, read(os.path.join(args.release_dir, n))) for n in laid_out)}
    checks.check(reported_files(output) == actual, "it prints the size and SHA-256 of every file: %r"
                 % reported_files(output))
    carried = [("32bit", VERSION, digest["setup32"]), ("64bit", VERSION, digest["setup64"]),
               ("both", "manual", digest["manual"])]
    checks.check(reported_md5(output) == carried, "it prints the MD5 digests the list carries: %r"
                 % reported_md5(output))
    print("%d check(s) failed" % checks.failed if checks.failed else "all checks passed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
