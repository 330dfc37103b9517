#!/usr/bin/env python3
"""Reads the headers of a PE file (an exe), and, run as a program, checks a built exe is what ships:
a PE of the given architecture (i686 or x86_64) for the GUI subsystem that imports only DLLs Windows
never looks for beside it, so that nothing needs to lie there and nothing put there runs.
  pe.py i686 build/win/app/varrel.exe
Prints what it found; exit status 0 when it is as it should be."""
import struct
import sys

MACHINES = {"i686": (0x14C, 0x10B, "PE32"), "x86_64": (0x8664, 0x20B, "PE32+")}
SUBSYSTEM_WINDOWS_GUI = 2
# DLLs Windows loads only from System32 whatever lies beside the exe: its KnownDLLs (the registry key
# HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs). Any other DLL (winmm, version,
# uxtheme, oleacc) is looked for in the exe's folder first, where a planted copy would run inside the
# program: such a DLL is loaded at run time from System32 instead. The mingw runtime DLLs (libstdc++,
# libgcc, libwinpthread) would also mean the exe was not linked statically.
KNOWN_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
    "msvcrt.dll", "shell32.dll", "shlwapi.dll", "comdlg32.dll", "imm32.dll", "setupapi.dll",
    "ws2_32.dll", "psapi.dll", "rpcrt4.dll", "combase.dll",
}
# comctl32 6 comes from the side-by-side store, by the manifest's dependency; without it, from the
# exe's folder first.
SIDE_BY_SIDE = {"comctl32.dll": b'name="Microsoft.Windows.Common-Controls"'}
SECTION_SIZE = 40


class NotPE(ValueError):
    """The data is no PE image, or one cut short."""


class PE:
    """The headers of a PE image held in `data`, as far as the checks and the comparison need."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise NotPE("not an exe")
        try:
            self.header = struct.unpack_from("<I", data, 0x3C)[0]
            if data[self.header:self.header + 4] != b"PE\0\0":
                raise NotPE("no PE header")
            self.machine, count = struct.unpack_from("<HH", data, self.header + 4)
            optional_size = struct.unpack_from("<H", data, self.header + 20)[0]
            self.optional = self.header + 24
            self.magic = struct.unpack_from("<H", data, self.optional)[0]
            self.subsystem = struct.unpack_from("<H", data, self.optional + 68)[0]
            table = self.optional + optional_size
            self.headers_end = table + SECTION_SIZE * count
            # (name, virtual address, virtual size, raw start, raw size)
            self.sections = []
            for at in range(table, self.headers_end, SECTION_SIZE):
                name = data[at:at + 8].rstrip(b"\0").decode("ascii", "replace")
                vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, at + 8)
                self.sections.append((name, vaddr, vsize, raw, rsize))
        except struct.error:
            raise NotPE("headers cut short") from None
        self.data = data

    def where(self, offset):
        """What lies at a file offset: a field that varies with the time of a build, the headers, or
        a section and the offset in it."""
        for at, name in ((self.header + 8, "PE time stamp"), (self.optional + 64, "PE checksum")):
            if at <= offset < at + 4:
                return name
        if offset < self.headers_end:
            return "headers+0x%x" % offset
        for name, _, _, raw, size in self.sections:
            if raw <= offset < raw + size:
                return "%s+0x%x" % (name, offset - raw)
        return None

    def offset(self, rva):
        for _, vaddr, vsize, raw, rsize in self.sections:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        raise NotPE("address 0x%x lies in no section" % rva)

    def imports(self):
        """The names of the DLLs the import directory lists, in lower case."""
        directories = self.optional + (96 if self.magic == 0x10B else 112)
        import_rva = struct.unpack_from("<I", self.data, directories + 8)[0]
        names = []
        if import_rva == 0:
            return names
        at = self.offset(import_rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                return names
            start = self.offset(name_rva)
            end = self.data.index(b"\0", start)
            names.append(self.data[start:end].decode("ascii").lower())
            at += 20


def check(arch, path):
    """The ways the exe at path is not as shipped for arch (none: it is)."""
    machine, magic, kind = MACHINES[arch]
    try:
        pe = PE(open(path, "rb").read())
    except NotPE as problem:
        return [str(problem)]
    if (pe.machine, pe.magic) != (machine, magic):
        return ["machine 0x%x, optional header 0x%x: not %s" % (pe.machine, pe.magic, kind)]
    problems = []
    if pe.subsystem != SUBSYSTEM_WINDOWS_GUI:
        problems.append("subsystem %d, not the GUI" % pe.subsystem)
    imports = pe.imports()
    resources = b"".join(pe.data[raw:raw + size] for name, _, _, raw, size in pe.sections
                         if name == ".rsrc")
    others = [name for name in imports if name not in KNOWN_DLLS and
              (name not in SIDE_BY_SIDE or SIDE_BY_SIDE[name] not in resources)]
    if others:
        problems.append("imports DLLs Windows looks for beside the exe first: " + ", ".join(others))
    print("%s: %s GUI exe importing %s" % (path, kind, ", ".join(imports)))
    return problems


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in MACHINES:
        sys.exit("usage: pe.py i686|x86_64 EXE")
    problems = check(sys.argv[1], sys.argv[2])
    for problem in problems:
        print("%s: %s" % (sys.argv[2], problem), file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
