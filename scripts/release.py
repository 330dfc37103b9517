#!/usr/bin/env python3
"""The release's files, for scripts/package.
  release.py zip ZIP EXE README VERSION EPOCH  writes the zip: varrel.exe, then README.txt, each
      with the time EPOCH and fixed attributes, so that the same inputs give the same bytes
  release.py compare FIRST SECOND  compares two dist folders: names each file that differs, with
      its first differing stretches (in the exe, the section; in the zip, the member); status 1
"""
import hashlib
import os
import sys
import time
import zipfile

import pe

# A zip's times are local DOS times from 1980 on (315532800 s after 1970).
ZIP_EPOCH = 315532800
UNIX_SYSTEM = 3
SHOWN_STRETCHES = 6
JOIN_GAP = 16  # differing bytes closer than this run together


def readme_text(path, version):
    """The README with CRLF line ends, the version filled in and its title underlined to its length."""
    text = open(path, encoding="utf-8").read().replace("@VERSION@", version)
    lines = text.replace("\r\n", "\n").split("\n")
    if len(lines) > 1 and lines[1] and set(lines[1]) == {"="}:
        lines[1] = "=" * len(lines[0])
    return "\r\n".join(lines).encode("ascii")


def write_zip(zip_path, exe_path, readme_path, version, epoch):
    stamp = time.gmtime(max(int(epoch), ZIP_EPOCH))[:6]
    members = [("varrel.exe", open(exe_path, "rb").read(), 0o100755),
               ("README.txt", readme_text(readme_path, version), 0o100644)]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name, data, mode in members:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = UNIX_SYSTEM
            info.external_attr = mode << 16
            archive.writestr(info, data, compresslevel=9)


def show_bytes(x, y, is_exe):
    """The stretches where x and y differ, the first few shown with the text around them."""
    try:
        image = pe.PE(x) if is_exe else None
    except pe.NotPE:
        image = None
    if len(x) != len(y):
        print("    sizes differ: %d and %d bytes" % (len(x), len(y)))
    diffs = [i for i in range(min(len(x), len(y))) if x[i] != y[i]]
    runs = []
    for i in diffs:
        if runs and i - runs[-1][1] < JOIN_GAP:
            runs[-1][1] = i
        else:
            runs.append([i, i])
    print("    %d differing bytes in %d stretches" % (len(diffs), len(runs)))
    for lo, hi in runs[:SHOWN_STRETCHES]:
        place = image.where(lo) if image else None
        print("    0x%08x-0x%08x%s" % (lo, hi, " (%s)" % place if place else ""))
        at = max(0, lo - 8)
        end = min(hi + 24, at + 72)
        for chunk in x[at:end], y[at:end]:
            print("      " + "".join(chr(c) if 32 <= c < 127 else "." for c in chunk))


def compare_zips(pa, pb):
    za, zb = zipfile.ZipFile(pa), zipfile.ZipFile(pb)
    for ia, ib in zip(za.infolist(), zb.infolist()):
        same = za.read(ia) == zb.read(ib)
        meta = (ia.filename, ia.date_time, ia.external_attr, ia.create_system)
        other = (ib.filename, ib.date_time, ib.external_attr, ib.create_system)
        if same and meta == other:
            continue
        print("  member %s: %s%s" % (ia.filename, "" if same else "contents differ",
                                     "" if meta == other else "; entry %r vs %r" % (meta, other)))
        if not same:
            show_bytes(za.read(ia), zb.read(ib), ia.filename.endswith(".exe"))
    if len(za.infolist()) != len(zb.infolist()):
        print("  member counts differ")


def compare(first, second):
    names = sorted(set(os.listdir(first)) | set(os.listdir(second)))
    differing = []
    for name in names:
        pa, pb = os.path.join(first, name), os.path.join(second, name)
        if not (os.path.exists(pa) and os.path.exists(pb)):
            print("%s: only in one of the builds" % name)
            differing.append(name)
            continue
        x, y = open(pa, "rb").read(), open(pb, "rb").read()
        if x == y:
            continue
        differing.append(name)
        print("%s differs" % name)
        if name.endswith(".zip"):
            compare_zips(pa, pb)
        else:
            show_bytes(x, y, name.endswith(".exe"))
    if differing:
        print("NOT reproducible: %s differ%s" % (", ".join(differing),
                                                "s" if len(differing) == 1 else ""))
        return 1
    for name in names:
        if name.endswith(".zip"):
            digest = hashlib.sha256(open(os.path.join(first, name), "rb").read()).hexdigest()
            print("reproducible: %s  %s" % (digest, name))
    return 0


def main():
    args = sys.argv[1:]
    if args[:1] == ["zip"] and len(args) == 6:
        write_zip(*args[1:])
        return 0
    if args[:1] == ["compare"] and len(args) == 3:
        return compare(*args[1:])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main())
