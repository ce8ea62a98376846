#!/usr/bin/env python3
"""Where two screenshots of the same frame differ, as a mask: changed pixels white, the rest a dim
copy of the first picture. Prints how many pixels changed above the horizon (as bench/look_report.py
finds it in the first picture, less MARGIN rows): with only the sea's shading changed, the sky,
ships, ducks and titles there stay the same, so that count is that of the sea's own pixels above
the line (ships' reflections and far waves), not of sky pixels.
Usage: bench/look_diff.py BEFORE.png AFTER.png MASK.png
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import look_report  # noqa: E402

MARGIN = 8


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    before, after, mask = sys.argv[1:]
    try:
        width, height, lum_before = look_report.read_png(before)
        width_after, height_after, lum_after = look_report.read_png(after)
    except (OSError, ValueError, zlib.error) as error:
        print(f"look_diff: {error}", file=sys.stderr)
        return 1
    if (width, height) != (width_after, height_after):
        print(f"look_diff: {after} is not the size of {before}", file=sys.stderr)
        return 1
    horizon = look_report.horizon_rows(width, height, lum_before)
    rows, changed, above = [], 0, 0
    for y in range(height):
        row = bytearray()
        for x in range(width):
            differs = lum_before[y][x] != lum_after[y][x]
            changed += differs
            if differs and horizon[x] is not None and y < horizon[x] - MARGIN:
                above += 1
            v = 255 if differs else int(lum_before[y][x] * 0.3)
            row += bytes((v, v, v))
        rows.append(row)
    write_png(mask, width, height, rows)
    print(f"{after}: {changed} pixels changed, {above} of them above the horizon; mask {mask}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
