"""The windows as the program declares them, read from the layout the build dumps off the
headless platform (tools/layout_dump.cpp: layout.json in the host build, or the native one's): captions, client sizes,
outlines, a point of bare background, labels by the name a screen reader hears, text boxes by
their accessible names, link addresses, and the label that shows the score. The checks take every
place and size from here and type none again. Rectangles are (left, top, right, bottom) in client
pixels at the density asked for.
"""

import json
import os
from functools import cache
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DUMP = Path(os.environ.get("AMORIX_LAYOUT") or next(
    (p for p in (ROOT / "build" / preset / "layout.json" for preset in ("host", "linux"))
     if p.exists()), ROOT / "build" / "host" / "layout.json"))
MAIN, REMINDER, CREDIT, HELP, SPLASH, FORMATION, CONFIRMATION, TERMS = (
    "Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7", "Form8")
FORMS = (MAIN, REMINDER, CREDIT, HELP, SPLASH, FORMATION, CONFIRMATION, TERMS)


class Control:
    def __init__(self, entry):
        self.__dict__.update(entry)
        self.rect = tuple(entry["rect"])

    @property
    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2

    @property
    def width(self):
        return self.rect[2] - self.rect[0]

    @property
    def height(self):
        return self.rect[3] - self.rect[1]


class Window:
    def __init__(self, form, entry):
        self.form = form
        self.caption = entry["caption"]
        self.size = tuple(entry["size"])
        self.outline = tuple(entry["outline"]) if entry["outline"] else None
        self.background = tuple(entry["background"]) if entry["background"] else None
        self.labels = [Control(e) for e in entry["labels"]]
        self.boxes = [Control(e) for e in entry["boxes"]]

    def label(self, name):
        """The label a screen reader hears as NAME (its caption, or the tooltip of a glyph)."""
        found = [label for label in self.labels if label.name == name]
        assert len(found) == 1, f"{self.caption} has {len(found)} labels named {name!r}"
        return found[0]

    def box(self, name):
        found = [box for box in self.boxes if box.name == name]
        assert len(found) == 1, f"{self.caption} has {len(found)} boxes named {name!r}"
        return found[0]

    @property
    def links(self):
        return [label for label in self.labels if label.role == "link" and label.shown]

    @property
    def score(self):
        return next(label for label in self.labels if label.score)


@cache
def _dump():
    return json.loads(DUMP.read_text())


def window(form, dpi=96):
    """Window FORM ("Form1" ... "Form8", or the names above) as laid out at DPI."""
    return Window(form, _dump()["densities"][str(dpi)][form])


def densities():
    return [int(d) for d in _dump()["densities"]]


def all_links():
    """Every address a link label of any window opens."""
    return sorted({label.address for form in _dump()["densities"]["96"]
                   for label in window(form).links})
