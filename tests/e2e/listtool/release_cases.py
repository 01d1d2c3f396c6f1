"""The release command, after listtool_release_build has made a release in
its build folders (--first-build-root, its medium in --first-release).

reproducible: the same sources, copied to another folder and built there
in fresh build folders, give byte for byte the same launcher, list tool,
medium and list file, and the command prints the same SHA-256 digests.

signed: signing with a throwaway CA's code-signing certificate (made here
with openssl) signs the medium's launcher and setup programs with that
certificate, the published setups are the signed ones, and the list
carries their digests. A key that does not belong to the certificate, and
a signature that does not verify against the given roots (a PKCS#12 file
signs, another CA is trusted), each stop the release with a clear message
and leave nothing in OUTDIR. These runs reuse the first build folders."""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys

from release_run import Checks, files_under, make_inputs, read, reported_files, reported_md5, run_release

TOOL = "x86_64/tools/listtool/ovn6list.exe"
SIGNED = ["medium/ovn6launcher.exe", "medium/ovn6setup/setup32.exe", "medium/ovn6setup/setup64.exe",
          "publish/setup32.exe", "publish/setup64.exe"]


def sha256(path):
    return hashlib.sha256(read(path)).hexdigest()


def reproducible(args, checks, work):
    source = os.path.join(work, "source")
    # The sources as they are, without build folders or history.
    shutil.copytree(args.source, source,
                    ignore=lambda folder, names: {"build", ".git"} & set(names) if folder == args.source else [])
    out = os.path.join(work, "release")
    status, output = run_release(source, out, make_inputs(os.path.join(work, "inputs"), args.standin),
                                 args.list_port, os.path.join(work, "build"))
    if not checks.check(status == 0, "the release from the copy succeeds (exit %d)" % status):
        print(output[-4000:])
        return
    first = os.path.join(args.first_release, "medium", "ovn6launcher.exe")
    again = os.path.join(out, "medium", "ovn6launcher.exe")
    print("launcher SHA-256: %s (first), %s (again)" % (sha256(first), sha256(again)))
    checks.check(read(first) == read(again), "the launcher is the same, byte for byte")
    checks.check(read(os.path.join(args.first_build_root, TOOL)) == read(os.path.join(work, "build", TOOL)),
                 "the list tool is the same, byte for byte")
    for name in sorted(files_under(args.first_release)):
        checks.check(read(os.path.join(args.first_release, name)) == read(os.path.join(out, name)),
                     "%s is the same" % name)
    first_output = read(args.first_release + ".log").decode("utf-8", "replace")
    checks.check(reported_files(first_output) == reported_files(output) and reported_files(output),
                 "both runs print the same sizes and SHA-256 digests")


def make_certificates(folder):
    """A CA, a code-signing certificate it issued with its key, a key of
    another, that certificate in a PKCS#12 file with a password, another CA."""
    def openssl(*arguments):
        subprocess.run(["openssl"] + list(arguments), cwd=folder, check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    for ca in ("ca", "other-ca"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca + ".key", "-out", ca + ".pem",
                "-days", "2", "-subj", "/CN=Throwaway test " + ca, "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
            "-subj", "/CN=Orvane release test signer")
    with open(os.path.join(folder, "signer.ext"), "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
    openssl("x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
            "-out", "signer.pem", "-days", "2", "-extfile", "signer.ext")
    openssl("genrsa", "-out", "wrong.key", "2048")
    with open(os.path.join(folder, "pass.txt"), "w") as f:
        f.write("release test password\n")
    openssl("pkcs12", "-export", "-in", "signer.pem", "-inkey", "signer.key", "-out", "signer.p12",
            "-passout", "file:pass.txt")
    return lambda name: os.path.join(folder, name)


def verifies(path, ca, certificate):
    leaf = subprocess.run(["openssl", "x509", "-in", certificate, "-outform", "DER"], check=True,
                          capture_output=True).stdout
    done = subprocess.run(["osslsigncode", "verify", "-in", path, "-CAfile", ca,
                           "-require-leaf-hash", "sha256:" + hashlib.sha256(leaf).hexdigest()],
                          stdin=subprocess.DEVNULL, capture_output=True)
    return done.returncode == 0


def signed(args, checks, work):
    certificates = os.path.join(work, "certificates")
    os.makedirs(certificates)
    file = make_certificates(certificates)
    inputs = make_inputs(os.path.join(work, "inputs"), args.standin)
    out = os.path.join(work, "signed")
    status, output = run_release(args.source, out, inputs, args.list_port, args.first_build_root,
                                 ["--sign-cert", file("signer.pem"), "--sign-key", file("signer.key"),
                                  "--sign-ca", file("ca.pem")])
    if not checks.check(status == 0, "the signed release succeeds (exit %d)" % status):
        print(output[-4000:])
        return
    for name in SIGNED:
        checks.check(verifies(os.path.join(out, name), file("ca.pem"), file("signer.pem")),
                     "%s carries a signature by the test certificate that verifies" % name)
    given = {"setup32": inputs["setup32"][1], "setup64": inputs["setup64"][1]}
    for key, data in given.items():
        checks.check(read(os.path.join(out, "medium", "ovn6setup", key + ".exe")) != data,
                     "ovn6setup/%s.exe is not the file given but its signed copy" % key)
        checks.check(read(os.path.join(out, "publish", key + ".exe")) ==
                     read(os.path.join(out, "medium", "ovn6setup", key + ".exe")),
                     "publish/%s.exe is the medium's signed one" % key)
    signed_md5 = [hashlib.md5(read(os.path.join(out, "medium", "ovn6setup", name))).hexdigest()
                  for name in ("setup32.exe", "setup64.exe", "ovn6manual.pdf")]
    list_md5 = [line.split()[2] for line in read(os.path.join(out, "publish", "installer6.lt")).decode().split("\r\n")[1:]
                if line]
    checks.check(list_md5 == signed_md5, "the list carries the digests of the signed files: %r" % list_md5)
    checks.check([digest for _, _, digest in reported_md5(output)] == signed_md5, "and the command prints them")

    failures = [("wrong-key", ["--sign-cert", file("signer.pem"), "--sign-key", file("wrong.key"),
                               "--sign-ca", file("ca.pem")], "does not belong to the certificate"),
                ("other-ca", ["--sign-pkcs12", file("signer.p12"), "--sign-pass-file", file("pass.txt"),
                              "--sign-ca", file("other-ca.pem")], "does not verify against")]
    for name, options, message in failures:
        out = os.path.join(work, name)
        status, output = run_release(args.source, out, inputs, args.list_port, args.first_build_root, options)
        checks.check(status != 0 and message in output, "%s: the release stops saying \"%s\" (exit %d): %s"
                     % (name, message, status, output.strip().splitlines()[-1:]))
        checks.check(not files_under(out), "%s: nothing is left in OUTDIR, publish/ is empty: %s"
                     % (name, sorted(files_under(out))))
    checks.check("signing the launcher" in output, "other-ca: the PKCS#12 file signed before verification failed")


CASES = {"reproducible": reproducible, "signed": signed}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True)
    parser.add_argument("--standin", required=True, help="ovn_standin_setup.exe, used as the setup programs")
    parser.add_argument("--first-release", required=True, help="the release of listtool_release_build")
    parser.add_argument("--first-build-root", required=True, help="its build folders")
    parser.add_argument("--work", required=True, help="a folder of this test's own")
    parser.add_argument("--list-port", type=int, required=True)
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    args = parser.parse_args()
    checks = Checks()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    CASES[args.case](args, checks, args.work)
    print("%d check(s) failed" % checks.failed if checks.failed else "all checks passed")
    if not checks.failed:
        shutil.rmtree(args.work, ignore_errors=True)
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
