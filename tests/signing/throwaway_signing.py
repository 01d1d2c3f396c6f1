"""Throwaway code-signing certificates made with openssl, and Authenticode
signing with osslsigncode, for tests of what the launcher accepts from a
signed publisher. Nothing here is trusted anywhere: a fresh CA per use.

As a program, throwaway_signing.py FOLDER PROGRAM makes the certificates in
FOLDER/certificates and copies of PROGRAM in FOLDER: signed by the publisher
(publisher.exe), by its renewed certificate (renewed.exe), by another
(other.exe), signed and then altered (altered.exe), and unsigned
(unsigned.exe)."""

import os
import shutil
import subprocess
import sys

# The subject names the tests' publishers sign as.
PUBLISHER = "Milbek Test Co."
OTHER_PUBLISHER = "Other Co."

_SIGNER_EXTENSIONS = "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n"


def _openssl(folder, *arguments):
    subprocess.run(["openssl"] + list(arguments), cwd=folder, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def _signer(folder, name, subject):
    _openssl(folder, "req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
             "-subj", subject)
    _openssl(folder, "x509", "-req", "-in", name + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
             "-CAcreateserial", "-out", name + ".pem", "-days", "2", "-extfile", "signer.ext")


class Certificates:
    """A CA and signers it issued: "publisher" and "renewed" (same subject,
    new key, as after a renewal) and "other" (another subject)."""

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        _openssl(folder, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
                 "-days", "2", "-subj", "/CN=Throwaway test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        with open(os.path.join(folder, "signer.ext"), "w") as f:
            f.write(_SIGNER_EXTENSIONS)
        publisher_subject = "/C=JP/O=%s/CN=%s" % (PUBLISHER, PUBLISHER)
        _signer(folder, "publisher", publisher_subject)
        _signer(folder, "renewed", publisher_subject)
        _signer(folder, "other", "/C=JP/O=%s/CN=%s" % (OTHER_PUBLISHER, OTHER_PUBLISHER))

    def sign(self, source, destination, signer="publisher"):
        """Signs source into destination (which must not be source)."""
        if os.path.exists(destination):
            os.remove(destination)
        path = lambda name: os.path.join(self.folder, name)
        subprocess.run(["osslsigncode", "sign", "-certs", path(signer + ".pem"), "-key", path(signer + ".key"),
                        "-h", "sha256", "-in", source, "-out", destination],
                       check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)

    def sign_in_place(self, path, signer="publisher"):
        unsigned = path + ".unsigned"
        os.replace(path, unsigned)
        self.sign(unsigned, path, signer)
        os.remove(unsigned)


def alter(path, offset=None):
    """Changes one byte of a signed file inside what its signature covers."""
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        at = len(data) // 3 if offset is None else offset
        data[at] ^= 0xFF
        f.seek(0)
        f.write(data)


def main(folder, program):
    os.makedirs(folder, exist_ok=True)
    certificates = Certificates(os.path.join(folder, "certificates"))
    copy = lambda name: os.path.join(folder, name)
    shutil.copyfile(program, copy("unsigned.exe"))
    for signer in ("publisher", "renewed", "other"):
        certificates.sign(copy("unsigned.exe"), copy(signer + ".exe"), signer)
    shutil.copyfile(copy("publisher.exe"), copy("altered.exe"))
    alter(copy("altered.exe"))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
