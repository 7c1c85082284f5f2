"""The native programs on an X display, driven as a person drives them: the Windows program under
wine in a private prefix, or the GTK program in a private home. Windows are found by their
captions among the mapped top-level windows, input goes through XTest, outlines are read with
the SHAPE extension and the screen with GetImage, all through python-xlib in this process.

No window manager runs, so the programs place and move their windows themselves. Links go to a
stand-in browser (xdg-open first on the PATH, and the default handler of web addresses in the
private home), which writes each address it is given to a file. Every wait is bounded; only what
was started here is stopped, by its PID.
"""

import os
import re
import select
import subprocess
import threading
import time
from pathlib import Path

from PIL import Image
from Xlib import X, XK, Xatom, display as xdisplay, error as xerror
from Xlib.ext import xtest
from Xlib.protocol import event as xevent

import layout
from program import Failed, Program, expect

ROOT = Path(__file__).resolve().parents[2]
READER = ROOT / "build/windows/tests/screen_reader.exe"
# The desktop is painted this colour, which no window's picture uses, so that whatever an outline
# cuts away shows as it in a screenshot.
DESKTOP = (0, 160, 96)
MODIFIERS = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}
SETTLE_CLICK, SETTLE_POINT, SETTLE_KEYS, KEY_GAP, SPARE_HELD = 0.3, 0.15, 0.2, 0.03, 0.3


def stop_pid(process, grace=2):
    """Ends a process started here: politely first, then for good."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(5)


class Clipboard:
    """The CLIPBOARD selection, owned by a window of our own and served from a thread, as a
    clipboard manager would hand what was copied to a program that pastes."""

    def __init__(self, name):
        self.x = xdisplay.Display(name)
        self.window = self.x.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        atom = self.x.intern_atom
        self.selection, self.targets = atom("CLIPBOARD"), atom("TARGETS")
        self.texts = [atom("UTF8_STRING"), atom("text/plain;charset=utf-8"), Xatom.STRING,
                      atom("TEXT"), atom("text/plain")]
        self.data, self.served, self.done = b"", 0, False
        self.offered = threading.Event()
        self.pending = None
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def offer(self, text):
        """Puts TEXT on the clipboard (the serving thread alone speaks to the display)."""
        self.offered.clear()
        self.pending = text.encode()
        expect(self.offered.wait(5), "the clipboard could not be taken")

    def serve(self):
        while not self.done:
            if self.pending is not None:
                self.data, self.pending = self.pending, None
                self.window.set_selection_owner(self.selection, X.CurrentTime)
                self.x.sync()
                self.offered.set()
            if not self.x.pending_events():
                select.select([self.x.fileno()], [], [], 0.02)
                if not self.x.pending_events():
                    continue
            event = self.x.next_event()
            if event.type == X.SelectionRequest:
                self.answer(event)

    def answer(self, event):
        prop = event.property or event.target
        if event.target == self.targets:
            event.requestor.change_property(prop, Xatom.ATOM, 32, [self.targets] + self.texts)
        elif event.target in self.texts:
            event.requestor.change_property(prop, event.target, 8, self.data)
            self.served += 1
        else:
            prop = X.NONE
        notify = xevent.SelectionNotify(time=event.time, requestor=event.requestor,
                                        selection=event.selection, target=event.target,
                                        property=prop)
        event.requestor.send_event(notify)
        self.x.flush()

    def close(self):
        self.done = True
        self.thread.join(2)
        self.x.close()


class X11Program(Program):
    kind = "native"
    cannot = {"lone-half": "the X clipboard carries UTF-8, which has no half of a surrogate pair"}
    executable = None

    def __init__(self, display, work):
        self.display_name, self.work = display, Path(work)
        expect(Path(self.executable).is_file(), f"no program at {self.executable}: build it first")
        self.x = xdisplay.Display(display)
        for extension in ("XTEST", "SHAPE"):
            expect(self.x.has_extension(extension), f"the display lacks {extension}")
        self.x.set_error_handler(lambda *args: None)  # windows may go while they are read
        self.screen = self.x.screen()
        self.root = self.screen.root
        self.process = None
        self.first_stroke = True
        self.log_path = self.work / "program.log"
        self.log_path.touch()
        self.links_path = self.work / "links"
        self.env = dict(os.environ)
        self.stand_in_browser()
        self.clipboard = Clipboard(display)
        self.spare = self.spare_keycode()

    # --- making ready -----------------------------------------------------------------------------
    def stand_in_browser(self):
        home, bin_dir = self.work / "home", self.work / "bin"
        apps = home / ".local" / "share" / "applications"
        for folder in (bin_dir, home / ".config", apps):
            folder.mkdir(parents=True, exist_ok=True)
        opener = bin_dir / "xdg-open"
        opener.write_text(f'#!/bin/sh\necho "$1" >>"{self.links_path}"\n')
        opener.chmod(0o755)
        (apps / "stand-in-browser.desktop").write_text(
            f"[Desktop Entry]\nType=Application\nName=Stand-in browser\nExec={opener} %u\n"
            "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
        (home / ".config" / "mimeapps.list").write_text(
            "[Default Applications]\nx-scheme-handler/http=stand-in-browser.desktop\n"
            "x-scheme-handler/https=stand-in-browser.desktop\n")
        self.env["PATH"] = f"{bin_dir}:{self.env['PATH']}"
        self.env["DISPLAY"] = self.display_name

    def spare_keycode(self):
        """A keycode with no symbol, which typing binds to a character the keyboard lacks."""
        first = self.x.display.info.min_keycode
        count = self.x.display.info.max_keycode - first + 1
        for i, syms in enumerate(self.x.get_keyboard_mapping(first, count)):
            if not any(syms):
                return first + i
        raise Failed("the keyboard has no spare keycode")

    def launch(self, command):
        with open(self.log_path, "ab") as log:
            self.process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=log)

    # --- the program's life ---------------------------------------------------------------------
    def start(self, dpi=96):
        """Starts the program at DPI and returns once its first window shows (within 30 s), the
        desktop painted its colour and the pointer parked in the screen's top-left corner."""
        self.stop()
        self.set_dpi(dpi)
        self.move_to(0, 0)
        self.first_stroke = True
        self.launch(self.command())
        end = time.monotonic() + 30
        while not self.windows():
            expect(self.alive(), "the program ended before its first window showed")
            expect(time.monotonic() < end, "no window showed within 30 s")
            time.sleep(0.02)
        self.paint_desktop()

    def stop(self):
        if self.process is not None:
            stop_pid(self.process)
            end = time.monotonic() + 3
            while self.windows() and time.monotonic() < end:
                time.sleep(0.05)

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def exit_status(self, timeout=10):
        if self.process is None:
            return None
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        self.stop()
        self.set_dpi(96)
        self.clipboard.close()
        self.x.close()

    def log(self):
        return self.log_path.read_text(errors="replace")

    def paint_desktop(self):
        """Paints the desktop in DESKTOP. Wine blackens it when a program's first window comes
        up, so this follows that window (for either program, to keep their steps alike)."""
        colour = self.screen.default_colormap.alloc_color(*(c * 257 for c in DESKTOP))
        self.root.change_attributes(background_pixel=colour.pixel)
        self.root.clear_area(0, 0, 0, 0)
        self.x.sync()

    def desktop_colour(self):
        return DESKTOP

    # --- windows ----------------------------------------------------------------------------------
    def caption_of(self, window):
        return caption_of(self.x, window)

    def mapped(self):
        """The shown top-level windows, bottom to top: (caption, window, place)."""
        found = []
        for window in self.root.query_tree().children:
            try:
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                caption = self.caption_of(window)
                if not caption:
                    continue
                geometry = window.get_geometry()
                at = self.root.translate_coords(window, 0, 0)
                found.append((caption, window, (at.x, at.y, geometry.width, geometry.height)))
            except xerror.XError:
                continue
        return found

    def windows(self):
        return {caption: place for caption, _, place in self.mapped()}

    def title(self):
        """The caption of the window that has the keyboard focus, or of the topmost one."""
        shown = self.mapped()
        focus = self.x.get_input_focus().focus
        focus = self.top(focus) if hasattr(focus, "query_tree") else None
        for caption, window, _ in shown:
            if window == focus:
                return caption
        return shown[-1][0] if shown else None

    def top(self, window):
        """The top-level window that holds WINDOW."""
        try:
            while True:
                parent = window.query_tree().parent
                if parent == self.root or not parent:
                    return window
                window = parent
        except xerror.XError:
            return None

    def find(self, caption):
        for name, window, place in reversed(self.mapped()):
            if name == caption:
                return window, place
        raise Failed(f"no window '{caption}' is shown; shown: {list(self.windows())}")

    def outline(self, caption):
        window, _ = self.find(caption)
        extents = window.shape_query_extents()
        if not extents.bounding_shaped:
            return None
        left, top = extents.bounding_shape_extents_x, extents.bounding_shape_extents_y
        return (left, top, left + extents.bounding_shape_extents_width,
                top + extents.bounding_shape_extents_height)

    def screen_size(self):
        return self.screen.width_in_pixels, self.screen.height_in_pixels

    # --- input ------------------------------------------------------------------------------------
    def move_to(self, x, y):
        xtest.fake_input(self.x, X.MotionNotify, x=x, y=y)
        self.x.sync()

    def point(self, caption, x, y):
        left, top = self.find(caption)[1][:2]
        self.move_to(left + x, top + y)
        time.sleep(SETTLE_POINT)

    def click(self, caption, x, y, button=1):
        self.point(caption, x, y)
        xtest.fake_input(self.x, X.ButtonPress, button)
        self.x.sync()
        time.sleep(0.03)
        xtest.fake_input(self.x, X.ButtonRelease, button)
        self.x.sync()
        time.sleep(SETTLE_CLICK)

    def drag(self, caption, x, y, dx, dy, button=1):
        left, top = self.find(caption)[1][:2]
        x0, y0 = left + x, top + y
        self.move_to(x0, y0)
        time.sleep(SETTLE_POINT)
        xtest.fake_input(self.x, X.ButtonPress, button)
        self.x.sync()
        time.sleep(0.3)
        steps = 5
        for i in range(1, steps + 1):
            self.move_to(x0 + dx * i // steps, y0 + dy * i // steps)
            time.sleep(0.1)
        xtest.fake_input(self.x, X.ButtonRelease, button)
        self.x.sync()
        time.sleep(SETTLE_KEYS)
        self.end_drag(button)

    def end_drag(self, button):
        """What ends a move after the button is released, beyond the release itself."""

    def close_window(self, caption):
        """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
        window, _ = self.find(caption)
        atom = self.x.intern_atom
        message = xevent.ClientMessage(window=window, client_type=atom("WM_PROTOCOLS"),
                                       data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        window.send_event(message)
        self.x.sync()
        time.sleep(SETTLE_CLICK)

    def key(self, keycode, down):
        xtest.fake_input(self.x, X.KeyPress if down else X.KeyRelease, keycode)
        self.x.sync()
        while self.x.pending_events():  # the keyboard's mapping notices, unasked for
            self.x.next_event()

    def keycode(self, keysym):
        """The keycode that gives KEYSYM, and whether Shift is needed; None if none does."""
        for keycode, index in self.x.keysym_to_keycodes(keysym):
            if index in (0, 1):
                return keycode, index == 1
        return None

    def stroke(self, keysym, modifiers=()):
        found = self.keycode(keysym)
        if found is None and self.first_stroke:
            # Wine drops a program's first key when it comes on a keycode bound for the stroke;
            # a Shift tapped first, and a moment, make it land.
            self.stroke(XK.string_to_keysym("Shift_L"))
            time.sleep(0.3)
        self.first_stroke = False
        if found is None:  # bound to the spare keycode for this one stroke
            self.x.change_keyboard_mapping(self.spare, [(keysym, keysym)])
            self.x.sync()
            time.sleep(0.05)
            found = (self.spare, False)
        keycode, shifted = found
        held = [self.keycode(XK.string_to_keysym(MODIFIERS[m]))[0] for m in modifiers]
        if shifted:
            held.append(self.keycode(XK.string_to_keysym("Shift_L"))[0])
        for code in held:
            self.key(code, True)
        self.key(keycode, True)
        self.key(keycode, False)
        for code in reversed(held):
            self.key(code, False)
        if keycode == self.spare:
            # A program reads the mapping anew when told it changed, and a busy one may read it only
            # after a quick unbinding: the unbinding waits.
            time.sleep(SPARE_HELD)
            self.x.change_keyboard_mapping(self.spare, [(X.NoSymbol, X.NoSymbol)])
            self.x.sync()

    def type(self, text):
        for character in text:
            code = ord(character)
            keysym = code if 0x20 <= code <= 0x7E or 0xA0 <= code <= 0xFF else 0x1000000 | code
            self.stroke(keysym)
            time.sleep(KEY_GAP)
        time.sleep(SETTLE_KEYS)

    def press(self, *keys):
        for name in keys:
            *modifiers, key = name.split("+")
            keysym = XK.string_to_keysym(key)
            expect(keysym != X.NoSymbol, f"no key is named '{key}'")
            self.stroke(keysym, [m.lower() for m in modifiers])
            time.sleep(KEY_GAP)
        time.sleep(SETTLE_KEYS)

    def paste(self, text):
        """Offers TEXT on the clipboard and presses Ctrl+V; returns once the program took it."""
        served = self.clipboard.served
        self.clipboard.offer(text)
        time.sleep(0.3)  # a program may ask what is offered as soon as the owner changes
        self.press("ctrl+v")
        end = time.monotonic() + 5
        while self.clipboard.served == served:
            expect(time.monotonic() < end, "the program never asked for what was pasted")
            time.sleep(0.05)
        time.sleep(SETTLE_KEYS)

    # --- what a person sees -----------------------------------------------------------------------
    def shot(self):
        width, height = self.screen_size()
        image = self.root.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (width, height), image.data, "raw", "BGRX")

    def links_opened(self):
        if not self.links_path.exists():
            return []
        return self.links_path.read_text().split()

    # --- pixels per inch --------------------------------------------------------------------------
    def set_dpi(self, dpi):
        raise NotImplementedError


def caption_of(x, window):
    """A window's caption on display X, as the window manager reads it: its UTF-8 name, else
    its legacy one; None for a window with neither."""
    name = window.get_full_property(x.intern_atom("_NET_WM_NAME"), x.intern_atom("UTF8_STRING"))
    if name is not None:
        return name.value.decode("utf-8", "replace")
    name = window.get_wm_name()
    return name.decode("latin-1") if isinstance(name, bytes) else name


def box_at(caption, x, y):
    """The name the layout gives the box of window CAPTION whose top-left corner is X, Y."""
    for form in layout.FORMS:
        window = layout.window(form)
        if window.caption == caption:
            for box in window.boxes:
                if abs(box.rect[0] - x) <= 2 and abs(box.rect[1] - y) <= 2:
                    return box.name
    return ""


def wine_environment():
    """The environment every run of wine here shares (scripts/wine-env.sh), besides its prefix."""
    lines = (ROOT / "scripts/wine-env.sh").read_text().splitlines()
    return dict(m.groups() for m in map(re.compile(r"^([A-Z_]+)='([^']*)'$").match, lines) if m)


class WineProgram(X11Program):
    """The Windows program under wine, in a prefix made once (scripts/wine-prefix.sh) and kept
    between the checks' runs, with a wineserver of our own alive between the program's runs so
    that each start is quick."""

    name = "wine"
    executable = os.environ.get("AMORIX_WINE_EXE", str(ROOT / "build/windows/Quillon Amorix.exe"))
    prefix = Path(os.environ.get("AMORIX_E2E_PREFIX", ROOT / "build/e2e/wineprefix")).resolve()

    def __init__(self, display, work):
        super().__init__(display, work)
        self.env.update(wine_environment(), WINEPREFIX=str(self.prefix))
        subprocess.run([ROOT / "scripts/wine-prefix.sh", self.prefix], env=self.env,
                       check=True, timeout=600)
        self.server = None
        if subprocess.run(["wineserver", "-k0"], env=self.env, stderr=subprocess.DEVNULL,
                          timeout=10).returncode != 0:  # no server of this prefix runs yet
            with open(self.log_path, "ab") as log:
                self.server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                               stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        self.dpi = self.prefix_dpi()

    def command(self):
        return ["wine", self.executable]


    def prefix_dpi(self):
        """The LogPixels the prefix holds (96 where it holds none)."""
        try:
            text = (self.prefix / "user.reg").read_text(errors="replace")
        except OSError:
            return 96
        section = re.search(r"^\[Control Panel\\\\Desktop\].*?(?=^\[|\Z)", text, re.M | re.S)
        found = section and re.search(r'^"LogPixels"=dword:([0-9a-f]+)', section[0], re.M)
        return int(found[1], 16) if found else 96

    def set_dpi(self, dpi):
        if dpi == self.dpi:
            return
        subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                        "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=self.env,
                       stdin=subprocess.DEVNULL, capture_output=True, check=True, timeout=60)
        self.dpi = dpi

    def reading(self, main):
        """Through Active Accessibility, as a screen reader asks from a process of its own (the
        screen_reader program's state). Wine's edits do not carry the names the program gives
        them, so a box is named by the layout's box that stands where it stands."""
        run = subprocess.run(["wine", READER, "state"], env=self.env, capture_output=True,
                             stdin=subprocess.DEVNULL, timeout=30)
        shown = self.windows()
        found = {"score": "", "focus": None, "texts": {}}
        caption = None
        for line in run.stdout.decode("utf-8", "replace").replace("\r", "").splitlines():
            if line.startswith("window "):
                caption = line.removeprefix("window ")
                continue
            role, name, value, place, focused = line.split("\t")
            if caption == main and role == "static text":
                found["score"] = name
            if role != "text" or caption not in shown:
                continue
            left, top = (int(v) for v in place.split(",")[:2])
            x, y = shown[caption][:2]
            name = name or box_at(caption, left - x, top - y)
            if value != "-" and name:
                units = bytes.fromhex(value.replace(" ", ""))
                found["texts"][name] = units.decode("utf-16-be", "surrogatepass")
            if focused:
                found["focus"] = name
        return found

    def end_drag(self, button):
        """Wine's own move loop (no window manager runs) ends on the left button's release only;
        after a drag with another button, Return ends it where the window stands (Escape would
        put the window back)."""
        if button != 1:
            self.press("Return")

    def close(self):
        super().close()
        if self.server is not None:
            # Every wine process of our own prefix (services, explorer) goes with its server.
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=30)
            stop_pid(self.server)


class GtkProgram(X11Program):
    """The native GTK program in a home of its own: no settings, themes or session bus of the
    user's reach it. Its pixels per inch come from an XSETTINGS manager of our own (xsettingsd),
    as a desktop's settings daemon gives them."""

    name = "gtk"
    executable = os.environ.get("AMORIX_GTK_EXE", str(ROOT / "build/linux/amorix"))

    def __init__(self, display, work):
        super().__init__(display, work)
        home = self.work / "home"
        self.env.update(HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                        XDG_DATA_HOME=str(home / ".local/share"), XDG_DATA_DIRS="/usr/share",
                        XDG_CACHE_HOME=str(home / ".cache"), GSETTINGS_BACKEND="memory",
                        NO_AT_BRIDGE="1", GTK_THEME="Adwaita")
        for name in ("DBUS_SESSION_BUS_ADDRESS", "GTK_MODULES"):
            self.env.pop(name, None)
        self.settings = None
        self.settings_owner = self.x.intern_atom(f"_XSETTINGS_S{self.x.get_default_screen()}")

    def command(self):
        return [self.executable]

    def listen(self):
        import atspi
        self.env["DBUS_SESSION_BUS_ADDRESS"] = atspi.bus().address
        self.env.pop("NO_AT_BRIDGE", None)

    def reading(self, main):
        import atspi
        return atspi.Reader().reading(main)

    def set_dpi(self, dpi):
        stop_pid(self.settings)
        self.settings = None
        if dpi == 96:
            return
        config = self.work / "xsettings"
        config.write_text(f"Xft/DPI {dpi * 1024}\n")
        self.settings = subprocess.Popen(["xsettingsd", "-c", config], env=self.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 5
        while self.x.get_selection_owner(self.settings_owner) == X.NONE:
            expect(self.settings.poll() is None, "xsettingsd ended")
            expect(time.monotonic() < end, "xsettingsd took no hold of the settings")
            time.sleep(0.05)


PROGRAMS = {"wine": WineProgram, "gtk": GtkProgram}
