"""What the end-to-end checks may ask of a program under test, whatever it runs on: the Windows
program under wine, the native GTK program (both through x11.py), or the browser program in an
engine (web.py). Every method speaks as a person acts or sees: windows by their captions, places
in client pixels of a window, keys by name. A check written against this class runs unchanged on
every program; what a program cannot do it says in `cannot`, and the check is skipped with that
reason.

Coordinates: a window's place (x, y, width, height) is in the pixels of the screen (native) or of
the page's desktop (web: CSS pixels of the program's desktop, before any zoom), its client area's
top-left corner. Points inside a window are client pixels. Screenshots are PIL images of the whole
screen, or of the page's viewport, in those same pixels.
"""

import abc
import time


class Failed(AssertionError):
    """A check's expectation is not met; the message says what was seen instead."""


def expect(ok, why):
    if not ok:
        raise Failed(why)


class Program(abc.ABC):
    name = ""  # "wine", "gtk", "chromium", "webkit", "firefox"
    kind = ""  # "native" or "web"
    # The checks (ids of checks.txt, or a test's own name) this program cannot run: id -> why.
    cannot = {}
    # The mouse buttons a drag of a window's background may start with.
    drag_buttons = (1, 3)

    # --- the program's life ------------------------------------------------------------------
    @abc.abstractmethod
    def start(self, dpi=96):
        """Starts the program afresh (ending a run still going) at DPI pixels per inch."""

    @abc.abstractmethod
    def stop(self):
        """Ends the run, if one goes on; nothing else is stopped."""

    @abc.abstractmethod
    def alive(self):
        """The program still runs."""

    @abc.abstractmethod
    def exit_status(self, timeout=10):
        """Waits up to TIMEOUT seconds for the program to end; its exit status, or None."""

    @abc.abstractmethod
    def close(self):
        """Ends the run and frees what was made ready for the program (prefix server, browser,
        web server)."""

    def listen(self):
        """From its next start, the program speaks to assistive technology where that must be
        turned on (GTK's bridge to AT-SPI, on the harness's own bus); reading() needs it."""

    def log(self):
        """What the program printed, for a failed check's report."""
        return ""

    def after_check(self):
        """Called after every check on the program: raises Failed for what a check left that no
        check may leave (a page whose security policy refused something). Nothing by default."""

    # --- windows -------------------------------------------------------------------------------
    @abc.abstractmethod
    def windows(self):
        """The shown windows: caption -> (x, y, width, height)."""

    @abc.abstractmethod
    def title(self):
        """The title the program shows for itself: the caption of its active window (a browser's
        page title); None while no window shows."""

    @abc.abstractmethod
    def outline(self, caption):
        """The extents of the window's outline, (left, top, right, bottom) in client pixels; None
        for a window that is a plain rectangle."""

    @abc.abstractmethod
    def screen_size(self):
        """(width, height) of the screen, or of the page's viewport."""

    def wait(self, caption, timeout=10):
        """Waits for window CAPTION to be shown; its place. Gives up at once if the program ended."""
        end = time.monotonic() + timeout
        while True:
            shown = self.windows()
            if caption in shown:
                return shown[caption]
            expect(time.monotonic() < end, f"no window '{caption}' is shown; shown: {list(shown)}")
            expect(self.alive(), f"the program ended before '{caption}' showed")
            time.sleep(0.05)

    def wait_gone(self, caption, timeout=5):
        end = time.monotonic() + timeout
        while caption in self.windows():
            expect(time.monotonic() < end, f"window '{caption}' is still shown")
            time.sleep(0.05)

    # --- input: the mouse and the keyboard -------------------------------------------------------
    @abc.abstractmethod
    def point(self, caption, x, y):
        """Moves the pointer to client pixel X, Y of window CAPTION."""

    @abc.abstractmethod
    def click(self, caption, x, y, button=1):
        """Clicks client pixel X, Y of window CAPTION with BUTTON (1 left, 3 right)."""

    @abc.abstractmethod
    def drag(self, caption, x, y, dx, dy, button=1):
        """Presses BUTTON at client pixel X, Y of window CAPTION, moves by DX, DY, releases."""

    def close_window(self, caption):
        """Asks window CAPTION to close by the system's means, as a title bar's close button or
        Alt+F4 asks; a program that has none lists "system-close" in `cannot`."""
        raise NotImplementedError

    @abc.abstractmethod
    def type(self, text):
        """Types TEXT a key at a time into whatever has the keyboard focus."""

    @abc.abstractmethod
    def press(self, *keys):
        """Presses named keys, one after the other: "BackSpace", "Return", "Tab", "ctrl+a"."""

    @abc.abstractmethod
    def paste(self, text):
        """Pastes TEXT (Ctrl+V, or the engine's own paste) into whatever has the focus."""

    # --- what a person or a screen reader observes ----------------------------------------------
    @abc.abstractmethod
    def shot(self):
        """A screenshot, as a PIL image (RGB)."""

    @abc.abstractmethod
    def links_opened(self):
        """Every address handed to the browser so far, in order."""

    def focused(self):
        """The accessible name of the box with the keyboard focus, or None; where the program's
        accessibility cannot be read, NotImplemented."""
        return NotImplemented

    def reading(self, main):
        """What a screen reader reads of the shown windows: {"score": the text of the score label
        of window MAIN (a caption), "" while it shows none; "focus": the accessible name of the
        box with the keyboard focus ("" for a box without one), None for no box; "texts": the
        text of each named box, by name}."""
        raise NotImplementedError

    def desktop_colour(self):
        """The colour the screen shows where no window is, (r, g, b)."""
        raise NotImplementedError
