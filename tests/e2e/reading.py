"""Reads the whole number a crop of the screen shows, as a person reads the result label: its ink
matched against the very font the label names, drawn with PIL for every candidate number, the
best match at the best small shift. OCR engines misread the label's calligraphic italic digits;
a match against the label's own font does not. The label's font is Monotype Corsiva at 24
points, which the programs find as URW's Z003.
"""

import subprocess
from functools import cache

from PIL import Image, ImageDraw, ImageFont

SHIFTS = range(-2, 3)
FACE = "Z003:italic"
POINTS = 24


def ink(image):
    """The inked pixels of a picture's green plane (red or black ink on white both leave it
    dark), moved so that their bounding box starts at 0, 0."""
    green = image.convert("RGB").getchannel("G")
    width = green.width
    points = [(i % width, i // width) for i, v in enumerate(green.getdata()) if v < 128]
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


@cache
def font_file():
    return subprocess.run(["fc-match", "-f", "%{file}", FACE], capture_output=True, text=True,
                          check=True, timeout=10).stdout


@cache
def drawn(number, pixels):
    """The ink of NUMBER drawn in the label's face, PIXELS to the em, black on white."""
    font = ImageFont.truetype(font_file(), pixels)
    left, top, right, bottom = font.getbbox(str(number))
    picture = Image.new("RGB", (right - left + 4, bottom - top + 4), "white")
    ImageDraw.Draw(picture).text((2 - left, 2 - top), str(number), font=font, fill="black")
    return ink(picture)


def read_number(crop, dpi=96, low=55, high=115):
    """The number (as text) that CROP shows at DPI pixels per inch, or None when it holds no ink."""
    seen = ink(crop)
    if not seen:
        return None
    pixels = round(POINTS * dpi / 72)
    return str(min(range(low, high + 1), key=lambda n: distance(seen, drawn(n, pixels))))
