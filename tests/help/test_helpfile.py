"""Reads the built help file and its contents file as a help viewer would: the file
system, the Japanese settings, every topic link, jump, title, keyword and contents
entry. ZV_HELP_FILE and ZV_HELP_CONTENTS name the two files."""
import os
import struct
import unittest

HLP = os.environ.get("ZV_HELP_FILE", "ZORVANE.HLP")
CNT = os.environ.get("ZV_HELP_CONTENTS", "ZORVANE.CNT")


def u16(b, at):
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


def hash_of(context_id):
    # The viewer's hash: letters 17.., digits 1..9 and 0 as 10, '.' 12, '_' 13; base 43.
    h = 0
    for c in context_id.upper():
        x = ord(c) - 48 if c in "123456789" else {"0": 10, ".": 12, "_": 13}.get(c, ord(c) - 64 + 16)
        h = (h * 43 + x) & 0xFFFFFFFF
    return h


def lz77(data):
    """Expands a topic block: a flag byte per eight items, a set bit a 12/4-bit back reference."""
    out = bytearray()
    i = 0
    while i < len(data):
        flags = data[i]
        i += 1
        for bit in range(8):
            if i >= len(data):
                break
            if flags & (1 << bit):
                code = u16(data, i)
                i += 2
                for _ in range((code >> 12) + 3):
                    out.append(out[-(code & 0xFFF) - 1])
            else:
                out.append(data[i])
                i += 1
    return bytes(out)


class HelpFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.directory = dict(self.tree_entries(u32(self.data, 4), self.directory_entry))

    def internal(self, offset):
        reserved, used = u32(self.data, offset), u32(self.data, offset + 4)
        assert used + 9 <= reserved and offset + reserved <= len(self.data), hex(offset)
        return self.data[offset + 9:offset + 9 + used]

    def file(self, name):
        return self.internal(self.directory[name])

    @staticmethod
    def directory_entry(page, at):
        end = page.index(b"\0", at)
        return (page[at:end].decode("ascii"), u32(page, end + 1)), end + 5

    def tree_entries(self, offset_or_name, read_entry):
        """Every leaf entry of a B+ tree in order: down the first children, then along the leaves."""
        tree = self.internal(offset_or_name) if isinstance(offset_or_name, int) else self.file(offset_or_name)
        assert u16(tree, 0) == 0x293B
        page_size, page_no, levels = u16(tree, 4), u16(tree, 26), u16(tree, 32)
        pages = tree[38:]
        assert len(pages) == page_size * u16(tree, 30)
        for _ in range(levels - 1):
            page_no = u16(pages, page_no * page_size + 4)
        entries = []
        while page_no != 0xFFFF:
            page = pages[page_no * page_size:(page_no + 1) * page_size]
            at = 8
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
    at += 4
    bits = u16(data1, at)
    at += 2
    if bits & 0x0001:
        at += 2 if data1[at] % 2 == 0 else 4
    for flag in (0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040):
        if bits & flag:
            at += 1 if data1[at] % 2 == 0 else 2
    assert not bits & 0x0300, "borders and tabs are not written"
    commands = []
    while data1[at] != 0xFF:
        code = data1[at]
        size = {0x80: 3, 0x81: 1, 0x82: 1, 0x83: 1, 0x89: 1, 0x8B: 1, 0x8C: 1, 0xE3: 5, 0xE2: 5}[code]
        commands.append(data1[at:at + size])
        at += size
    assert at == len(data1) - 1, "bytes after the end of the formatting"
    return commands


class HelpFileStructure(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.hlp = HelpFile(HLP)
        topic = cls.hlp.file("|TOPIC")
        cls.blocks = [lz77(topic[b + 12:b + 4096]) for b in range(0, len(topic), 4096)]
        cls.topic_size = len(topic)
        cls.links = cls.walk_links()
        cls.context = dict(cls.hlp.tree_entries("|CONTEXT", lambda p, at: ((u32(p, at), u32(p, at + 4)), at + 8)))

    @classmethod
    def walk_links(cls):
        """(position, record type, LinkData1, LinkData2, topic offset) of every topic link."""
        stream = b"".join(cls.blocks)
        starts = [sum(len(b) for b in cls.blocks[:i]) for i in range(len(cls.blocks))]
        links, pos, prev, counted = [], 12, 0xFFFFFFFF, {}
        while pos != 0xFFFFFFFF:
            block, offset = (pos - 12) >> 14, (pos - 12) & 0x3FFF
            at = starts[block] + offset
            size, len2, prev_pos, next_pos, len1 = struct.unpack_from("<5I", stream, at)
            assert prev_pos == prev, f"link at {pos:#x} does not point back to the one before"
            link = stream[at:at + size]
            record = link[20]
            data1, data2 = link[21:len1], link[len1:]
            assert len(data2) == len2
            links.append((pos, record, data1, data2, block * 0x8000 + counted.get(block, 0)))
            if record == 0x20:
                length = data1[2 if data1[0] % 2 == 0 else 4:]
                counted[block] = counted.get(block, 0) + (length[0] // 2 if length[0] % 2 == 0 else u16(length, 0) // 2)
            prev, pos = pos, next_pos
        return links

    def topics(self):
        """{topic offset: title} of every topic header but the empty one that ends the file."""
        return {off: d2.split(b"\0")[0].decode("cp932") for _, rec, _, d2, off in self.links if rec == 2 and d2 != b"\0"}

    def test_header_and_every_internal_file_is_found_through_the_directory(self):
        data = self.hlp.data
        self.assertEqual(u32(data, 0), 0x00035F3F)
        self.assertEqual(u32(data, 12), len(data))
        self.assertEqual(u32(data, 8), 0xFFFFFFFF)
        for name in ("|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|TTLBTREE", "|KWBTREE", "|KWDATA", "|KWMAP"):
            self.assertIn(name, self.hlp.directory)
        names = list(self.hlp.directory)
        self.assertEqual(names, sorted(names, key=str.encode), "directory out of order")
        for name in names:
            self.hlp.file(name)

    def test_system_file_is_japanese_and_opens_on_the_contents_topic(self):
        system = self.hlp.file("|SYSTEM")
        self.assertEqual((u16(system, 0), u16(system, 2), u16(system, 4)), (0x036C, 33, 1))
        records, at = {}, 12
        while at < len(system):
            kind, size = u16(system, at), u16(system, at + 2)
            records[kind] = system[at + 4:at + 4 + size]
            at += 4 + size
        self.assertEqual(at, len(system))
        self.assertEqual(u16(records[11], 0), 128, "Shift-JIS charset")
        self.assertEqual(u16(records[9], 8), 0x0411, "Japanese locale")
        self.assertEqual(records[1].rstrip(b"\0").decode("cp932"), "Zorvane ヘルプ")
        self.assertIn("目次", self.topics()[u32(records[3], 0)])

    def test_fonts_name_a_japanese_face(self):
        font = self.hlp.file("|FONT")
        faces, count, face_at, desc_at = u16(font, 0), u16(font, 2), u16(font, 4), u16(font, 6)
        width = (desc_at - face_at) // faces
        for i in range(faces):
            self.assertTrue(font[face_at + i * width:].split(b"\0")[0].decode("cp932"))
        for i in range(count):
            self.assertLess(u16(font, desc_at + i * 11 + 3), faces)

    def test_every_topic_text_is_japanese_and_every_jump_has_its_topic(self):
        hashes = set(self.context)
        jumps = 0
        for pos, record, data1, data2, _ in self.links:
            self.assertIn(record, (0x02, 0x20), f"record at {pos:#x}")
            if record != 0x20:
                continue
            commands = paragraph_commands(data1)
            strings = data2.split(b"\0")[:-1]
            self.assertEqual(len(strings), len(commands) + 1, f"strings and commands of {pos:#x}")
            for s in strings:
                s.decode("cp932")
            for c in commands:
                if c[0] in (0xE2, 0xE3):
                    jumps += 1
                    self.assertIn(u32(c, 1), hashes, f"jump at {pos:#x} to no topic")
        self.assertGreater(jumps, 8)

    def test_context_titles_and_keywords_lead_to_topic_starts(self):
        topics = self.topics()
        for h, offset in self.context.items():
            self.assertIn(offset, topics, f"context {h:#x}")
        titles = self.hlp.tree_entries("|TTLBTREE", lambda p, at: ((u32(p, at), p[at + 4:p.index(b"\0", at + 4)]), p.index(b"\0", at + 4) + 1))
        self.assertEqual({o: t.decode("cp932") for o, t in titles}, topics)
        kwdata = self.hlp.file("|KWDATA")
        keywords = self.hlp.tree_entries("|KWBTREE", lambda p, at: ((p[at:p.index(b"\0", at)], u16(p, p.index(b"\0", at) + 1), u32(p, p.index(b"\0", at) + 3)), p.index(b"\0", at) + 7))
        self.assertGreater(len(keywords), 20)
        for word, count, at in keywords:
            for i in range(count):
                self.assertIn(u32(kwdata, at + 4 * i), topics, word.decode("cp932"))

    def test_contents_file_names_every_topic_and_only_topics(self):
        with open(CNT, "rb") as f:
            raw = f.read()
        self.assertNotIn(b"\n", raw.replace(b"\r\n", b""), "lines end in CR LF")
        lines = raw.decode("cp932").split("\r\n")[:-1]
        self.assertEqual(lines[0], ":Base " + os.path.basename(HLP).upper())
        offsets = self.context
        named = set()
        for line in lines[1:]:
            if line.startswith(":"):
                continue
            level, _, entry = line.partition(" ")
            self.assertIn(level, ("1", "2"), line)
            if "=" in entry:
                title, _, context_id = entry.rpartition("=")
                self.assertIn(hash_of(context_id), offsets, line)
                self.assertEqual(self.topics()[offsets[hash_of(context_id)]], title)
                named.add(offsets[hash_of(context_id)])
        self.assertEqual(named, set(self.topics()), "a topic the contents file does not reach")


if __name__ == "__main__":
    unittest.main()
