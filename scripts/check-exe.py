#!/usr/bin/env python3
"""Checks a built exe is what ships: a PE of the given architecture (i686 or x86_64) for the GUI
subsystem that imports only DLLs every Windows has, so that nothing needs to lie beside it.
  check-exe.py i686 build/win/app/varrel.exe
Prints what it found; exit status 0 when it is as it should be."""
import struct
import sys

MACHINES = {"i686": (0x14C, 0x10B, "PE32"), "x86_64": (0x8664, 0x20B, "PE32+")}
SUBSYSTEM_WINDOWS_GUI = 2
# System DLLs: part of Windows itself. The mingw runtime DLLs (libstdc++, libgcc, libwinpthread)
# are not, and would mean the exe was not linked statically.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "winmm.dll", "msvcrt.dll",
    "comctl32.dll", "comdlg32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll",
    "psapi.dll", "version.dll", "ws2_32.dll", "ucrtbase.dll",
}


def read_imports(data, pe, magic):
    """The names of the DLLs the import directory lists."""
    sections_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    directories = optional + (96 if magic == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    sections = []
    for i in range(sections_count):
        at = optional + optional_size + 40 * i
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, at + 8)
        sections.append((vaddr, max(vsize, rsize), raw))

    def offset(rva):
        for vaddr, size, raw in sections:
            if vaddr <= rva < vaddr + size:
                return raw + rva - vaddr
        raise ValueError("address 0x%x lies in no section" % rva)

    names = []
    if import_rva == 0:
        return names
    at = offset(import_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, at + 12)[0]
        if name_rva == 0:
            return names
        start = offset(name_rva)
        names.append(data[start:data.index(b"\0", start)].decode("ascii").lower())
        at += 20


def check(arch, path):
    machine, magic, kind = MACHINES[arch]
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        return ["not an exe"]
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return ["no PE header"]
    problems = []
    found_machine = struct.unpack_from("<H", data, pe + 4)[0]
    found_magic = struct.unpack_from("<H", data, pe + 24)[0]
    if (found_machine, found_magic) != (machine, magic):
        problems.append("machine 0x%x, optional header 0x%x: not %s" % (found_machine, found_magic, kind))
        return problems
    subsystem = struct.unpack_from("<H", data, pe + 24 + 68)[0]
    if subsystem != SUBSYSTEM_WINDOWS_GUI:
        problems.append("subsystem %d, not the GUI" % subsystem)
    imports = read_imports(data, pe, magic)
    others = [name for name in imports if name not in SYSTEM_DLLS]
    if others:
        problems.append("imports DLLs that are not part of Windows: " + ", ".join(others))
    print("%s: %s GUI exe importing %s" % (path, kind, ", ".join(imports)))
    return problems


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in MACHINES:
        sys.exit("usage: check-exe.py i686|x86_64 EXE")
    problems = check(sys.argv[1], sys.argv[2])
    for problem in problems:
        print("%s: %s" % (sys.argv[2], problem), file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
