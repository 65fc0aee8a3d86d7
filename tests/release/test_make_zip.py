#!/usr/bin/env python3
"""Unit tests of tools/make_zip.py: the archive depends only on its contents and
the date, and a user's text comes out as Windows-1252 with CRLF line ends."""
import os
import sys
import tempfile
import unittest
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_zip  # noqa: E402


class WindowsText(unittest.TestCase):
    def test_conversions(self):
        cases = [
            ("plain", b"a\nb\n", b"a\r\nb\r\n"),
            ("final line end added", b"a\nb", b"a\r\nb\r\n"),
            ("blank lines kept", b"a\n\nb\n", b"a\r\n\r\nb\r\n"),
            ("accents become single bytes", "R\u00e9pertoire \u00e0 \u00ab\u00bb\n".encode(), b"R\xe9pertoire \xe0 \xab\xbb\r\n"),
            ("the upper block of Windows-1252", "\u2019\u20ac\u0153\n".encode(), b"\x92\x80\x9c\r\n"),
            ("version put in", b"Vireo @VERSION@\n", b"Vireo 1.2.06.11\r\n"),
        ]
        for name, source, want in cases:
            with self.subTest(name):
                self.assertEqual(make_zip.windows_text(source, "1.2.06.11"), want)

    def test_refusals(self):
        cases = [
            ("no Windows-1252 form", "a\nb \u2192 c\n".encode(), "line 2"),
            ("CR in the source", b"a\r\nb\n", "carriage return"),
        ]
        for name, source, message in cases:
            with self.subTest(name), self.assertRaises(ValueError) as caught:
                make_zip.windows_text(source, "1")
            self.assertIn(message, str(caught.exception))
        with self.assertRaises(UnicodeDecodeError):
            make_zip.windows_text(b"caf\xe9\n", "1")  # already Windows-1252: not a UTF-8 source


class Archive(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_same_bytes_whatever_the_order_given(self):
        one, two = self.path("one.zip"), self.path("two.zip")
        make_zip.write_zip(one, 1307034242, {"b.exe": b"MZ" * 100, "a.txt": b"x\r\n"})
        make_zip.write_zip(two, 1307034242, dict(reversed(list({"b.exe": b"MZ" * 100, "a.txt": b"x\r\n"}.items()))))
        with open(one, "rb") as a, open(two, "rb") as b:
            self.assertEqual(a.read(), b.read())
        with zipfile.ZipFile(one) as z:
            self.assertEqual([i.filename for i in z.infolist()], ["a.txt", "b.exe"])
            for i in z.infolist():
                self.assertEqual(i.date_time, (2011, 6, 2, 17, 4, 2))
                self.assertEqual((i.create_system, i.external_attr, i.extra), (0, 0x20, b""))
            self.assertEqual(z.read("b.exe"), b"MZ" * 100)

    def test_date_decides_the_bytes(self):
        dates = {}
        for epoch in (1307034242, 1307034244):
            out = self.path(f"{epoch}.zip")
            make_zip.write_zip(out, epoch, {"a": b"1"})
            with open(out, "rb") as f:
                dates[epoch] = f.read()
        self.assertNotEqual(dates[1307034242], dates[1307034244])

    def test_dates_before_1980_are_held_at_1980(self):
        out = self.path("old.zip")
        make_zip.write_zip(out, 0, {"a": b"1"})
        with zipfile.ZipFile(out) as z:
            self.assertEqual(z.infolist()[0].date_time, (1980, 1, 1, 0, 0, 0))

    def test_command_line(self):
        src = self.path("LISEZMOI.txt")
        with open(src, "wb") as f:
            f.write("Vireo @VERSION@\nR\u00e9pertoire\n".encode())
        out = self.path("p.zip")
        self.assertEqual(make_zip.main(["make_zip", out, "1307034242", f"L.txt=text:{src}:1.2", f"S={src}"]), 0)
        with zipfile.ZipFile(out) as z:
            self.assertEqual(z.read("L.txt"), b"Vireo 1.2\r\nR\xe9pertoire\r\n")
            self.assertEqual(z.read("S"), "Vireo @VERSION@\nR\u00e9pertoire\n".encode())
        bad = [
            ["make_zip", out, "yesterday", f"a={src}"],
            ["make_zip", out, "1", f"a={src}", f"a={src}"],
            ["make_zip", out, "1", f"={src}"],
            ["make_zip", out, "1", f"a={self.path('missing')}"],
        ]
        for argv in bad:
            with self.subTest(argv[2:]):
                self.assertNotEqual(make_zip.main(argv), 0)


if __name__ == "__main__":
    unittest.main()
