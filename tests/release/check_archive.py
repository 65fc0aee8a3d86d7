#!/usr/bin/env python3
"""Checks the release archive as a user would unpack it.

    check_archive.py ARCHIVE.zip EPOCH VERSION_TEXT

The entries, their order, times and attributes (what makes the archive
reproducible), and LISEZMOI.txt byte by byte: Windows-1252, CRLF line ends,
and what a user needs to know.
"""
import sys
import time
import zipfile

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)
    return ok


def check_entries(z, epoch):
    infos = z.infolist()
    names = [i.filename for i in infos]
    check(names == ["LISEZMOI.txt", "Vireo.exe"], f"entries in this order: {names}")
    want = time.gmtime(max(epoch, 315532800))[:6]
    want = want[:5] + (want[5] // 2 * 2,)  # a zip holds even seconds
    for i in infos:
        check(i.date_time == want, f"{i.filename}: time {i.date_time} is SOURCE_DATE_EPOCH {want}")
        check(i.create_system == 0 and i.external_attr == 0x20,
              f"{i.filename}: fixed attributes (system {i.create_system}, attributes {i.external_attr:#x})")
        check(i.extra == b"", f"{i.filename}: no extra field ({i.extra!r})")
        check(i.compress_type == zipfile.ZIP_DEFLATED, f"{i.filename}: deflated")


def check_readme(data, version):
    check(b"\r\n" in data and data.endswith(b"\r\n"), "LISEZMOI.txt: CRLF line ends, a final one too")
    lone_lf = data.replace(b"\r\n", b"").count(b"\n")
    lone_cr = data.replace(b"\r\n", b"").count(b"\r")
    check(lone_lf == 0 and lone_cr == 0, f"LISEZMOI.txt: no bare LF ({lone_lf}) or CR ({lone_cr})")
    try:
        data.decode("utf-8")
        utf8 = any(b >= 0x80 for b in data)
    except UnicodeDecodeError:
        utf8 = False
    check(not utf8 and not data.startswith(b"\xef\xbb\xbf"), "LISEZMOI.txt: not UTF-8, no byte-order mark")
    try:
        text = data.decode("cp1252")
    except UnicodeDecodeError as e:
        check(False, f"LISEZMOI.txt: Windows-1252 ({e})")
        return
    check(b"R\xe9pertoire = " in data, "LISEZMOI.txt: the Vireo.ini line with the key \"R\\xe9pertoire\" in Windows-1252")
    check(b"\xe9" in data and b"\xe0" in data, "LISEZMOI.txt: French accents as single Windows-1252 bytes")
    for needed in ["Vireo " + version, "Vireo.ini", "Vireo.exe", ".mp3", ".wav", ".wma", ".mid",
                   "USER", "SELECTION", "PLAY", "PAUSE", "REPRENDRE", "STOP", "VOLUME", "AIDE",
                   "A PROPOS", "REDUIRE", "QUITTER", "CONNEXION", "Tout lire", "Lecture continue",
                   "SmartScreen", "Exécuter quand même"]:
        check(needed in text, f"LISEZMOI.txt mentions {needed!r}")
    check("@VERSION@" not in text, "LISEZMOI.txt: no placeholder left")
    longest = max(len(line) for line in text.split("\r\n"))
    check(longest <= 78, f"LISEZMOI.txt: lines fit Notepad's default window ({longest} characters at most)")


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    archive, epoch, version = argv[1], int(argv[2]), argv[3]
    with zipfile.ZipFile(archive) as z:
        check(z.testzip() is None, "every entry reads back with its CRC")
        check(z.comment == b"", "no archive comment")
        check_entries(z, epoch)
        check_readme(z.read("LISEZMOI.txt"), version)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
