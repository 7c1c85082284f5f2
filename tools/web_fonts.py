#!/usr/bin/python3
"""The web build's fonts: each face the windows name (as tools/face_texts prints them) made into a
WOFF2 file from the free font that stands in for it, and their @font-face rules, written after
the page's own style sheet into the one sheet the page links (a request fewer on a slow link).

A face only labels show in is cut down to the characters they show (face_texts lists them), its
rule's unicode-range naming exactly those, and it blocks text until it is in: the labels are
painted once, so they must never be painted in another font. A face a visitor types into keeps
whole alphabets (Latin with its extensions, Greek, Cyrillic); other scripts fall through its
unicode-range to the system's fonts. The first window's characters in a face (use "first") come
in a file of their own, which the page preloads, and leave that face's other file. Hinting is left out: browsers ignore most of it and it is
half of each file. A cut-down Liberation font is a modified version, which its licence lets us
pass on only under a name that leaves the trademark out: files and family names say "Amorix".

Usage: web_fonts.py FACE_TEXTS PAGE_CSS OUT_DIR
       (writes OUT_DIR/amorix.css, PAGE_CSS and the rules, and OUT_DIR/fonts/*.woff2)
"""

import re
import sys
from pathlib import Path

from fontTools import subset

# The face table: one line a cut, columns two or more spaces apart.
FACES = Path(__file__).resolve().parents[1] / "resources" / "faces.txt"
# The name records that name the font itself (family, unique, full, PostScript and the
# typographic names), as opposed to its copyright and licence notices, which stay as they are.
OWN_NAMES = {1, 3, 4, 6, 16, 17, 18, 21, 22}
# What a typed face keeps: Basic Latin, Latin-1, Latin Extended-A and -B, IPA and the spacing
# and combining marks, Greek, Cyrillic, Latin Extended Additional, and the general punctuation,
# currency and letterlike symbols the names may hold.
TYPED_RANGES = [(0x20, 0x7E), (0xA0, 0x36F), (0x370, 0x3FF), (0x400, 0x52F), (0x1E00, 0x1EFF),
                (0x2000, 0x206F), (0x20A0, 0x20CF), (0x2100, 0x214F)]


def ranges(points):
    """Sorted code points as CSS unicode-range items, runs joined."""
    runs = []
    for p in sorted(points):
        if runs and runs[-1][1] == p - 1:
            runs[-1][1] = p
        else:
            runs.append([p, p])
    return ", ".join(f"U+{a:X}" if a == b else f"U+{a:X}-{b:X}" for a, b in runs)


def sources():
    """(face, weight, style) -> the free font with the same metrics, from the face table."""
    found = {}
    for line in FACES.read_text().splitlines():
        if line and not line.startswith("#"):
            face, weight, style, _family, _wine, font = re.split(r"  +", line.strip())
            if font != "-":
                found[(face, weight, style)] = font
    return found


def make(source, points, use, target):
    """Writes the subset; returns the code points it covers."""
    options = subset.Options()
    options.flavor = "woff2"
    options.hinting = False
    options.desubroutinize = True
    options.layout_features = ["*"]
    options.name_IDs = ["*"]  # the licence and copyright notices stay in the file
    options.notdef_outline = True
    options.drop_tables += ["FFTM"]  # a font editor's time stamps
    font = subset.load_font(source, options)
    covered = set(font.getBestCmap())
    if use != "typed" and points - covered:
        sys.exit(f"web_fonts: {Path(source).name} has no glyph for {ranges(points - covered)}")
    kept = covered & points
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=kept)
    subsetter.subset(font)
    for record in font["name"].names:
        if record.nameID in OWN_NAMES:
            record.string = record.toUnicode().replace("Liberation", "Amorix")
    font.flavor = "woff2"
    font.save(target)
    return kept


def main():
    texts, page, out = (Path(a) for a in sys.argv[1:4])
    (out / "fonts").mkdir(parents=True, exist_ok=True)
    rules = ["/* The faces the windows name, on metric-compatible free fonts (their licences in",
             "   fonts/), each cut down to what it shows. Made by the build. */"]
    faces = []
    for line in texts.read_text().splitlines():
        face, weight, style, use, hexes = line.split("\t")
        faces.append(((face, weight, style), use, {int(h, 16) for h in hexes.split(",")}))
    first = {key: points for key, use, points in faces if use == "first"}
    fonts = sources()
    for (face, weight, style), use, points in faces:
        source = fonts.get((face, weight, style))
        if not source:
            sys.exit(f"web_fonts: no font stands in for {face} {weight} {style}")
        if use == "typed":
            points |= {p for a, b in TYPED_RANGES for p in range(a, b + 1)}
        if use != "first":
            points -= first.get((face, weight, style), set())
        if not points:
            continue
        name = Path(source).stem.replace("Liberation", "Amorix")
        name += "-First.woff2" if use == "first" else ".woff2"
        kept = make(source, points, use, out / "fonts" / name)
        rules.append(
            f'@font-face {{ font-family: "{face}"; font-weight: {"bold" if weight == "bold" else "normal"}; '
            f'font-style: {"italic" if style == "italic" else "normal"}; '
            f'font-display: {"swap" if use == "typed" else "block"}; '
            f'src: url(fonts/{name}) format("woff2"); unicode-range: {ranges(kept)}; }}')
    (out / "amorix.css").write_text(page.read_text() + "\n".join(rules) + "\n")


if __name__ == "__main__":
    main()
