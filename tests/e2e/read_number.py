#!/usr/bin/env python3
"""Reads the whole number that a crop of the screen shows, by matching its ink against the same
font drawn by ImageMagick for every candidate number, the best match at the best small shift.
OCR engines misread the result label's calligraphic italic digits; a match against the very
font the label names does not.

Usage: read_number.py CROP.png FONT_FILE PIXEL_SIZE LOW HIGH
Prints the best candidate, its distance (pixels that differ) and the runner-up's distance;
"none" when the crop holds no ink.
"""

import subprocess
import sys
import tempfile
from pathlib import Path

SHIFTS = range(-2, 3)
GREEN = ["-channel", "G", "-separate", "-depth", "8"]


def ink(pgm):
    """The set of inked pixels of a picture's green plane (red or black ink on white both leave
    it dark), moved so that their bounding box starts at 0, 0."""
    fields = pgm.split(maxsplit=4)
    width, height, data = int(fields[1]), int(fields[2]), fields[4]
    points = {(i % width, i // width) for i, v in enumerate(data[:width * height]) if v < 128}
    if not points:
        return frozenset()
    left = min(x for x, _ in points)
    top = min(y for _, y in points)
    return frozenset((x - left, y - top) for x, y in points)


def distance(a, b):
    """Pixels that differ between two ink sets, at the best shift of b by up to two pixels."""
    best = len(a) + len(b)
    for dx in SHIFTS:
        for dy in SHIFTS:
            common = sum((x + dx, y + dy) in a for x, y in b)
            best = min(best, len(a) + len(b) - 2 * common)
    return best


def main():
    crop, font, size, low, high = sys.argv[1:6]
    numbers = range(int(low), int(high) + 1)
    seen = ink(subprocess.run(["convert", crop, *GREEN, "pgm:-"], check=True,
                              capture_output=True).stdout)
    if not seen:
        print("none 0 0")
        return
    with tempfile.TemporaryDirectory() as tmp:
        labels = [f"label:{n}" for n in numbers]
        subprocess.run(["convert", "-background", "white", "-fill", "black", "-font", font,
                        "-pointsize", size, *labels, *GREEN, f"{tmp}/%d.pgm"], check=True)
        scored = sorted((distance(seen, ink(Path(tmp, f"{i}.pgm").read_bytes())), n)
                        for i, n in enumerate(numbers))
    (best, number), (runner_up, _) = scored[0], scored[1]
    print(number, best, runner_up)


if __name__ == "__main__":
    main()
