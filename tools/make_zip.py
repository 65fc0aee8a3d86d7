#!/usr/bin/env python3
"""Writes a zip that depends on nothing but its contents and one date.

    make_zip.py OUT.zip EPOCH NAME=FILE ...
    NAME=text:FILE:VERSION  a UTF-8 text with LF line ends, stored as the
                            Windows-1252 text with CRLF line ends that a Windows
                            user reads; @VERSION@ in it becomes VERSION

Entries are sorted by name and carry the same time (EPOCH as UTC), the same
attributes and no extra fields, so the archive is the same on every machine.
"""
import os
import sys
import time
import zipfile

DOS_EPOCH = 315532800  # 1980-01-01, the first time a zip entry can hold


def windows_text(utf8, version):
    text = utf8.decode("utf-8")
    if "\r" in text:
        raise ValueError("carriage return in the source text: its line ends must be LF only")
    text = text.replace("@VERSION@", version)
    if not text.endswith("\n"):
        text += "\n"
    for number, line in enumerate(text.split("\n"), 1):
        for ch in line:
            try:
                ch.encode("cp1252")
            except UnicodeEncodeError:
                raise ValueError(f"line {number}: {ch!r} (U+{ord(ch):04X}) has no Windows-1252 form") from None
    return text.replace("\n", "\r\n").encode("cp1252")


def entry_bytes(source):
    if source.startswith("text:"):
        _, path, version = source.split(":", 2)
        with open(path, "rb") as f:
            return windows_text(f.read(), version)
    with open(source, "rb") as f:
        return f.read()


def write_zip(out, epoch, entries):
    stamp = time.gmtime(max(int(epoch), DOS_EPOCH))[:6]
    part = out + ".part"
    with zipfile.ZipFile(part, "w") as z:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0   # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0x20  # the archive bit, as Windows sets it
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, entries[name], compresslevel=9)
    os.replace(part, out)


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    out, epoch = argv[1], argv[2]
    if not epoch.isdigit():
        sys.stderr.write(f"make_zip: the date must be whole seconds since 1970, not {epoch!r}\n")
        return 2
    entries = {}
    for arg in argv[3:]:
        name, sep, source = arg.partition("=")
        if not sep or not name or name in entries:
            sys.stderr.write(f"make_zip: bad or repeated entry {arg!r}\n")
            return 2
        try:
            entries[name] = entry_bytes(source)
        except (OSError, ValueError) as e:
            sys.stderr.write(f"make_zip: {name}: {e}\n")
            return 1
    write_zip(out, epoch, entries)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
