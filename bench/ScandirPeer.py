#!/usr/bin/env python3
"""Set and Clear written the way one would in Python with os.scandir, keeping
the tool's rules: folders named "terrain" in any letter case, hidden,
write-protected and linked folders passed over, the end-of-text cut before
appending, and Clear's working copy "temp.txt" made as a second name of the
previous file while the new text takes its place in one rename.

    ScandirPeer.py set <installation> <decal name>
    ScandirPeer.py clear <installation>
"""
import os
import stat
import sys

PREFIX = b"DECAL_LIB lib/g10/decals/"


def walk(folder, in_terrain, edit):
    try:
        listing = os.scandir(folder)
    except OSError:
        return
    with listing:
        for entry in listing:
            name = entry.name
            if entry.is_dir(follow_symlinks=False):
                if name.startswith(b"."):
                    continue
                if entry.stat(follow_symlinks=False).st_mode & 0o222 == 0:
                    continue
                walk(entry.path, name.lower() == b"terrain", edit)
            elif (in_terrain and name.lower().endswith(b".ter")
                  and entry.is_file(follow_symlinks=False)):
                try:
                    edit(folder, entry.path)
                except OSError as error:
                    print(error, file=sys.stderr)


def appender(decal_name):
    line = b"\r\n" + PREFIX + decal_name + b"\r\n"

    def append(folder, path):
        fd = os.open(path, os.O_RDWR)
        try:
            size = os.fstat(fd).st_size
            start = max(0, size - 128)
            mark = os.pread(fd, size - start, start).find(b"\x1a")
            end = start + mark if mark >= 0 else size
            os.pwrite(fd, line, end)
            if end + len(line) < size:
                os.ftruncate(fd, end + len(line))
        finally:
            os.close(fd)

    return append


def stripped(data):
    mark = data.find(b"\x1a")
    if mark >= 0:
        data = data[:mark]
    lines = data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n")
    if lines[-1] == b"":
        lines.pop()
    kept = []
    keep_all = True
    for line in lines:
        if keep_all and b"BASE" in line:
            keep_all = False
        if b"DECAL_LIB" in line:
            continue
        if keep_all or len(line) > 3:
            kept.append(line)
    return b"".join(line + b"\r\n" for line in kept)


def strip(folder, path):
    working_copy = folder + b"/temp.txt"
    scratch = folder + b"/.temp.txt.part"
    try:
        earlier = os.lstat(working_copy)
        if stat.S_ISDIR(earlier.st_mode):
            return
        if stat.S_ISREG(earlier.st_mode) and earlier.st_mode & 0o222 == 0:
            return
    except FileNotFoundError:
        earlier = None
    with open(path, "rb") as source:
        mode = os.fstat(source.fileno()).st_mode
        data = source.read()
    flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL
    try:
        fd = os.open(scratch, flags, 0o600)
    except FileExistsError:
        os.unlink(scratch)
        fd = os.open(scratch, flags, 0o600)
    try:
        os.write(fd, stripped(data))
        os.fchmod(fd, stat.S_IMODE(mode))
    finally:
        os.close(fd)
    if earlier is not None:
        os.unlink(working_copy)
    os.link(path, working_copy)
    os.rename(scratch, path)


def main(argv):
    if len(argv) < 3 or argv[1] not in ("set", "clear") or (argv[1] == "set" and len(argv) < 4):
        print(__doc__, file=sys.stderr)
        return 2
    edit = appender(os.fsencode(argv[3])) if argv[1] == "set" else strip
    walk(os.fsencode(argv[2]) + b"/Custom Scenery", False, edit)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
