#!/usr/bin/env python3
"""The sea's look in numbers, per screenshot (PNG, 8-bit RGB or RGBA; standard library only).

  lowq-std   standard deviation of the luminance over the lowest quarter of the picture: how much the
             ripples show under the camera
  far/near   mean luminance of the far sixth of the sea below the horizon over that of the near sixth
             (the sea's rows from the horizon to the picture's bottom, split in six): how much brighter
             the sea turns toward the horizon
  step       median over the picture's columns of the largest luminance step between neighbouring
             rows within the horizon band (HORIZON_BAND rows either side of the horizon): how hard the
             line where the sea meets the sky is

The horizon is found per column as the largest step between the mean luminance of the BAND rows
above and below a row (once the sea blends into the sky there is no edge left to find, so give the
picture of the same frame from an older build as the reference: SHOT.png:REFERENCE.png). Columns
whose largest step is below MIN_EDGE levels have no horizon; with fewer than a quarter of the
columns showing one, the picture has no horizon in view and only lowq-std is printed.
Luminance is 0.299 R + 0.587 G + 0.114 B, in levels 0..255.
Usage: bench/look_report.py SHOT.png[:REFERENCE.png] ...
"""
import statistics
import struct
import sys
import zlib

HORIZON_BAND = 6
MIN_EDGE = 40.0


def read_png(path):
    """Width, height and the luminance rows of a PNG, top row first."""
    width, height, channels, lines = read_png_lines(path)
    return width, height, [[0.299 * line[x] + 0.587 * line[x + 1] + 0.114 * line[x + 2]
                            for x in range(0, width * channels, channels)] for line in lines]


def read_png_lines(path):
    """Width, height, channels (3 or 4) and the unfiltered byte rows of a PNG, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA PNGs without interlacing")
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
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
        rows.append(line)
        previous = line
    return width, height, channels, rows


def horizon_rows(width, height, lum):
    """Row of the horizon per column, or None where the column shows none."""
    found = []
    for x in range(width):
        column = [lum[y][x] for y in range(height)]
        best, best_row = 0.0, None
        for y in range(HORIZON_BAND, height - HORIZON_BAND):
            above = sum(column[y - HORIZON_BAND:y]) / HORIZON_BAND
            below = sum(column[y:y + HORIZON_BAND]) / HORIZON_BAND
            if above - below > best:
                best, best_row = above - below, y
        found.append(best_row if best >= MIN_EDGE else None)
    return found


def report(arg):
    shot, _, reference = arg.partition(":")
    width, height, lum = read_png(shot)
    lowest = [v for row in lum[height - height // 4:] for v in row]
    line = f"{shot}: lowq-std {statistics.pstdev(lowest):5.1f}"
    if reference:
        ref_width, ref_height, ref_lum = read_png(reference)
        if (ref_width, ref_height) != (width, height):
            raise ValueError(f"{reference}: not the size of {shot}")
        horizon = horizon_rows(width, height, ref_lum)
    else:
        horizon = horizon_rows(width, height, lum)
    columns = [x for x in range(width) if horizon[x] is not None]
    if len(columns) < width // 4:
        return line + "  (no horizon in view)"
    steps = []
    far_sum = near_sum = 0.0
    far_count = near_count = 0
    for x in columns:
        h = horizon[x]
        band = range(max(h - HORIZON_BAND, 0), min(h + HORIZON_BAND, height - 1))
        steps.append(max(abs(lum[y + 1][x] - lum[y][x]) for y in band))
        sixth = (height - h) // 6
        if sixth == 0:
            continue
        for y in range(h, h + sixth):
            far_sum += lum[y][x]
        for y in range(height - sixth, height):
            near_sum += lum[y][x]
        far_count += sixth
        near_count += sixth
    far_near = (far_sum / far_count) / max(near_sum / near_count, 1e-9) if far_count else float("nan")
    row = statistics.median(horizon[x] for x in columns)
    return line + f"  far/near {far_near:4.2f}  step {statistics.median(steps):5.1f}  (horizon row {row:.0f}, {len(columns)} columns)"


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        for arg in sys.argv[1:]:
            print(report(arg), flush=True)
    except (OSError, ValueError, zlib.error) as error:
        print(f"look_report: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
