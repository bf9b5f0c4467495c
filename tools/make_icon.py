#!/usr/bin/env python3
"""Draws the kit's icon: a magnifying glass over a green check mark (the kit only looks, and
reports what it finds). Writes common/resources/kit.ico with the three images every program
carries: 32x32 in 2 colours, 32x32 in 16 colours, 16x16 in 16 colours.

Run it again only to change the mark; the .ico it writes is committed."""
import math
import pathlib
import struct

# The standard 16-colour palette, in its usual order (index: (r, g, b)).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREEN, NAVY, SILVER, GRAY, BLUE, WHITE = 0, 2, 4, 7, 8, 12, 15
TRANSPARENT = None


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(size, mono):
    """Returns rows of palette indexes (None = transparent), top row first."""
    s = size / 32.0
    cx, cy, r_out, r_in = 13 * s, 13 * s, 11.5 * s, 8.5 * s
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            d = math.hypot(px - cx, py - cy)
            handle = seg_dist(px, py, 21.5 * s, 21.5 * s, 29.5 * s, 29.5 * s) <= 2.6 * s
            check = (seg_dist(px, py, 8.5 * s, 13.5 * s, 11.5 * s, 16.5 * s) <= 1.5 * s or
                     seg_dist(px, py, 11.5 * s, 16.5 * s, 17.5 * s, 9.0 * s) <= 1.5 * s)
            if d <= r_in:
                if check:
                    c = BLACK if mono else GREEN
                else:
                    c = WHITE
            elif d <= r_out:
                # the rim: light from the top left
                c = BLACK if mono else (BLUE if (px - cx) + (py - cy) < -r_in * 0.9 else NAVY)
            elif handle:
                c = BLACK if mono else (GRAY if abs((px - py)) < 1.2 * s else BLACK)
            else:
                c = TRANSPARENT
            row.append(c)
        rows.append(row)
    return rows


def pack_bits(values, bpp):
    out = bytearray()
    acc, nbits = 0, 0
    for v in values:
        acc = (acc << bpp) | v
        nbits += bpp
        if nbits == 8:
            out.append(acc)
            acc, nbits = 0, 0
    if nbits:
        out.append(acc << (8 - nbits))
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def image(size, mono):
    rows = draw(size, mono)
    bpp = 1 if mono else 4
    palette = [(0, 0, 0), (255, 255, 255)] if mono else VGA
    xor, mask = b"", b""
    for row in reversed(rows):  # bitmaps are stored bottom-up
        if mono:
            idx = [0 if c == BLACK else 1 if c is not None else 0 for c in row]
        else:
            idx = [c if c is not None else 0 for c in row]
        xor += pack_bits(idx, bpp)
        mask += pack_bits([1 if c is None else 0 for c in row], 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask),
                         0, 0, len(palette), 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + pal + xor + mask, len(palette)


def main():
    images = [image(32, True), image(32, False), image(16, False)]
    sizes = [32, 32, 16]
    bpps = [1, 4, 4]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (data, colours), size, bpp in zip(images, sizes, bpps):
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(data for data, _ in images)
    target = pathlib.Path(__file__).resolve().parent.parent / "common" / "resources" / "kit.ico"
    target.write_bytes(out)
    print(f"wrote {target} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
