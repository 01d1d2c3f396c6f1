#!/usr/bin/env python3
"""Makes the demo: a medium folder (the launcher beside ovn6setup/ with
stand-in setup programs and a manual PDF) and the web site a local server
publishes for it (the installer list file and the current installers).

The installers on the site differ from those on the medium, so Install
checks the list, downloads the current installer into %temp%\\ovn6setup\\,
verifies it and starts it; the stand-in records each start in
setup-starts.txt of the demo folder.

usage: prepare_demo.py --launcher EXE --standin EXE --out DIR --port N
"""

import argparse
import hashlib
import os
import shutil

MANUAL_TEXT = ["Orvane 6.0 - demo manual", "",
               "Install checks the installer list file, downloads the current",
               "setup program when the one at hand is not current, and starts it."]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def manual_pdf():
    """A one-page PDF of the project's own with the lines above."""
    lines = "".join("(%s) Tj T* " % line.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")
                    for line in MANUAL_TEXT)
    stream = ("BT /F1 14 Tf 18 TL 72 760 Td %sET" % lines).encode("ascii")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        b"/Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n%s\nendstream" % (len(stream), stream),
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--port", type=int, required=True)
    args = parser.parse_args()

    with open(args.standin, "rb") as f:
        standin = f.read()
    shutil.rmtree(args.out, ignore_errors=True)
    medium = os.path.join(args.out, "medium")
    site = os.path.join(args.out, "site")
    record = os.path.join(args.out, "setup-starts.txt")
    ini = "[standin]\r\nexit_code=0\r\nsleep_ms=0\r\nrecord=%s\r\n" % windows_path(record)

    os.makedirs(os.path.join(medium, "ovn6setup"))
    shutil.copyfile(args.launcher, os.path.join(medium, "ovn6launcher.exe"))
    manual = manual_pdf()
    write(os.path.join(medium, "ovn6setup", "ovn6manual.pdf"), manual)
    write(os.path.join(medium, "ovn6setup", "standin.ini"), ini.encode("utf-16"))

    base = "http://127.0.0.1:%d" % args.port
    lines = ["ORVANE 6.0 installer list"]
    for bits in ("32", "64"):
        name = "setup%s.exe" % bits
        # Appended bytes set the copies apart without changing what they do.
        write(os.path.join(medium, "ovn6setup", name), standin + b"\0demo: on the medium")
        current = standin + b"\0demo: current release 6.0.21.4"
        write(os.path.join(site, "ovn6", name), current)
        lines.append("%sbit 6.0.21.4 %s %s/ovn6/%s" % (bits, hashlib.md5(current).hexdigest(), base, name))
    lines.append("both manual %s %s/ovn6/manual.html" % (hashlib.md5(manual).hexdigest(), base))
    write(os.path.join(site, "launcher", "installer6.lt"), ("\r\n".join(lines) + "\r\n").encode("ascii"))
    write(os.path.join(site, "ovn6", "manual.html"),
          b"<html><body><h1>Orvane 6.0 manual</h1><p>The demo's manual page.</p></body></html>\n")
    print(os.path.join(medium, "ovn6launcher.exe"))


if __name__ == "__main__":
    main()
