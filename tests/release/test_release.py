"""Checks what scripts/release made in ZV_RELEASE_DIR for version ZV_VERSION: the zip a
Windows user unpacks (8.3 names, a code page 932 README and a code page 1252 one, the help
in both languages, the PE32 program and the console tool with their versions and
imports), the Debian package of the command-line tool and the web page."""
import os
import re
import struct
import subprocess
import unittest
import zipfile

FOLDER = os.environ.get("ZV_RELEASE_DIR", "build/release")
VERSION = os.environ.get("ZV_VERSION", "")
ALLOWED_IMPORTS = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "release-imports.txt")


def u16(b, at):
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


class PeFile:
    def __init__(self, data):
        self.data = data
        pe = u32(data, 0x3C)
        assert data[pe:pe + 4] == b"PE\0\0"
        self.machine = u16(data, pe + 4)
        sections, optional_size = u16(data, pe + 6), u16(data, pe + 20)
        self.optional = pe + 24
        table = self.optional + optional_size
        self.sections = [struct.unpack_from("<4I", data, table + 40 * i + 8) for i in range(sections)]

    def field(self, offset, size=2):
        return struct.unpack_from("<H" if size == 2 else "<I", self.data, self.optional + offset)[0]

    def at_rva(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} in no section")

    def imports(self):
        """Every "dll function" that the import table names, the DLL in lower case."""
        names = set()
        table = self.at_rva(self.field(96 + 1 * 8, 4))
        for entry in range(table, len(self.data), 20):
            lookup, _, _, name, first = struct.unpack_from("<5I", self.data, entry)
            if name == 0:
                break
            dll = self.string(name).lower()
            thunk = self.at_rva(lookup or first)
            while (value := u32(self.data, thunk)) != 0:
                names.add(f"{dll} {self.string(value + 2) if value < 0x80000000 else value & 0xFFFF}")
                thunk += 4
        return names

    def string(self, rva):
        start = self.at_rva(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def resource(self, kind):
        """(language, bytes) of the first resource of a type."""
        root = self.at_rva(self.field(96 + 2 * 8, 4))

        def entries(directory):
            count = u16(self.data, directory + 12) + u16(self.data, directory + 14)
            return [struct.unpack_from("<2I", self.data, directory + 16 + 8 * i) for i in range(count)]

        by_type = dict(entries(root))
        names = entries(root + (by_type[kind] & 0x7FFFFFFF))
        language, leaf = entries(root + (names[0][1] & 0x7FFFFFFF))[0]
        rva, size = struct.unpack_from("<2I", self.data, root + leaf)
        return language, self.data[self.at_rva(rva):self.at_rva(rva) + size]


class WindowsRelease(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.zip = zipfile.ZipFile(os.path.join(FOLDER, f"zorvane-{VERSION}.zip"))

    def test_holds_the_program_its_help_in_two_languages_and_the_readmes_under_8_3_names(self):
        names = self.zip.namelist()
        self.assertEqual(sorted(names), ["README.TXT", "README_E.TXT", "ZORVANE.CNT", "ZORVANE.EXE", "ZORVANE.HLP",
                                         "ZORVANE.HTM", "ZORVANEE.CNT", "ZORVANEE.HLP", "ZORVANEE.HTM",
                                         "ZVEXPAND.EXE"])
        for name in names:
            self.assertRegex(name, r"^[A-Z0-9_]{1,8}\.[A-Z0-9_]{1,3}$")

    def test_readmes_are_in_their_code_pages_with_crlf_lines_under_80_columns(self):
        for name, code_page, words in (
                ("README.TXT", "cp932", ("SZDD", "KWAJ", "キャビネット", "Shift", "Ctrl", "ライセンス", "Windows 95",
                                          "README_E.TXT", "ZVEXPAND /?")),
                ("README_E.TXT", "cp1252", ("SZDD", "KWAJ", "cabinet", "SHIFT", "CTRL", "License", "Windows 95",
                                            "README.TXT", "ZVEXPAND /?"))):
            with self.subTest(name):
                raw = self.zip.read(name)
                text = raw.decode(code_page)
                self.assertNotIn(b"\n", raw.replace(b"\r\n", b""), "a line ends without CR LF")
                self.assertNotIn(b"\r", raw.replace(b"\r\n", b""), "a lone CR")
                # A code page 932 character takes as many columns as it has bytes.
                for number, line in enumerate(raw.split(b"\r\n"), 1):
                    self.assertLess(len(line), 80, f"line {number}")
                for word in words + (VERSION,):
                    self.assertIn(word, text)

    def test_readmes_carry_the_licence_and_the_source_of_the_library_linked_in(self):
        for name, code_page, source in (("README.TXT", "cp932", r"Debian の libmspack\s+\d[\w.~+-]* のソース パッケージ"),
                                        ("README_E.TXT", "cp1252", r"Debian's source package libmspack\s+\d[\w.~+-]*,")):
            with self.subTest(name):
                text = self.zip.read(name).decode(code_page)
                self.assertIsNotNone(re.search(source, text), "the library's source package and its version")
                self.assertIn("https://deb.debian.org/debian/pool/main/libm/libmspack/", text)
                self.assertNotIn("@MSPACK_VERSION@", text)
                # The licence's whole text, to its last section.
                self.assertIn("GNU LESSER GENERAL PUBLIC LICENSE", text)
                self.assertIn("END OF TERMS AND CONDITIONS", text)

    def test_program_is_a_pe32_windows_program_with_its_version(self):
        pe = PeFile(self.zip.read("ZORVANE.EXE"))
        self.assertEqual(pe.machine, 0x14C, "i386")
        self.assertEqual(pe.field(0), 0x10B, "PE32 optional header")
        self.assertEqual(pe.field(68), 2, "Windows GUI subsystem")
        self.assertEqual((pe.field(48), pe.field(50)), (4, 0), "starts on Windows 95 and NT 4.0")
        language, info = pe.resource(16)
        self.assertEqual(language, 0x0411)
        fixed = info.index(struct.pack("<I", 0xFEEF04BD))
        major, minor = (int(n) for n in VERSION.split(".")[:2])
        self.assertEqual(u32(info, fixed + 8), major << 16 | minor)
        text = info.decode("utf-16-le", "replace")
        self.assertIn("041104B0", text)
        value = re.search("FileVersion\0+([^\0]*)", text)
        self.assertEqual(value and value.group(1), VERSION)

    def test_console_tool_is_a_pe32_console_program_with_its_version_and_old_imports(self):
        pe = PeFile(self.zip.read("ZVEXPAND.EXE"))
        self.assertEqual((pe.machine, pe.field(0)), (0x14C, 0x10B), "i386, PE32")
        self.assertEqual(pe.field(68), 3, "Windows console subsystem")
        self.assertEqual((pe.field(48), pe.field(50)), (4, 0), "starts on Windows 95 and NT 4.0")
        language, info = pe.resource(16)
        self.assertEqual(language, 0x0409)
        fixed = info.index(struct.pack("<I", 0xFEEF04BD))
        major, minor = (int(n) for n in VERSION.split(".")[:2])
        self.assertEqual(u32(info, fixed + 8), major << 16 | minor)
        value = re.search("FileVersion\0+([^\0]*)", info.decode("utf-16-le", "replace"))
        self.assertEqual(value and value.group(1), VERSION)
        with open(ALLOWED_IMPORTS, encoding="utf-8") as allowed:
            listed = {line.strip() for line in allowed if line.strip() and not line.startswith("#")}
        imports = pe.imports()
        self.assertIn("kernel32.dll FindFirstFileA", imports)
        self.assertEqual(imports - listed, set())


class DebianPackage(unittest.TestCase):
    deb = os.path.join(FOLDER, f"zorvane-expand_{VERSION}_amd64.deb")

    def dpkg_deb(self, *args):
        return subprocess.run(["dpkg-deb", *args, self.deb], check=True, capture_output=True, text=True).stdout

    def test_control_names_the_package_version_and_its_dependencies(self):
        fields = dict(line.split(": ", 1) for line in self.dpkg_deb("--field").splitlines() if ": " in line)
        self.assertEqual(fields["Package"], "zorvane-expand")
        self.assertEqual(fields["Version"], VERSION)
        self.assertEqual(fields["Architecture"], "amd64")
        self.assertIn("libc6", fields["Depends"])
        self.assertIn("zlib1g", fields["Depends"])
        self.assertIn("libmspack0", fields["Depends"])

    def test_installs_the_tool_its_manual_page_and_documents_only(self):
        files = {line.split()[-1] for line in self.dpkg_deb("--contents").splitlines()
                 if not line.startswith("d")}
        self.assertEqual(files, {"./usr/bin/zorvane-expand", "./usr/share/man/man1/zorvane-expand.1.gz",
                                 "./usr/share/doc/zorvane-expand/copyright",
                                 "./usr/share/doc/zorvane-expand/changelog.gz"})


if __name__ == "__main__":
    unittest.main()


class WebPage(unittest.TestCase):
    def test_is_one_file_that_loads_nothing_from_anywhere(self):
        with open(os.path.join(FOLDER, f"zorvane-{VERSION}.html"), encoding="utf-8") as f:
            page = f.read()
        self.assertIn(f"<title>Zorvane {VERSION}</title>", page)
        policy = re.search(r'http-equiv="Content-Security-Policy" content="([^"]*)"', page).group(1)
        self.assertIn("default-src 'none'", policy)
        self.assertIn("connect-src 'none'", policy)
        # No reference to another file: every script, style and the module are inline.
        self.assertIsNone(re.search(r"<(script|link|img|iframe)[^>]*\b(src|href)=\"(?!data:)", page))
        self.assertRegex(page, r'id="zv-module">[A-Za-z0-9+/=]{40000,}</script>')
