#!/usr/bin/env python3
"""Makes the program's help from one UTF-8 source text: the help file, its contents file
and, for systems without WinHelp, the same help as one HTML page.

    mkhelp.py [--code-page 932|1252] SOURCE.txt OUT.HLP OUT.CNT [OUT.HTM]

The help file is a Windows help file (format 1.33, the version that Windows 95's help
writes) in the code page's language: Japanese for 932 (the default), English for 1252,
with its locale, charset and font. The contents file is what the help viewer's Contents
tab lists. The HTML page holds every topic under an anchor of its context id, after a
table of contents; it is written in the same code page and declares it, and needs no
script and no other file. The source's syntax is described at the head of the source
text.
"""
import html
import os
import re
import struct
import sys


class Language:
    def __init__(self, code_page, lcid, charset, face_name, bullet, html_charset, html_lang):
        self.code_page = code_page          # Python's name of the code page
        self.lcid = lcid
        self.charset = charset
        self.face_name = face_name
        self.bullet = bullet                # put before a list item's text
        self.html_charset = html_charset
        self.html_lang = html_lang


LANGUAGES = {
    932: Language("cp932", 0x0411, 128, "ＭＳ Ｐゴシック", "・", "Shift_JIS", "ja"),
    1252: Language("cp1252", 0x0409, 0, "Arial", "\u2022 ", "windows-1252", "en"),
}
# The language of the files being made; main() sets it.
LANG = LANGUAGES[932]

# Every B+ tree here fits in one leaf page; the writer refuses a tree that does not.
DIRECTORY_PAGE = 1024
TREE_PAGE = 2048
BTREE_DIRECTORY = 0x0400
BTREE_ALWAYS = 0x0002

# Topic blocks of 4 KB whose data is LZ77 framed but holds literals only: this keeps
# positions in |TOPIC at block * 16 KB + offset, the one rule that every reader shares.
TOPIC_BLOCK = 4096
BLOCK_HEADER = 12
_GROUPS, _REST = divmod(TOPIC_BLOCK - BLOCK_HEADER, 9)    # a flag byte and eight literals
LITERALS_PER_BLOCK = _GROUPS * 8 + max(_REST - 1, 0)
TOPICPOS_BLOCK = 0x4000
TOPICOFFSET_BLOCK = 0x8000

RECORD_TOPIC_HEADER = 0x02
RECORD_TEXT = 0x20

FONT_BODY, FONT_TITLE, FONT_LABEL = 0, 1, 2
# (bold, half points, RGB) of each font number above.
FONTS = [(False, 20, (0, 0, 0)), (True, 28, (0, 0, 128)), (True, 20, (0, 0, 0))]

CONTEXT_ID = re.compile(r"^[A-Za-z0-9_.]+$")
JUMP = re.compile(r"\[\[([^|\]]+)(?:\|([^\]]+))?\]\]")


class SourceError(Exception):
    pass


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def text(s):
    """Bytes of the code page; a character the code page lacks is an error in the source."""
    try:
        return s.encode(LANG.code_page)
    except UnicodeEncodeError as e:
        raise SourceError(f"not in {LANG.code_page}: {s[e.start:e.end]!r} in {s!r}")


def stringz(s):
    return text(s) + b"\0"


def context_hash(context_id):
    """The help viewer's hash of a context id (letters, digits, '.' and '_')."""
    h = 0
    for c in context_id.lower():
        if "a" <= c <= "z":
            x = ord(c) - ord("a") + 17
        elif "1" <= c <= "9":
            x = ord(c) - ord("0")
        else:
            x = {"0": 10, ".": 12, "_": 13}[c]
        h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def compressed_ushort(v):
    return u8(v * 2) if v < 0x80 else u16(v * 2 + 1)


def compressed_short(v):
    # The one-byte form is the only one that readers decode alike for negative values.
    if not -64 <= v < 64:
        raise ValueError(f"paragraph spacing {v} out of range")
    return u8((v + 64) * 2)


def compressed_long(v):
    return u16((v + 0x4000) * 2) if -0x4000 <= v < 0x4000 else u32((v + 0x4000000) * 2 + 1)


# --- The source text -------------------------------------------------------------------

class Paragraph:
    def __init__(self, kind, body):
        self.kind = kind        # "title", "label", "text" or "item"
        self.body = body


class Topic:
    def __init__(self, context_id, title, book):
        self.context_id = context_id
        self.title = title
        self.book = book
        self.keywords = []
        self.paragraphs = [Paragraph("title", title)]


def read_source(path):
    """The file's settings and its topics, in order."""
    settings = {}
    topics = []
    book = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            where = f"{path}:{number}"
            if not line or line.startswith(";"):
                continue
            if line.startswith("@"):
                key, _, value = line[1:].partition(" ")
                if key == "book":
                    book = value.strip() or None
                else:
                    settings[key] = value.strip()
                continue
            if line.startswith("== "):
                context_id, _, title = line[3:].strip().partition(" ")
                if not CONTEXT_ID.match(context_id) or not title.strip():
                    raise SourceError(f"{where}: a topic needs a context id and a title")
                topics.append(Topic(context_id, title.strip(), book))
                continue
            if not topics:
                raise SourceError(f"{where}: text before the first topic")
            if line.startswith("K "):
                topics[-1].keywords += [k.strip() for k in line[2:].split(";") if k.strip()]
            elif line.startswith("## "):
                topics[-1].paragraphs.append(Paragraph("label", line[3:].strip()))
            elif line.startswith("- "):
                topics[-1].paragraphs.append(Paragraph("item", line[2:].strip()))
            else:
                topics[-1].paragraphs.append(Paragraph("text", line))
    if not topics:
        raise SourceError(f"{path}: no topic")
    ids = [t.context_id.lower() for t in topics]
    for t in topics:
        for p in t.paragraphs:
            for target, _ in JUMP.findall(p.body):
                if target.lower() not in ids:
                    raise SourceError(f"topic {t.context_id}: jump to unknown topic {target}")
    if len(set(ids)) != len(ids) or len({context_hash(i) for i in ids}) != len(ids):
        raise SourceError("two topics share a context id or its hash")
    return settings, topics


# --- |TOPIC ------------------------------------------------------------------------------

class Link:
    """One TOPICLINK: its record type, LinkData1 and LinkData2; the topic header's
    positions are filled in once every link has its place."""

    def __init__(self, record_type, data1, data2, length=0):
        self.record_type = record_type
        self.data1 = data1
        self.data2 = data2
        self.length = length    # characters it counts toward topic offsets
        self.pos = 0            # offset in the stream of all links

    def size(self):
        return 21 + len(self.data1) + len(self.data2)

    def encode(self, prev_pos, next_pos):
        return (u32(self.size()) + u32(len(self.data2)) + u32(prev_pos) + u32(next_pos)
                + u32(21 + len(self.data1)) + u8(self.record_type) + self.data1 + self.data2)


def paragraph_link(paragraph, titles):
    """A text record of one paragraph: strings in LinkData2, each followed in LinkData1
    by the command after it (a font, a jump's start or end, the paragraph's end)."""
    font = {"title": FONT_TITLE, "label": FONT_LABEL}.get(paragraph.kind, FONT_BODY)
    body = paragraph.body
    if paragraph.kind == "item":
        body = LANG.bullet + body
    strings, commands = ["", ""], [u8(0x80) + u16(font)]
    at = 0
    for jump in JUMP.finditer(body):
        strings[-1] += body[at:jump.start()]
        target = jump.group(1)
        commands.append(u8(0xE3) + u32(context_hash(target)))
        strings.append(jump.group(2) or titles[target.lower()])
        commands.append(u8(0x89))
        strings.append("")
        at = jump.end()
    strings[-1] += body[at:]
    commands.append(u8(0x82))
    strings.append("")
    data2 = b"".join(stringz(s) for s in strings)
    length = len(data2) - len(strings) + 1      # the characters and the paragraph's end

    bits = 0x0004                               # space below
    fields = compressed_short(12 if paragraph.kind == "title" else 6)
    if paragraph.kind == "item":
        bits |= 0x0010 | 0x0040
        fields += compressed_short(20) + compressed_short(-20)  # hanging indent for the dot
    data1 = (compressed_long(len(data2)) + compressed_ushort(length)
             + u8(0) + u8(0x80) + u16(0) + u16(bits) + fields
             + b"".join(commands) + u8(0xFF))
    return Link(RECORD_TEXT, data1, data2, length)


def topic_header_link(title):
    # LinkData1 (seven longs) is written once the positions are known.
    return Link(RECORD_TOPIC_HEADER, bytes(28), stringz(title))


def topicpos(pos):
    return BLOCK_HEADER + (pos // LITERALS_PER_BLOCK) * TOPICPOS_BLOCK + pos % LITERALS_PER_BLOCK


def build_topic_file(topics):
    """The |TOPIC file and the topic offset of every topic, in order."""
    titles = {t.context_id.lower(): t.title for t in topics}
    links, headers = [], []
    for topic in topics:
        headers.append(len(links))
        links.append(topic_header_link(topic.title))
        links += [paragraph_link(p, titles) for p in topic.paragraphs]
    # A last, empty topic header ends the last topic: readers stop a topic at the next one.
    headers.append(len(links))
    links.append(topic_header_link(""))

    pos = 0
    for link in links:
        link.pos = pos
        pos += link.size()

    offsets, counted = [], {}
    for i, link in enumerate(links):
        block = link.pos // LITERALS_PER_BLOCK
        if i in headers:
            offsets.append(block * TOPICOFFSET_BLOCK + counted.get(block, 0))
        counted[block] = counted.get(block, 0) + link.length

    for n, i in enumerate(headers):
        end = headers[n + 1] if n + 1 < len(headers) else len(links)
        real = n < len(topics)
        data1 = (u32(sum(l.size() for l in links[i:end]))
                 + u32(offsets[n - 1] if 0 < n < len(topics) else -1)          # browse back
                 + u32(offsets[n + 1] if n + 1 < len(topics) else -1)          # browse forward
                 + u32(n)
                 + u32(-1)                                                      # no non-scrolling region
                 + u32(topicpos(links[i + 1].pos) if real else -1)              # scrolling region
                 + u32(topicpos(links[end].pos) if end < len(links) else -1))   # next topic
        links[i].data1 = data1

    stream = b"".join(
        link.encode(topicpos(links[i - 1].pos) if i else -1,
                    topicpos(links[i + 1].pos) if i + 1 < len(links) else -1)
        for i, link in enumerate(links))

    out = bytearray()
    blocks = (len(stream) + LITERALS_PER_BLOCK - 1) // LITERALS_PER_BLOCK
    for b in range(blocks):
        start = b * LITERALS_PER_BLOCK
        before = [l for l in links if l.pos < start]
        inside = [l for l in links if l.pos >= start]
        header_links = [links[i] for i in headers if links[i].pos < start]
        out += u32(topicpos(before[-1].pos) if before else -1)
        out += u32(topicpos(inside[0].pos) if inside else -1)
        out += u32(topicpos(header_links[-1].pos) if header_links else -1)
        chunk = stream[start:start + LITERALS_PER_BLOCK]
        for i in range(0, len(chunk), 8):
            out += b"\0" + chunk[i:i + 8]      # a flag byte of eight literals
        out += bytes(-len(out) % TOPIC_BLOCK)
    return bytes(out), offsets[:len(topics)]


# --- The other internal files ------------------------------------------------------------

def btree(structure, entries, page_size, flags=BTREE_ALWAYS):
    """A B+ tree of one leaf page."""
    body = b"".join(entries)
    if 8 + len(body) > page_size:
        raise SourceError(f"B+ tree {structure} needs more than one page")
    page = u16(page_size - 8 - len(body)) + u16(len(entries)) + u16(-1) + u16(-1) + body
    page += bytes(page_size - len(page))
    header = (u16(0x293B) + u16(flags) + u16(page_size) + structure.encode().ljust(16, b"\0")
              + u16(0) + u16(0) + u16(0) + u16(-1) + u16(1) + u16(1) + u32(len(entries)))
    return header + page


def main_window(caption):
    """The viewer's main window: its caption, and a place right of the program's window
    (x, y, width, height on the viewer's 1024-unit screen)."""
    flags = 0x0002 | 0x0004 | 0x0008 | 0x0010 | 0x0020 | 0x0040
    return (u16(flags) + bytes(10) + b"main".ljust(9, b"\0") + text(caption).ljust(51, b"\0")[:51]
            + u16(600) + u16(40) + u16(420) + u16(640) + u16(0) + u32(0) + u32(0))


def system_file(settings, contents_offset, cnt_name):
    def record(kind, data):
        return u16(kind) + u16(len(data)) + data

    records = [
        record(1, stringz(settings.get("title", ""))),
        record(2, stringz(settings.get("copyright", ""))),
        record(3, u32(contents_offset)),
        record(4, stringz("BrowseButtons()")),
        record(6, main_window(settings.get("title", ""))),
        record(9, u16(0) + u16(0) + u16(0) + u16(0) + u16(LANG.lcid)),
        record(10, stringz(cnt_name)),
        record(11, u16(LANG.charset)),
        record(12, u8(9) + u8(LANG.charset) + stringz(LANG.face_name)),
    ]
    # Format 1.33, no creation date (the file is the same for the same source), Flags 4.
    return u16(0x036C) + u16(33) + u16(1) + u32(0) + u16(4) + b"".join(records)


def font_file():
    face = text(LANG.face_name).ljust(32, b"\0")
    descriptors = b"".join(
        u8(1 if bold else 0) + u8(half_points) + u8(3) + u16(0) + bytes(rgb) + bytes(3)
        for bold, half_points, rgb in FONTS)
    return u16(1) + u16(len(FONTS)) + u16(8) + u16(8 + len(face)) + face + descriptors


def keyword_files(topics, offsets):
    keywords = {}
    for topic, offset in zip(topics, offsets):
        for k in topic.keywords:
            keywords.setdefault(k, []).append(offset)
    entries, data = [], b""
    for k in sorted(keywords, key=lambda k: text(k).upper()):
        entries.append(stringz(k) + u16(len(keywords[k])) + u32(len(data)))
        data += b"".join(u32(o) for o in keywords[k])
    return btree("F24", entries, TREE_PAGE), data, u32(0) + u16(0)


def internal_files(settings, topics, cnt_name):
    topic_file, offsets = build_topic_file(topics)
    context = sorted((context_hash(t.context_id), o) for t, o in zip(topics, offsets))
    kwbtree, kwdata, kwmap = keyword_files(topics, offsets)
    return {
        "|SYSTEM": system_file(settings, offsets[0], cnt_name),
        "|TOPIC": topic_file,
        "|FONT": font_file(),
        "|CONTEXT": btree("L4", [u32(h) + u32(o) for h, o in context], TREE_PAGE),
        "|CTXOMAP": u16(0),
        "|TTLBTREE": btree("Lz", [u32(o) + stringz(t.title) for t, o in zip(topics, offsets)], TREE_PAGE),
        "|KWBTREE": kwbtree,
        "|KWDATA": kwdata,
        "|KWMAP": kwmap,
    }


def help_file(files):
    """The file header, the internal files one after another, then their directory."""
    def internal(data):
        return u32(len(data) + 9) + u32(len(data)) + u8(4) + data

    body, places = b"", {}
    for name in sorted(files, key=lambda n: n.encode()):
        places[name] = 16 + len(body)
        body += internal(files[name])
    directory = internal(btree("z4", [name.encode() + b"\0" + u32(places[name]) for name in
                                      sorted(files, key=lambda n: n.encode())],
                               DIRECTORY_PAGE, BTREE_DIRECTORY | BTREE_ALWAYS))
    size = 16 + len(body) + len(directory)
    return u32(0x00035F3F) + u32(16 + len(body)) + u32(-1) + u32(size) + body + directory


def contents_file(settings, topics, help_name):
    lines = [f":Base {help_name}", f":Title {settings.get('title', '')}"]
    book = None
    for t in topics:
        if t.book != book and t.book:
            lines.append(f"1 {t.book}")
        book = t.book
        lines.append(f"{2 if t.book else 1} {t.title}={t.context_id}")
    return text("\r\n".join(lines) + "\r\n")


# --- The HTML page -------------------------------------------------------------------------

def esc(s):
    return html.escape(s, quote=False)


def html_text(body, titles):
    """A paragraph's text with its jumps as links to the topics' anchors."""
    out, at = [], 0
    for jump in JUMP.finditer(body):
        out.append(esc(body[at:jump.start()]))
        target = jump.group(1).lower()
        out.append(f'<a href="#{target}">{esc(jump.group(2) or titles[target])}</a>')
        at = jump.end()
    out.append(esc(body[at:]))
    return "".join(out)


def html_page(settings, topics):
    """One page: the title, a table of contents by book, then every topic under an anchor
    of its context id (a name as well as an id, for the browsers of Windows 95)."""
    titles = {t.context_id.lower(): t.title for t in topics}
    title = esc(settings.get("title", ""))
    lines = [
        '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">',
        f'<html lang="{LANG.html_lang}">',
        "<head>",
        f'<meta http-equiv="Content-Type" content="text/html; charset={LANG.html_charset}">',
        f"<title>{title}</title>",
        '<style type="text/css">',
        "body { font-family: sans-serif; margin: 1em 2em; max-width: 48em; }",
        "h2 { color: #000080; border-top: 1px solid #c0c0c0; padding-top: 0.5em; }",
        "</style>",
        "</head>",
        "<body>",
        f"<h1>{title}</h1>",
        "<ul>",
    ]
    book = None
    for t in topics:
        if t.book != book:
            if book:
                lines.append("</ul></li>")
            if t.book:
                lines.append(f"<li>{esc(t.book)}<ul>")
            book = t.book
        lines.append(f'<li><a href="#{t.context_id.lower()}">{esc(t.title)}</a></li>')
    if book:
        lines.append("</ul></li>")
    lines.append("</ul>")
    for t in topics:
        anchor = t.context_id.lower()
        lines.append(f'<h2 id="{anchor}"><a name="{anchor}">{esc(t.title)}</a></h2>')
        items = []
        for p in t.paragraphs[1:]:
            if p.kind != "item" and items:
                lines.append("<ul>" + "".join(items) + "</ul>")
                items = []
            body = html_text(p.body, titles)
            if p.kind == "item":
                items.append(f"<li>{body}</li>")
            elif p.kind == "label":
                lines.append(f"<h3>{body}</h3>")
            else:
                lines.append(f"<p>{body}</p>")
        if items:
            lines.append("<ul>" + "".join(items) + "</ul>")
    if settings.get("copyright"):
        lines.append(f'<hr><p>{esc(settings["copyright"])}</p>')
    lines += ["</body>", "</html>"]
    return text("\r\n".join(lines) + "\r\n")


def main(argv):
    global LANG
    args = argv[1:]
    code_page = 932
    if args[:1] == ["--code-page"] and len(args) > 1:
        code_page = int(args[1]) if args[1].isdigit() else 0
        args = args[2:]
    if code_page not in LANGUAGES or len(args) not in (3, 4):
        sys.exit("usage: mkhelp.py [--code-page 932|1252] SOURCE.txt OUT.HLP OUT.CNT [OUT.HTM]")
    LANG = LANGUAGES[code_page]
    source, hlp_path, cnt_path = args[:3]
    try:
        settings, topics = read_source(source)
        hlp = help_file(internal_files(settings, topics, os.path.basename(cnt_path)))
        cnt = contents_file(settings, topics, os.path.basename(hlp_path))
        page = html_page(settings, topics) if len(args) == 4 else None
    except SourceError as e:
        sys.exit(f"mkhelp.py: {e}")
    outputs = [(hlp_path, hlp), (cnt_path, cnt)] + ([(args[3], page)] if page is not None else [])
    for path, data in outputs:
        with open(path, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv)
