#!/usr/bin/env python3
"""How close two pictures of the same frame are outside their text: the share of pixels whose three
channels all differ by at most LEVELS, leaving out the text (the overlay's green in either picture,
grown by MARGIN pixels, since the two paths draw text differently).
Usage: bench/picture_close.py A.png B.png
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import look_report  # noqa: E402

LEVELS = 12
MARGIN = 2


def read_rgb(path):
    width, height, channels, lines = look_report.read_png_lines(path)
    return width, height, [bytes(v for i, v in enumerate(line) if i % channels < 3) for line in lines]


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
