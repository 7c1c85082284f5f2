"""The person at the keyboard, written once for every program: they bring up windows the way the
program offers (a menu label, a missing name, a code typed into the help window), aim at controls
by the names a screen reader hears, fill the name boxes, read the score off the screen, and judge
a window by where it stands, its outline and its pixels. Every place and size comes from the
program's own layout (layout.py) at the pixels per inch the program was started with; a check
types no geometry of its own.
"""

import time

from PIL import ImageChops

import layout
from layout import CONFIRMATION, CREDIT, FORMATION, FORMS, HELP, MAIN, REMINDER, SPLASH, TERMS
from program import Failed, expect
from reading import read_number

FIRST, SECOND, CALCULATE = "First name", "Second name", "Calculate"
# The label of the main window that brings up each window, and the label that closes it.
OPENER = {CREDIT: "CREDIT", TERMS: "TERMS", HELP: "HELP", CONFIRMATION: "Exit"}
CLOSER = {REMINDER: "Close", CREDIT: "Close", TERMS: "Close", HELP: "Close", FORMATION: "Close",
          CONFIRMATION: "No"}
FORMATION_CODE, EXIT_CODE = "730481", "730418"  # typed into the help window
# Pixels in from an outline's edge where the window must still show: past the edge's blending.
INSET = 5


def differ(a, b):
    """How many pixels differ between two pictures of the same size, by more than the level or
    two an engine's compositing may shift a colour by between two looks at the same picture."""
    expect(a.size == b.size, f"pictures of sizes {a.size} and {b.size} cannot be compared")
    return sum(1 for p in ImageChops.difference(a, b).getdata() if max(p) > 2)


def count(picture, colour):
    """How many pixels of PICTURE have exactly COLOUR."""
    return sum(1 for p in picture.getdata() if p == colour)


class User:
    def __init__(self, program):
        self.program = program
        self.dpi = 96
        self.touched = True  # a click or a key since the program's start
        self.blanks = None  # the main window's name boxes as a start shows them

    # --- the layout -------------------------------------------------------------------------------
    def window(self, form):
        return layout.window(form, self.dpi)

    def caption(self, form):
        return self.window(form).caption

    def control(self, form, name):
        window = self.window(form)
        if any(label.name == name for label in window.labels):
            return window.label(name)
        return window.box(name)

    def place(self, form):
        shown = self.program.windows()
        caption = self.caption(form)
        expect(caption in shown, f"no window '{caption}' is shown; shown: {list(shown)}")
        return shown[caption]

    def shown(self):
        """The captions of the program's windows shown, bottom to top (no tooltip)."""
        known = {self.caption(form) for form in FORMS}
        return [caption for caption in self.program.windows() if caption in known]

    # --- the program's life -----------------------------------------------------------------------
    def start(self, dpi=96):
        self.program.start(dpi)
        self.dpi, self.touched, self.blanks = dpi, False, None

    def wait(self, form, timeout=10):
        """Waits for window FORM to show and to be drawn: until two looks at it, a tenth of a
        second apart, see the same pixels but for a blinking caret (within 3 s). Its place."""
        caption = self.caption(form)
        self.program.wait(caption, timeout)
        end, seen = time.monotonic() + 3, None
        while True:
            shot = self.program.shot()
            place = self.place(form)
            x, y, w, h = place
            now = shot.crop((x, y, x + w, y + h))
            if (seen is not None and now.size == seen.size and differ(now, seen) <= w * h // 1000
                    or time.monotonic() > end):
                return place
            seen = now
            time.sleep(0.1)

    def main(self, timeout=10):
        """Waits for the main window; the first time a run shows it, keeps its blank boxes."""
        place = self.wait(MAIN, timeout)
        if self.blanks is None and not self.touched:
            shot = self.program.shot()
            self.blanks = {name: self.crop(MAIN, name, shot) for name in (FIRST, SECOND)}
        return place

    def at_main(self, dpi=96, fresh=False):
        """The main window shown alone, at DPI: the windows in front closed as a person closes
        them, the program (re)started only when that cannot be done. FRESH asks for a run that
        no click or key has touched."""
        if dpi == self.dpi and not (fresh and self.touched) and self.program.alive():
            main = self.caption(MAIN)
            for attempt in range(4):
                shown = self.shown()
                if shown == [main]:
                    settled = attempt == 0 and (self.blanks or self.touched)
                    return self.place(MAIN) if settled else self.main()
                front = [f for f in (FORMATION, CONFIRMATION, REMINDER, CREDIT, TERMS, HELP,
                                     SPLASH) if self.caption(f) in shown]
                if not front:
                    break
                try:
                    if front[0] == SPLASH:
                        self.program.wait(main)
                    else:
                        self.close(front[0])
                        end = time.monotonic() + 5  # the window behind it shows
                        while not self.shown() and time.monotonic() < end:
                            time.sleep(0.05)
                except Failed:
                    break
        self.start(dpi)
        return self.main(30)

    def show(self, form):
        """Brings up window FORM as a person does; its place."""
        caption = self.caption(form)
        if caption in self.program.windows():
            return self.program.windows()[caption]
        if form == MAIN:
            return self.at_main(self.dpi)
        if form == SPLASH:
            self.start(self.dpi)
        elif form == FORMATION:
            self.show(HELP)
            self.type(FORMATION_CODE)
        elif form == REMINDER:
            self.at_main(self.dpi)
            self.fill(SECOND, "")
            self.click(MAIN, CALCULATE)
        else:
            self.at_main(self.dpi)
            self.click(MAIN, OPENER[form])
        return self.wait(form)

    def close(self, form):
        """Clicks the label that closes FORM, and waits for it to go."""
        self.click(form, CLOSER[form])
        self.program.wait_gone(self.caption(form))

    # --- the mouse and the keyboard ---------------------------------------------------------------
    def spot(self, form, name):
        """The middle of control NAME (a label's or a box's accessible name, or a Control of the
        layout) of window FORM; its bare background for None."""
        if name is None:
            return self.window(form).background
        control = name if isinstance(name, layout.Control) else self.control(form, name)
        return control.centre

    def click(self, form, name=None, button=1):
        self.touched = True
        self.program.click(self.caption(form), *self.spot(form, name), button)

    def point(self, form, name=None):
        self.program.point(self.caption(form), *self.spot(form, name))

    def type(self, text):
        self.touched = True
        self.program.type(text)

    def press(self, *keys):
        self.touched = True
        self.program.press(*keys)

    def fill(self, box, text):
        """Replaces the text of a name box of the main window: a click into it, all selected,
        TEXT typed a key at a time."""
        self.click(MAIN, box)
        self.press("ctrl+a", "BackSpace")
        if text:
            self.type(text)

    def paste(self, box, text):
        self.fill(box, "")
        self.touched = True
        self.program.paste(text)

    def drag(self, form, dx, dy, button=1):
        """Drags window FORM by DX, DY from its bare background."""
        self.touched = True
        self.program.drag(self.caption(form), *self.window(form).background, dx, dy, button)

    # --- the score --------------------------------------------------------------------------------
    def calculate(self, first, second):
        """Both names typed and Calculate clicked: the score the main window shows."""
        self.fill(FIRST, first)
        self.fill(SECOND, second)
        return self.scores()

    def scores(self):
        self.click(MAIN, CALCULATE)
        return self.score()

    def result(self, shot=None):
        """The crop of the label that shows the score."""
        return self.crop(MAIN, self.window(MAIN).score, shot)

    def score(self, shot=None):
        """The score as the main window shows it (text), or None for an empty label."""
        return read_number(self.result(shot), self.dpi)

    # --- what is on the screen --------------------------------------------------------------------
    def crop(self, form, name, shot=None):
        """The pixels of control NAME (or a Control, or a rectangle) of FORM."""
        if isinstance(name, tuple):
            left, top, right, bottom = name
        else:
            control = name if isinstance(name, layout.Control) else self.control(form, name)
            left, top, right, bottom = control.rect
        x, y = self.place(form)[:2]
        shot = shot or self.program.shot()
        return shot.crop((x + left, y + top, x + right, y + bottom))

    def caret(self, box):
        """Pixels a blinking caret may account for in a crop of BOX."""
        return 2 * self.control(MAIN, box).height

    def centred(self, form):
        """FORM stands centred on the screen at its client size."""
        x, y, w, h = self.place(form)
        sw, sh = self.program.screen_size()
        size = self.window(form).size
        cx, cy = (sw - size[0]) // 2, (sh - size[1]) // 2
        expect((w, h) == size and abs(x - cx) <= 1 and abs(y - cy) <= 1,
               f"'{self.caption(form)}' stands at {w}x{h}+{x}+{y}, not {size[0]}x{size[1]}+{cx}+{cy}")

    def outlined(self, form, exact=False):
        """FORM's outline has the extents the layout gives; its extents. Rounded corners are
        rasterised one pixel short on the right and at the bottom, as the platform's regions
        are, so one pixel less is accepted unless EXACT."""
        got, want = self.program.outline(self.caption(form)), self.window(form).outline
        expect(got is not None, f"'{self.caption(form)}' is a plain rectangle, not outlined {want}")
        close = all(abs(g - w) <= (0 if exact or i < 2 else 1) for i, (g, w) in
                    enumerate(zip(got, want)))
        expect(close, f"'{self.caption(form)}' has the outline extents {got}, not {want}")
        return got

    def shows(self, form, shot, desktop=(), window=()):
        """In SHOT, the client points DESKTOP of FORM show the desktop, and WINDOW do not."""
        x, y = self.place(form)[:2]
        colour = self.program.desktop_colour()
        bad = [f"{p} is {shot.getpixel((x + p[0], y + p[1]))}, not the desktop" for p in desktop
               if shot.getpixel((x + p[0], y + p[1])) != colour]
        bad += [f"{p} shows the desktop" for p in window
                if shot.getpixel((x + p[0], y + p[1])) == colour]
        expect(not bad, f"'{self.caption(form)}': " + "; ".join(bad))

    def rounded(self, form, shot):
        """FORM's outline is a rounded rectangle: the desktop shows at its four corners, but not
        at the middle of its edges nor just inside a corner."""
        left, top, right, bottom = self.outlined(form)
        w, h = right - left, bottom - top
        d = min(w, h) // 9
        corners = [(left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)]
        inside = [(left + w // 2, top), (left, top + h // 2), (left + w // 2, bottom - 1),
                  (left + d, top + d), (right - 1 - d, bottom - 1 - d)]
        self.shows(form, shot, desktop=corners, window=inside)
