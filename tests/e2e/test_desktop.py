"""`make run` on a desktop: a virtual display of this module's own with a window manager (openbox)
running, the Windows program started by scripts/run.sh as `make run` starts it, and its windows
judged by what the manager knows of them: the splash stays off the taskbar
(_NET_WM_STATE_SKIP_TASKBAR), the main window is in the manager's window list (_NET_CLIENT_LIST)
and on the taskbar. Then a compositing manager (xcompmgr) joins, and the native program's main
window has an alpha channel (a 32-bit visual) and keeps its outline as its X shape.

The checks follow one run, in order, each taking up where the one before left off. Those of the
Windows program run when wine is among the programs checked, those of the native one with gtk.
"""

import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest
from Xlib import X, Xatom, display as xdisplay, error as xerror

import layout
import xvfb
from x11 import caption_of, stop_pid

ROOT = Path(__file__).resolve().parents[2]
WORK = ROOT / "build" / "desktop"
PREFIX = WORK / "wineprefix"  # the bare prefix, which a run under a manager must not take
MANAGED = WORK / "wineprefix-managed"
EXE = Path(os.environ.get("AMORIX_WINE_EXE", ROOT / "build" / "windows" / "Quillon Amorix.exe"))
NATIVE = Path(os.environ.get("AMORIX_GTK_EXE", ROOT / "build" / "linux" / "amorix"))
SPLASH = layout.window(layout.SPLASH).caption
MAIN = layout.window(layout.MAIN)


def waited(condition, seconds):
    """CONDITION()'s first true answer within SECONDS, else its last one."""
    end = time.monotonic() + seconds
    while True:
        answer = condition()
        if answer or time.monotonic() >= end:
            return answer
        time.sleep(0.1)


class Desktop:
    """Display NAME with openbox on it; every process started here is stopped by its PID."""

    def __init__(self, name):
        WORK.mkdir(parents=True, exist_ok=True)
        self.log = open(WORK / "run.log", "w")
        self.home = tempfile.TemporaryDirectory(prefix="amorix-desktop-")
        self.processes = []
        self.name = name
        self.env = dict(os.environ, DISPLAY=self.name)
        self.x = xdisplay.Display(self.name)
        self.root = self.x.screen().root
        self.start(["openbox", "--sm-disable"])
        self.found = {}

    def start(self, command, **env):
        process = subprocess.Popen(command, env=dict(self.env, **env), stdin=subprocess.DEVNULL,
                                   stdout=self.log, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            stop_pid(process)
        if MANAGED.exists():  # its every process (services, explorer) goes with its server
            subprocess.run(["wineserver", "-k"], env=dict(self.env, WINEPREFIX=str(MANAGED)),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        self.x.close()
        self.home.cleanup()
        self.log.close()

    # --- what the display and the manager know ---------------------------------------------------
    def atom(self, name):
        return self.x.intern_atom(name)

    def prop(self, window, name, kind=X.AnyPropertyType):
        reply = window.get_full_property(self.atom(name), kind)
        return list(reply.value) if reply is not None else None

    def caption(self, window):
        return caption_of(self.x, window)

    def tree(self):
        """Every window on the display, whatever the manager made of it: (window, caption)."""
        todo = [self.root]
        while todo:
            window = todo.pop()
            try:
                todo += window.query_tree().children
                yield window, self.caption(window)
            except xerror.XError:  # it went while we looked
                pass

    def named(self, caption, pid=None):
        """The shown windows captioned CAPTION (of process PID only, if given)."""
        found = []
        for window, name in self.tree():
            try:
                if (name == caption and window.get_attributes().map_state == X.IsViewable
                        and (pid is None or self.prop(window, "_NET_WM_PID") == [pid])):
                    found.append(window)
            except xerror.XError:
                pass
        return found

    def one(self, caption, seconds, pid=None):
        """Waits for a window CAPTION to be shown and keeps it for the checks that follow."""
        found = waited(lambda: self.named(caption, pid), seconds)
        self.found[caption] = found[0] if found else None
        return self.found[caption]

    def state(self, caption):
        window = self.found.get(caption)
        assert window is not None, f"no window '{caption}' was shown"
        try:
            return {self.x.get_atom_name(a) for a in self.prop(window, "_NET_WM_STATE") or []}
        except xerror.XError:
            return {"gone"}

    def report(self):
        """What the display and the run show, for a failed check."""
        captions = sorted({name for _, name in self.tree() if name})
        self.log.flush()
        tail = (WORK / "run.log").read_text(errors="replace").splitlines()[-40:]
        return f"windows: {captions}\nthe run's log:\n" + "\n".join(tail)


@pytest.fixture(scope="module")
def desktop():
    with xvfb.virtual_display() as name:
        made = Desktop(name)
        try:
            yield made
        finally:
            made.close()


@pytest.mark.programs("wine", "gtk")
def test_a_window_manager_runs(desktop):
    def supported():
        check = desktop.prop(desktop.root, "_NET_SUPPORTING_WM_CHECK", Xatom.WINDOW)
        return bool(check) and check[0] != 0
    assert waited(supported, 10), "no window manager names itself on the root window"


@pytest.mark.programs("wine")
def test_the_managed_prefix_is_made(desktop):
    # Made by wineboot on the first run, here first, timed apart from the splash.
    started = time.monotonic()
    made = subprocess.run([ROOT / "scripts" / "wine-prefix.sh", MANAGED],
                          env=dict(desktop.env, AMORIX_WINE_MANAGED="1"), stdin=subprocess.DEVNULL,
                          stdout=desktop.log, stderr=subprocess.STDOUT, timeout=300)
    print(f"the managed prefix: {time.monotonic() - started:.0f} s")
    assert made.returncode == 0, desktop.report()


@pytest.mark.programs("wine")
def test_the_splash_comes_up(desktop):
    shutil.rmtree(PREFIX, ignore_errors=True)  # a bare prefix left by an earlier run would hide
    desktop.start([ROOT / "scripts" / "run.sh", EXE, PREFIX])  # which prefix this run took
    assert desktop.one(SPLASH, 60), f"no splash '{SPLASH}'\n{desktop.report()}"


@pytest.mark.programs("wine")
def test_the_splash_is_off_the_taskbar(desktop):
    skips = lambda: "_NET_WM_STATE_SKIP_TASKBAR" in desktop.state(SPLASH)  # noqa: E731
    assert waited(skips, 5), f"the splash's state is {desktop.state(SPLASH)}"


@pytest.mark.programs("wine")
def test_the_main_window_follows(desktop):
    assert desktop.one(MAIN.caption, 15), f"no main window '{MAIN.caption}'\n{desktop.report()}"


@pytest.mark.programs("wine")
def test_the_main_window_is_in_the_managers_list(desktop):
    main = desktop.found.get(MAIN.caption)
    listed = lambda: main.id in (desktop.prop(desktop.root, "_NET_CLIENT_LIST") or [])  # noqa
    assert main and waited(listed, 5), "the main window is not in the window manager's list"


@pytest.mark.programs("wine")
def test_the_main_window_is_on_the_taskbar(desktop):
    assert "_NET_WM_STATE_SKIP_TASKBAR" not in desktop.state(MAIN.caption), \
        "the main window is kept off the taskbar"


@pytest.mark.programs("wine")
def test_the_run_took_the_managed_prefix(desktop):
    assert not PREFIX.exists(), "the run made the bare prefix, not the managed one"


@pytest.mark.programs("gtk")
def test_composited_the_native_main_window_comes_up(desktop):
    compositor = desktop.start(["xcompmgr"])
    owned = lambda: desktop.x.get_selection_owner(desktop.atom("_NET_WM_CM_S0")) != X.NONE  # noqa
    assert waited(owned, 5) and compositor.poll() is None, "xcompmgr did not start"
    home = desktop.home.name
    native = desktop.start([NATIVE], HOME=home, XDG_CONFIG_HOME=f"{home}/.config",
                           XDG_DATA_HOME=f"{home}/.local/share", XDG_CACHE_HOME=f"{home}/.cache",
                           GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1", GTK_THEME="Adwaita")
    assert desktop.one(MAIN.caption, 30, pid=native.pid), \
        f"no native main window '{MAIN.caption}'\n{desktop.report()}"


def native_main(desktop):
    main = desktop.found.get(MAIN.caption)
    assert main is not None, "the native main window did not come up"
    return main


@pytest.mark.programs("gtk")
def test_the_native_main_window_has_an_alpha_channel(desktop):
    assert native_main(desktop).get_geometry().depth == 32, "its visual is not 32-bit"


@pytest.mark.programs("gtk")
def test_the_native_main_window_keeps_its_outline_as_its_shape(desktop):
    shape = native_main(desktop).shape_query_extents()
    extents = (shape.bounding_shape_extents_x, shape.bounding_shape_extents_y,
               shape.bounding_shape_extents_x + shape.bounding_shape_extents_width,
               shape.bounding_shape_extents_y + shape.bounding_shape_extents_height)
    assert shape.bounding_shaped and extents == MAIN.outline, \
        f"its X shape spans {extents}, its outline {MAIN.outline}"
