#!/usr/bin/env python3
"""How close two pictures of the same frame are outside their text: the share of pixels whose three
channels all differ by at most LEVELS, leaving out the text (the overlay's green in either picture,
grown by MARGIN pixels, since the two paths draw text differently).
Usage: bench/picture_close.py A.png B.png
"""
import struct
import sys
import zlib

LEVELS = 12
MARGIN = 2


def read_rgb(path):
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", data[pos + 8:pos + 8 + length])
        elif kind == b"IDAT":
            idat.append(data[pos + 8:pos + 8 + length])
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA PNGs without interlacing")
    channels = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(b"".join(idat)), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(v for i, v in enumerate(line) if i % channels < 3))
        previous = line
    return width, height, rows


def is_text(row, x):
    r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
    return g >= 120 and r < 90 and b < 90


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    (width, height, a), (w2, h2, b) = read_rgb(sys.argv[1]), read_rgb(sys.argv[2])
    if (width, height) != (w2, h2):
        sys.exit("the pictures differ in size")
    text = set()
    for y in range(height):
        for x in range(width):
            if is_text(a[y], x) or is_text(b[y], x):
                for dy in range(-MARGIN, MARGIN + 1):
                    for dx in range(-MARGIN, MARGIN + 1):
                        text.add((y + dy, x + dx))
    close = counted = 0
    for y in range(height):
        ra, rb = a[y], b[y]
        for x in range(width):
            if (y, x) in text:
                continue
            counted += 1
            close += all(abs(ra[3 * x + c] - rb[3 * x + c]) <= LEVELS for c in range(3))
    print(f"within {LEVELS} levels outside the text: {100.0 * close / max(counted, 1):.2f} %"
          f" of {counted} pixels")


if __name__ == "__main__":
    main()
