#!/usr/bin/env python3
"""Draws the program's picture and icon: a white double quotation mark on a
blue rounded square. Writes app/picture<N>.bmp (N x N, 24 bits per pixel) for
each size the program draws the picture at (kPictureSizes in
engine/picture_screen.h: one for each display scale step), app/pictures.rc
naming them as the program loads them ("PICTURE<N>"), and app/kaveto.ico
(16, 24 and 32 pixels, 24 bits per pixel with a mask).

The shapes are described in a unit square and sampled 8 x 8 times per pixel;
a pixel takes the colour that covers most of it. Edges stay hard because the
picture is drawn with a transparent colour key (its bottom-left pixel), which
a blended edge would fringe.

Run from anywhere: python3 tools/art/make_art.py
"""
import math
import os
import re
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
KEY = (255, 0, 255)      # the transparent colour: every pixel outside the square
TILE = (38, 92, 140)     # the rounded square
EDGE = (20, 52, 84)      # its one-pixel rim, so it reads on a light desktop
MARK = (255, 255, 255)   # the quotation mark


def in_rounded_square(x, y, half, radius):
    dx = max(abs(x - 0.5) - (half - radius), 0.0)
    dy = max(abs(y - 0.5) - (half - radius), 0.0)
    return dx * dx + dy * dy <= radius * radius


def in_comma(x, y, cx, cy):
    """One opening quote: a ball with a tail rising to the upper right."""
    r = 0.135
    if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
        return True
    # A tapering stroke from the ball's upper left to a point above it.
    ax, ay = cx - 0.095, cy - 0.02
    bx, by = cx + 0.06, cy - 0.31
    vx, vy = bx - ax, by - ay
    t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
    t = min(max(t, 0.0), 1.0)
    px, py = ax + t * vx, ay + t * vy
    width = 0.075 - 0.035 * t
    return (x - px) ** 2 + (y - py) ** 2 <= width * width


def colour_at(x, y, rim):
    if not in_rounded_square(x, y, 0.48, 0.17):
        return KEY
    if in_comma(x, y, 0.33, 0.62) or in_comma(x, y, 0.67, 0.62):
        return MARK
    if not in_rounded_square(x, y, 0.48 - rim, 0.17):
        return EDGE
    return TILE


def render(size, samples=8, rim=None):
    """Rows top to bottom of (r, g, b) pixels. The picture's rim is a whole
    number of pixels at every size (one at 24, two at 48), so it stays crisp;
    the icon keeps the rim it was first drawn with."""
    if rim is None:
        rim = max(1, round(size / 24)) / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size, rim)
                    votes[c] = votes.get(c, 0) + 1
            row.append(max(votes.items(), key=lambda kv: (kv[1], kv[0] != KEY))[0])
        rows.append(row)
    # The colour key is the bottom-left pixel: it has to be the background.
    assert rows[-1][0] == KEY
    return rows


def dib_pixels(rows):
    """24-bit rows bottom-up, blue-green-red, each padded to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)


def write_bmp(path, rows):
    size = len(rows)
    pixels = dib_pixels(rows)
    header = info_header(size, size, len(pixels))
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + pixels)


def icon_image(rows):
    """One icon image: header with doubled height, colour bits, AND mask."""
    size = len(rows)
    colour_rows = [[(0, 0, 0) if c == KEY else c for c in row] for row in rows]
    xor = dib_pixels(colour_rows)
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray((size + 31) // 32 * 4)
        for x, c in enumerate(row):
            if c == KEY:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info_header(size, size * 2, len(xor) + len(mask)) + xor + bytes(mask)


def write_ico(path, sizes):
    images = [icon_image(render(s, rim=1.0 / 24)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def picture_sizes():
    """The sizes the program draws the picture at, read from its source so
    that the two never disagree."""
    with open(os.path.join(ROOT, "engine", "picture_screen.h"), encoding="utf-8") as f:
        m = re.search(r"kPictureSizes\[\] = \{([0-9, ]+)\}", f.read())
    return [int(n) for n in m.group(1).split(",")]


def write_rc(path, sizes):
    lines = ["// The main window's picture, one bitmap for each size it is drawn at;",
             "// written by tools/art/make_art.py."]
    lines += ['PICTURE%d BITMAP "picture%d.bmp"' % (s, s) for s in sizes]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    app = os.path.join(ROOT, "app")
    sizes = picture_sizes()
    for size in sizes:
        write_bmp(os.path.join(app, "picture%d.bmp" % size), render(size))
    write_rc(os.path.join(app, "pictures.rc"), sizes)
    write_ico(os.path.join(app, "kaveto.ico"), [16, 24, 32])
    for s in (16, 24, 48):
        print("\n".join("".join(" " if c == KEY else "#" if c == MARK else "." for c in row) for row in render(s)))
        print()


if __name__ == "__main__":
    main()
