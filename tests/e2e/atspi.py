"""The native program as a screen reader hears it, through AT-SPI as Orca reads it: the windows
shown, each window's labels and boxes (role, name, states, action), the score, the box with the
keyboard focus, and the events a screen reader is told of. Whatever reads the GTK program's state
the way an assistive program does goes through here, never through a hook of the program's.

AT-SPI lives on a session bus: SessionBus starts one of our own (dbus-daemon, which starts the
accessibility bus and its registry when the program first asks) and points this process at it;
the program must be started with the same DBUS_SESSION_BUS_ADDRESS and GTK's accessibility bridge
on. The bus is chosen once per process, at the first question asked.
"""

import atexit
import contextlib
import functools
import os
import subprocess
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402



class SessionBus:
    """A private session bus, stopped by its PID; `address` is its DBUS_SESSION_BUS_ADDRESS."""

    def __init__(self):
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.daemon.stdout.readline().strip()
        self.previous = os.environ.get("DBUS_SESSION_BUS_ADDRESS")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.address

    def stop(self):
        self.daemon.terminate()
        self.daemon.wait(10)
        self.daemon.stdout.close()
        if self.previous is None:
            os.environ.pop("DBUS_SESSION_BUS_ADDRESS", None)
        else:
            os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.previous


@functools.cache
def bus():
    """The one private session bus of this process (AT-SPI keeps the first bus it is asked on),
    stopped when the process ends."""
    started = SessionBus()
    atexit.register(started.stop)
    return started


def pump(seconds):
    """Lets AT-SPI's events arrive while time passes."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def wait_for(condition, seconds=10):
    """Waits for CONDITION() to hold, a question the program could not answer counting as no."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            if condition():
                return True
        except (GLib.Error, LookupError, IndexError):
            pass
        pump(0.1)
    return False


def has(obj, state):
    return obj.get_state_set().contains(state)


def describe(obj):
    """One line as a screen reader reads an object: 'role "name" = "value" [states] (action)'."""
    line = f'{obj.get_role_name()} "{obj.get_name()}"'
    if obj.get_role() == Atspi.Role.TEXT:
        line += f' = "{text(obj)}"'
    if not has(obj, Atspi.StateType.VISIBLE):
        line += " [invisible]"
    if has(obj, Atspi.StateType.FOCUSABLE):
        line += " [focusable]"
    if "Action" in obj.get_interfaces() and Atspi.Action.get_n_actions(obj) > 0:
        line += f" ({action_name(obj)})"
    return line


def action_name(obj):
    # Its one name is deprecated in favour of one the bindings do not offer.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        return Atspi.Action.get_action_name(obj, 0)


def text(obj):
    return Atspi.Text.get_text(obj, 0, Atspi.Text.get_character_count(obj))


def extents(obj):
    """(x, y, width, height) on the screen."""
    box = Atspi.Component.get_extents(obj, Atspi.CoordType.SCREEN)
    return box.x, box.y, box.width, box.height


@contextlib.contextmanager
def listening(event, heard):
    """Calls HEARD(event) for every EVENT ("object:state-changed:visible") while the block runs."""
    listener = Atspi.EventListener.new(heard)
    listener.register(event)
    try:
        yield
    finally:
        pump(0.2)
        listener.deregister(event)


class Reader:
    """The program named NAME (its accessible application name) as AT-SPI presents it."""

    def __init__(self, name="amorix"):
        self.name = name

    def application(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == self.name:
                return app
        return None

    def frames(self):
        app = self.application()
        if app is None:
            return []
        found = [app.get_child_at_index(i) for i in range(app.get_child_count())]
        return [f for f in found if f is not None and f.get_role() == Atspi.Role.FRAME]

    def shown(self):
        """The captions of the windows shown, sorted."""
        return sorted(f.get_name() for f in self.frames() if has(f, Atspi.StateType.SHOWING))

    def frame(self, caption):
        for frame in self.frames():
            if frame.get_name() == caption and has(frame, Atspi.StateType.SHOWING):
                return frame
        raise LookupError(f"no window '{caption}' is shown; shown: {self.shown()}")

    def children(self, caption):
        """The labels and boxes of window CAPTION, in the order a screen reader walks them."""
        frame = self.frame(caption)
        panel = frame.get_child_at_index(0) if frame.get_child_count() else None
        if panel is None:
            return []
        return [panel.get_child_at_index(i) for i in range(panel.get_child_count())]

    def child(self, caption, name):
        """The one label or box of window CAPTION named NAME."""
        found = [c for c in self.children(caption) if c.get_name() == name]
        if len(found) != 1:
            raise LookupError(f"window '{caption}' has {len(found)} children named '{name}'")
        return found[0]

    def press(self, caption, name):
        """Does label NAME's action in window CAPTION; the program may end before it answers."""
        try:
            Atspi.Action.do_action(self.child(caption, name), 0)
        except GLib.Error:
            pass
        pump(1)

    def score(self, main="Amorix-Nimbus"):
        """What the main window's score reads: the name of its one plain label."""
        labels = [c for c in self.children(main) if c.get_role() == Atspi.Role.LABEL]
        return labels[0].get_name() if len(labels) == 1 else None

    def reading(self, main):
        """What Program.reading gives, MAIN the caption of the window that shows the score."""
        texts, score = {}, ""
        for frame in self.frames():
            if not has(frame, Atspi.StateType.SHOWING):
                continue
            if frame.get_name() == main:
                score = self.score(main) or ""
            for child in self.children(frame.get_name()):
                if child.get_role() == Atspi.Role.TEXT and child.get_name():
                    texts[child.get_name()] = text(child)
        return {"score": score, "focus": self.focused(), "texts": texts}

    def focused(self):
        """The accessible name of the box with the keyboard focus, or None."""
        for frame in self.frames():
            if has(frame, Atspi.StateType.SHOWING):
                for child in self.children(frame.get_name()):
                    if has(child, Atspi.StateType.FOCUSED):
                        return child.get_name()
        return None

    def view(self):
        """Every window and its children, one line each, as a screen reader's tour prints them."""
        lines = []
        for frame in self.frames():
            hidden = "" if has(frame, Atspi.StateType.SHOWING) else " (hidden)"
            lines.append(f'window {frame.get_role_name()} "{frame.get_name()}"{hidden}')
            if not hidden:
                lines += [f"  {i:2d} {describe(c)}"
                          for i, c in enumerate(self.children(frame.get_name()), 1)]
        return "\n".join(lines)
