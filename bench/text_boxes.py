#!/usr/bin/env python3
"""The screen texts' lines in screenshots: for each line of text-green pixels, its top and bottom row,
height, left and right column and width, in pixels (standard library only).

A pixel is text green when its green is at least GREEN and its red and blue at most OTHER (the texts
are drawn in (0, 0.7, 0); the edge of a letter from the atlas fades into what lies behind it, so only
the pixels at least half covered count). Rows with such pixels are grouped into lines where fewer than
GAP rows without one lie between them. The title "KARVOSTA", capitals only, gives the type's cap height.
Usage: bench/text_boxes.py SHOT.png ...
"""
import sys

import look_report

GREEN, OTHER, GAP = 90, 60, 4


def lines_of_text(path):
    width, height, channels, rows = look_report.read_png_lines(path)
    found, current, blank = [], None, 0
    for y, line in enumerate(rows):
        xs = [x for x in range(width) if line[x * channels + 1] >= GREEN and line[x * channels] <= OTHER
              and line[x * channels + 2] <= OTHER]
        if xs:
            if current is None:
                current = [y, y, min(xs), max(xs)]
            current[1], current[2], current[3] = y, min(current[2], min(xs)), max(current[3], max(xs))
            blank = 0
        elif current is not None:
            blank += 1
            if blank >= GAP:
                found.append(current)
                current = None
    if current is not None:
        found.append(current)
    return width, height, found


def main(paths):
    for path in paths:
        width, height, found = lines_of_text(path)
        print(f"{path}: {width}x{height}")
        for top, bottom, left, right in found:
            print(f"  rows {top:5d}-{bottom:5d} height {bottom - top + 1:4d}   columns {left:5d}-{right:5d} "
                  f"width {right - left + 1:5d}")


if __name__ == "__main__":
    main(sys.argv[1:])
