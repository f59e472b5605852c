#!/usr/bin/env python3
"""Draws the side picture (bitmap 179) and the program icon (icon group 163).

The motif is a golden racing cup over a blue night sky with a chequered
finish strip. The bitmap is stored with RLE8 compression, which Windows
expands when it loads the resource, so the picture costs a few kilobytes
in setup.exe rather than fifty. Output is the same bytes on every run.
"""
import math
import struct
import sys

GOLD = [(120, 80, 0), (170, 120, 10), (215, 165, 30), (245, 205, 70), (255, 240, 160)]


def cup_shade(x, y, cx, top, scale):
    """Returns a gold shade index for a pixel of the cup, or None."""
    u = (x - cx) / scale
    v = (y - top) / scale
    # Bowl: the lower half of an ellipse, slightly flared at the rim.
    if 0 <= v <= 1.0:
        half = 0.55 * math.sqrt(max(0.0, 1 - v * v)) + 0.05 * (1 - v)
        if half > 0 and abs(u) <= half:
            light = 0.5 - u / (2 * half) * 0.9 - v * 0.2
            return max(0, min(4, int(light * 5 + 1.2)))
        # Handles: rings on both sides of the bowl.
        for side in (-1, 1):
            du, dv = u - side * 0.62, v - 0.35
            r = math.hypot(du / 0.8, dv)
            if 0.16 <= r <= 0.27 and side * du > -0.02:
                return 2
    # Stem and knot.
    if 1.0 < v <= 1.45 and abs(u) <= 0.07 + (0.08 if 1.18 < v < 1.27 else 0):
        return 3 if u < 0 else 1
    # Base, two steps.
    if 1.45 < v <= 1.58 and abs(u) <= 0.32:
        return 2
    if 1.58 < v <= 1.72 and abs(u) <= 0.42:
        return 1
    return None


def side_picture(width=189, height=275):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            colour = (0, 0, 40 + 150 * (height - y) // height)
            # A few fixed stars in the sky.
            if (x * 7 + y * 13) % 211 == 0 and y < 90:
                colour = (220, 220, 255)
            shade = cup_shade(x, y, width // 2, 70, 100)
            if shade is not None:
                colour = GOLD[shade]
            # Two rows of squares: wide ones keep the rows' runs few.
            if y >= height - 36:
                cell = ((x // 18) + ((y - (height - 36)) // 18)) % 2
                colour = (235, 235, 235) if cell else (25, 25, 25)
            row.append(colour)
        rows.append(row)
    return rows


def rle8(indices):
    """Encodes one bottom-up row sequence in BI_RLE8 (runs only, which the
    picture's flat rows favour), with end-of-line and end-of-bitmap codes."""
    out = bytearray()
    for row in indices:
        i = 0
        while i < len(row):
            j = i
            while j < len(row) and j - i < 255 and row[j] == row[i]:
                j += 1
            out += bytes((j - i, row[i]))
            i = j
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"
    return bytes(out)


def write_bmp(path, rows):
    palette = sorted({c for row in rows for c in row})
    assert len(palette) <= 256
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i for i, c in enumerate(palette)}
    height, width = len(rows), len(rows[0])
    bits = rle8([[index[c] for c in row] for row in reversed(rows)])
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(bits), 2835, 2835, 256, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(info) + len(pal)
    header = b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + pal + bits)


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon_image(size):
    """A 4-bit icon image: the cup in yellow and olive on a blue disc."""
    pixels, mask = [], []
    for y in range(size):
        prow, mrow = [], []
        for x in range(size):
            inside = math.hypot(x - size / 2 + 0.5, y - size / 2 + 0.5) <= size / 2 - 0.5
            shade = cup_shade(x, y, size / 2, size * 0.16, size * 0.42)
            if shade is not None:
                prow.append(11 if shade >= 2 else 3)
            else:
                prow.append(12 if inside else 0)
            mrow.append(0 if inside or shade is not None else 1)
        pixels.append(prow)
        mask.append(mrow)
    xor = bytearray()
    for prow in reversed(pixels):
        line = bytearray((prow[i] << 4) | prow[i + 1] for i in range(0, size, 2))
        xor += line + bytes(-len(line) % 4)
    andb = bytearray()
    for mrow in reversed(mask):
        line = bytearray(sum(mrow[i + k] << (7 - k) for k in range(8)) for i in range(0, size, 8))
        andb += line + bytes(-len(line) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(andb), 0, 0, 16, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in VGA16)
    return info + pal + bytes(xor) + bytes(andb)


def write_ico(path):
    images = [(32, icon_image(32)), (16, icon_image(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    write_bmp(folder + "/side.bmp", side_picture())
    write_ico(folder + "/setup.ico")
