"""Reads the built help of both languages as a help viewer and a browser would: the help
file's file system, its language settings, every topic link, jump, title, keyword and
contents entry; the HTML page's declared code page, anchors and links. ZV_HELP_DIR names
the folder of the files (ZORVANE.* in Japanese, ZORVANEE.* in English)."""
import html
import os
import re
import struct
import unittest

FOLDER = os.environ.get("ZV_HELP_DIR", ".")


def u16(b, at):
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


def stringz(b, at):
    end = b.index(b"\0", at)
    return b[at:end], end + 1


# Readers of the B+ tree entries: (entry, where the next one starts).
def directory_entry(p, at):
    name, at = stringz(p, at)
    return (name.decode(), u32(p, at)), at + 4


def context_entry(p, at):
    return (u32(p, at), u32(p, at + 4)), at + 8


def title_entry(p, at):
    title, end = stringz(p, at + 4)
    return (u32(p, at), title), end


def keyword_entry(p, at):
    word, at = stringz(p, at)
    return (word, u16(p, at), u32(p, at + 2)), at + 6


def hash_of(context_id):
    # The viewer's hash: letters 17.., digits 1..9 and 0 as 10, '.' 12, '_' 13; base 43.
    h = 0
    for c in context_id.upper():
        x = ord(c) - 48 if c in "123456789" else {"0": 10, ".": 12, "_": 13}.get(c, ord(c) - 64 + 16)
        h = (h * 43 + x) & 0xFFFFFFFF
    return h


def lz77(data):
    """Expands a topic block: a flag byte per eight items, a set bit a 12/4-bit back reference."""
    out, i = bytearray(), 0
    while i < len(data):
        flags, i = data[i], i + 1
        for bit in range(8):
            if i < len(data) and flags & (1 << bit):
                code, i = u16(data, i), i + 2
                for _ in range((code >> 12) + 3):
                    out.append(out[-(code & 0xFFF) - 1])
            elif i < len(data):
                out.append(data[i])
                i += 1
    return bytes(out)


class HelpFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        entries = self.tree(self.internal(u32(self.data, 4)), directory_entry)
        self.names = [name for name, _ in entries]
        self.directory = dict(entries)

    def internal(self, offset):
        reserved, used = u32(self.data, offset), u32(self.data, offset + 4)
        assert used + 9 <= reserved and offset + reserved <= len(self.data), hex(offset)
        return self.data[offset + 9:offset + 9 + used]

    def file(self, name):
        return self.internal(self.directory[name])

    @staticmethod
    def tree(tree, read_entry):
        """Every leaf entry of a B+ tree in order: down the first children, then along the leaves."""
        assert u16(tree, 0) == 0x293B
        page_size, page_no, levels = u16(tree, 4), u16(tree, 26), u16(tree, 32)
        pages = tree[38:]
        for _ in range(levels - 1):
            page_no = u16(pages, page_no * page_size + 4)
        entries = []
        while page_no != 0xFFFF:
            page, at = pages[page_no * page_size:(page_no + 1) * page_size], 8
            for _ in range(u16(page, 2)):
                entry, at = read_entry(page, at)
                entries.append(entry)
            page_no = u16(page, 6)
        assert len(entries) == u32(tree, 34)
        return entries


def paragraph_commands(data1):
    """The formatting commands of a text record's LinkData1, after its paragraph info."""
    at = 2 if data1[0] % 2 == 0 else 4          # TopicSize
    at += 1 if data1[at] % 2 == 0 else 2        # TopicLength
    bits = u16(data1, at + 4)
    at += 6 + (2 if data1[at + 6] % 2 == 0 else 4) * (bits & 1)
    for flag in (0x02, 0x04, 0x08, 0x10, 0x20, 0x40):
        at += (1 if data1[at] % 2 == 0 else 2) if bits & flag else 0
    assert not bits & 0x0300, "borders and tabs are not written"
    commands = []
    while data1[at] != 0xFF:
        size = {0x80: 3, 0x81: 1, 0x82: 1, 0x83: 1, 0x89: 1, 0x8B: 1, 0x8C: 1, 0xE2: 5, 0xE3: 5}[data1[at]]
        commands.append(data1[at:at + size])
        at += size
    assert at == len(data1) - 1, "bytes after the end of the formatting"
    return commands


class HelpFileStructure:
    """The checks of one language's help file and contents file; the subclasses below
    name the files and the language's settings."""
    @classmethod
    def setUpClass(cls):
        cls.hlp = HelpFile(os.path.join(FOLDER, cls.name + ".HLP"))
        topic = cls.hlp.file("|TOPIC")
        blocks = [lz77(topic[b + 12:b + 4096]) for b in range(0, len(topic), 4096)]
        cls.links = cls.walk_links(blocks)
        cls.context = dict(HelpFile.tree(cls.hlp.file("|CONTEXT"), context_entry))
        # {topic offset: title} of every topic but the empty one that ends the file.
        cls.topics = {off: d2[:-1].decode(cls.code_page) for _, rec, _, d2, off in cls.links
                      if rec == 2 and d2 != b"\0"}

    @staticmethod
    def walk_links(blocks):
        """(position, record type, LinkData1, LinkData2, topic offset) of every topic link."""
        stream = b"".join(blocks)
        starts = [sum(len(b) for b in blocks[:i]) for i in range(len(blocks))]
        links, pos, prev, counted = [], 12, 0xFFFFFFFF, {}
        while pos != 0xFFFFFFFF:
            block = (pos - 12) >> 14
            at = starts[block] + ((pos - 12) & 0x3FFF)
            size, len2, prev_pos, next_pos, len1 = struct.unpack_from("<5I", stream, at)
            assert prev_pos == prev, f"link at {pos:#x} does not point back to the one before"
            data1, data2 = stream[at + 21:at + len1], stream[at + len1:at + size]
            assert len(data2) == len2
            links.append((pos, stream[at + 20], data1, data2, block * 0x8000 + counted.get(block, 0)))
            if stream[at + 20] == 0x20:
                length = data1[2 if data1[0] % 2 == 0 else 4:]
                counted[block] = counted.get(block, 0) + (length[0] if length[0] % 2 == 0 else u16(length, 0)) // 2
            prev, pos = pos, next_pos
        return links

    def test_header_and_every_internal_file_is_found_through_the_directory(self):
        data = self.hlp.data
        self.assertEqual((u32(data, 0), u32(data, 8), u32(data, 12)), (0x00035F3F, 0xFFFFFFFF, len(data)))
        for name in ("|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|TTLBTREE", "|KWBTREE", "|KWDATA", "|KWMAP"):
            self.assertIn(name, self.hlp.names)
        self.assertEqual(self.hlp.names, sorted(self.hlp.names, key=str.encode), "directory out of order")
        for name in self.hlp.names:
            self.hlp.file(name)

    def test_system_file_has_the_language_and_opens_on_the_contents_topic(self):
        system = self.hlp.file("|SYSTEM")
        self.assertEqual((u16(system, 0), u16(system, 2), u16(system, 4)), (0x036C, 33, 1))
        records, at = {}, 12
        while at < len(system):
            records[u16(system, at)] = system[at + 4:at + 4 + u16(system, at + 2)]
            at += 4 + u16(system, at + 2)
        self.assertEqual(at, len(system))
        self.assertEqual(u16(records[11], 0), self.charset)
        self.assertEqual(u16(records[9], 8), self.locale)
        self.assertEqual(records[1][:-1].decode(self.code_page), self.title)
        self.assertEqual(records[10][:-1].decode(), self.name + ".CNT")
        self.assertIn(self.contents_word, self.topics[u32(records[3], 0)])
        font = self.hlp.file("|FONT")
        self.assertEqual(font[u16(font, 4):].split(b"\0")[0].decode(self.code_page), self.face)

    def test_every_topic_text_is_in_the_code_page_and_every_jump_has_its_topic(self):
        jumps = 0
        for pos, record, data1, data2, _ in self.links:
            self.assertIn(record, (0x02, 0x20), f"record at {pos:#x}")
            if record == 0x20:
                commands = paragraph_commands(data1)
                strings = data2.split(b"\0")[:-1]
                self.assertEqual(len(strings), len(commands) + 1, f"strings and commands of {pos:#x}")
                b"".join(strings).decode(self.code_page)
                for c in commands:
                    jumps += c[0] in (0xE2, 0xE3)
                    self.assertTrue(c[0] not in (0xE2, 0xE3) or u32(c, 1) in self.context, f"jump at {pos:#x}")
        self.assertGreater(jumps, 8)

    def test_context_titles_and_keywords_lead_to_topic_starts(self):
        self.assertTrue(set(self.context.values()) <= set(self.topics))
        signed = [h - (1 << 32) if h >> 31 else h for h in self.context]
        self.assertEqual(signed, sorted(signed), "the viewer searches the hashes in signed order")
        titles = HelpFile.tree(self.hlp.file("|TTLBTREE"), title_entry)
        self.assertEqual({o: t.decode(self.code_page) for o, t in titles}, self.topics)
        kwdata = self.hlp.file("|KWDATA")
        keywords = HelpFile.tree(self.hlp.file("|KWBTREE"), keyword_entry)
        self.assertGreater(len(keywords), 20)
        for word, count, at in keywords:
            for i in range(count):
                self.assertIn(u32(kwdata, at + 4 * i), self.topics, word.decode(self.code_page))

    def test_html_page_declares_its_code_page_holds_every_topic_and_needs_no_other_file(self):
        with open(os.path.join(FOLDER, self.name + ".HTM"), "rb") as f:
            page = f.read().decode(self.code_page)
        self.assertIn(f'<meta http-equiv="Content-Type" content="text/html; charset={self.html_charset}">', page)
        self.assertIsNone(re.search(r"(?i)<script|\bsrc\s*=|url\(|@import|\bon[a-z]+\s*=", page))
        anchors = set(re.findall(r'\b(?:id|name)="([^"]+)"', page))
        links = re.findall(r'href="([^"]*)"', page)
        self.assertTrue(all(link.startswith("#") and link[1:] in anchors for link in links))
        # The help file's topics in its order, each under the anchor of its context id,
        # which the table of contents links to.
        titles = HelpFile.tree(self.hlp.file("|TTLBTREE"), title_entry)
        headings = [html.unescape(h) for h in re.findall(r"<h2[^>]*><a[^>]*>(.*?)</a></h2>", page)]
        self.assertEqual(headings, [t.decode(self.code_page) for _, t in titles])
        with open(os.path.join(FOLDER, self.name + ".CNT"), "rb") as f:
            ids = {i.decode().lower() for i in re.findall(rb"=(\S+)\r\n", f.read())}
        self.assertEqual(len(ids), len(titles))
        self.assertTrue(ids <= anchors and {"#" + i for i in ids} <= set(links))

    def test_contents_file_names_every_topic_and_only_topics(self):
        with open(os.path.join(FOLDER, self.name + ".CNT"), "rb") as f:
            raw = f.read()
        self.assertNotIn(b"\n", raw.replace(b"\r\n", b""), "lines end in CR LF")
        lines = raw.decode(self.code_page).split("\r\n")[:-1]
        self.assertEqual(lines[0], ":Base " + self.name + ".HLP")
        named = set()
        for line in (line for line in lines if not line.startswith(":")):
            level, _, entry = line.partition(" ")
            self.assertIn(level, ("1", "2"), line)
            if "=" in entry:
                title, _, context_id = entry.rpartition("=")
                self.assertEqual(self.topics.get(self.context.get(hash_of(context_id))), title, line)
                named.add(self.context[hash_of(context_id)])
        self.assertEqual(named, set(self.topics), "a topic the contents file does not reach")


class JapaneseHelpFile(HelpFileStructure, unittest.TestCase):
    name, code_page, charset, locale = "ZORVANE", "cp932", 128, 0x0411
    title, contents_word, face, html_charset = "Zorvane ヘルプ", "目次", "ＭＳ Ｐゴシック", "Shift_JIS"


class EnglishHelpFile(HelpFileStructure, unittest.TestCase):
    name, code_page, charset, locale = "ZORVANEE", "cp1252", 0, 0x0409
    title, contents_word, face, html_charset = "Zorvane Help", "Contents", "Arial", "windows-1252"


if __name__ == "__main__":
    unittest.main()
