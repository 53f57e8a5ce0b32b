#!/usr/bin/env python3
"""Build a Windows .ico file from the pixel-art text of the application icon.

usage: mkicon.py SOURCE.icon.txt OUTPUT.ico

Every image is stored as a 16-colour bitmap with its AND mask. Palette
index 0 is black: transparent pixels use it with the mask bit set, so the
screen under them is left as it is.
"""
import struct
import sys

TRANSPARENT = "."


class IconSourceError(Exception):
    pass


def parse(text):
    palette = {}
    images = []
    rows = None
    size = 0
    for lineno, raw in enumerate(text.splitlines(), 1):
        line = raw.rstrip()
        if rows is not None and len(rows) < size:
            if len(line) != size:
                raise IconSourceError(f"line {lineno}: expected {size} pixels, found {len(line)}")
            for ch in line:
                if ch != TRANSPARENT and ch not in palette:
                    raise IconSourceError(f"line {lineno}: colour {ch!r} is not in the palette")
            rows.append(line)
            continue
        if not line or line.startswith("#"):
            continue
        words = line.split()
        if words[0] == "colour" and len(words) == 3 and len(words[1]) == 1:
            if words[1] == TRANSPARENT:
                raise IconSourceError(f"line {lineno}: {TRANSPARENT!r} is reserved for transparency")
            try:
                value = int(words[2], 16)
            except ValueError:
                raise IconSourceError(f"line {lineno}: bad colour {words[2]!r}") from None
            if len(words[2]) != 6:
                raise IconSourceError(f"line {lineno}: bad colour {words[2]!r}")
            palette[words[1]] = ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)
        elif words[0] == "image" and len(words) == 2 and words[1].isdigit():
            size = int(words[1])
            if size not in (16, 24, 32, 48):
                raise IconSourceError(f"line {lineno}: unsupported image size {size}")
            rows = []
            images.append((size, rows))
        else:
            raise IconSourceError(f"line {lineno}: cannot read {line!r}")
    if not images:
        raise IconSourceError("no image")
    for size, image_rows in images:
        if len(image_rows) != size:
            raise IconSourceError(f"image {size}: {len(image_rows)} rows instead of {size}")
    return palette, images


def colour_table(palette):
    """Index 0 is black; the other colours follow in their order of definition."""
    colours = [(0, 0, 0)]
    index = {}
    for ch, rgb in palette.items():
        if rgb not in colours:
            colours.append(rgb)
        index[ch] = colours.index(rgb)
    if len(colours) > 16:
        raise IconSourceError(f"{len(colours)} colours; a 16-colour icon holds at most 16")
    colours += [(0, 0, 0)] * (16 - len(colours))
    return colours, index


def bitmap(size, rows, colours, index):
    """The DIB of one icon image: header, colour table, colour bits, mask bits."""
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for line in reversed(rows):  # bitmaps are stored bottom row first
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, ch in enumerate(line):
            value = 0 if ch == TRANSPARENT else index[ch]
            row[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if ch == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    return header + table + bytes(xor) + bytes(mask)


def build_ico(text):
    palette, images = parse(text)
    colours, index = colour_table(palette)
    images = sorted(images, key=lambda image: -image[0])  # largest first
    blobs = [bitmap(size, rows, colours, index) for size, rows in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: mkicon.py SOURCE.icon.txt OUTPUT.ico\n")
        return 2
    try:
        with open(argv[1], encoding="utf-8") as source:
            data = build_ico(source.read())
    except (OSError, IconSourceError) as error:
        sys.stderr.write(f"mkicon.py: {argv[1]}: {error}\n")
        return 1
    with open(argv[2], "wb") as target:
        target.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
