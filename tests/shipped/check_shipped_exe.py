"""Checks the i686 launcher as it ships, by reading the file: a 32-bit GUI
program that Windows XP SP3 can load (subsystem version, system DLLs, only
the functions of the allow-list), large-address-aware, with its manifest
and version block, stripped, without a link time stamp and within its size
budget."""

import argparse
import os
import sys

from pe_file import PeFile

I386, GUI, XP_SUBSYSTEM = 0x14C, 2, (5, 1)
LARGE_ADDRESS_AWARE = 0x20
SYSTEM_DLLS = {"KERNEL32", "USER32", "GDI32", "COMCTL32", "SHELL32", "OLE32", "ADVAPI32", "VERSION", "WININET",
               "WS2_32", "MSVCRT", "WINTRUST", "CRYPT32"}
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7"}
COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"
VERSIONS = ("1.0.3.3", "6.0.3.3")
SIZE_BUDGET = int(2.5 * 1024 * 1024)


def allowed_imports(path):
    allowed = {}
    for line in open(path, encoding="ascii"):
        if line.strip() and not line.startswith("#"):
            dll, *functions = line.split()
            allowed.setdefault(dll.upper(), set()).update(functions)
    return allowed


def problems(path, allowed):
    exe = PeFile(open(path, "rb").read())
    if exe.machine != I386:
        yield "machine 0x%x, not i386" % exe.machine
    if not exe.characteristics & LARGE_ADDRESS_AWARE:
        yield "not large-address-aware: 2 GiB of address space under 64-bit Windows, not 4"
    if exe.subsystem != GUI:
        yield "subsystem %d, not Windows GUI" % exe.subsystem
    if exe.subsystem_version > XP_SUBSYSTEM:
        yield "subsystem version %d.%02d, above Windows XP's 5.01" % exe.subsystem_version
    for dll, functions in exe.imports().items():
        name = dll.upper().removesuffix(".DLL")
        if name not in SYSTEM_DLLS:
            yield "imports from %s, outside the system DLLs %s" % (dll, " ".join(sorted(SYSTEM_DLLS)))
        for function in sorted(set(functions) - allowed.get(name, set())):
            yield "imports %s!%s, not on the allow-list" % (dll, function)
    manifest = exe.manifest_elements()
    identities = [a for tag, a in manifest if tag == "assemblyIdentity"]
    processor = identities[0].get("processorArchitecture") if identities else None
    if processor != "X86":
        yield "manifest: processor %s, not X86" % processor
    levels = [a.get("level") for tag, a in manifest if tag == "requestedExecutionLevel"]
    if levels != ["asInvoker"]:
        yield "manifest: execution level %s, not asInvoker" % levels
    controls = [(a.get("version"), a.get("processorArchitecture")) for a in identities
                if a.get("name") == COMMON_CONTROLS]
    if controls != [("6.0.0.0", "X86")]:
        yield "manifest: %s %s, not 6.0.0.0 for X86" % (COMMON_CONTROLS, controls)
    supported = {a.get("Id") for tag, a in manifest if tag == "supportedOS"}
    for system in [name for guid, name in SUPPORTED_OS.items() if guid not in supported]:
        yield "manifest: no supportedOS entry for Windows %s" % system
    if exe.fixed_versions() != VERSIONS:
        yield "version block %s / %s, not %s / %s" % (exe.fixed_versions() + VERSIONS)
    debug = [section for section in exe.section_names() if section.startswith((".debug", "/"))]
    if debug:
        yield "not stripped: sections %s" % " ".join(debug)
    if exe.timestamp:
        yield "link time stamp 0x%x: the build is not reproducible" % exe.timestamp
    if os.path.getsize(path) > SIZE_BUDGET:
        yield "%d bytes, over the budget of %d (2.5 MiB)" % (os.path.getsize(path), SIZE_BUDGET)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("exe")
    parser.add_argument("--allow-list", required=True)
    args = parser.parse_args()
    if not os.path.isfile(args.exe):
        print("FAIL no launcher at %s: build the i686 tree first" % args.exe)
        return 1
    found = list(problems(args.exe, allowed_imports(args.allow_list)))
    for problem in found:
        print("FAIL " + problem)
    print("%s: %s" % (args.exe, "%d problem(s)" % len(found) if found else "ships as checked"))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
