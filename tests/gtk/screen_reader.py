"""A screen reader's tour of the native program, through AT-SPI as Orca reads it.

Every window is printed as tests/windows/screen_reader/ prints the Windows program's: the window,
then one line per child of its panel, 'role "name" = "value" [states] (action)'. Windows are
reached by doing labels' actions, as a blind user would; names are typed on the keyboard. Then
the checks: the main window's labels and boxes, the score's one name change, the help window's
links, and the moves that actions make, to the program's end with status 0.

Run on a display, on a session bus of its own (tests/gtk/screen_reader.sh does both), with
/usr/bin/python3, which has Debian's gi.
"""

import os
import subprocess
import sys
import tempfile
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Its one name for an action's name is deprecated in favour of one the bindings do not offer.
warnings.filterwarnings("ignore", "Atspi.Action.get_action_name", DeprecationWarning)
EXPLANATION = ("First of all input first person name and then second person name. "
               "Example: Alpha and beta.")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
failures = []
passes = []


def check(what, ok, why=""):
    print(("PASS: " if ok else "FAIL: ") + what + ("" if ok else f": {why}"))
    (passes if ok else failures).append(what)


def pump(seconds):
    """Lets AT-SPI's events arrive while time passes."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def application():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "amorix":
            return app
    return None


def has(obj, state):
    return obj.get_state_set().contains(state)


def frames():
    app = application()
    if app is None:
        return []
    found = [app.get_child_at_index(i) for i in range(app.get_child_count())]
    return [f for f in found if f is not None and f.get_role() == Atspi.Role.FRAME]


def shown_captions():
    return sorted(f.get_name() for f in frames() if has(f, Atspi.StateType.SHOWING))


def children(frame):
    panel = frame.get_child_at_index(0) if frame.get_child_count() else None
    if panel is None:
        return []
    return [panel.get_child_at_index(i) for i in range(panel.get_child_count())]


def describe(obj):
    line = f'{obj.get_role_name()} "{obj.get_name()}"'
    if obj.get_role() == Atspi.Role.TEXT:
        line += f' = "{Atspi.Text.get_text(obj, 0, Atspi.Text.get_character_count(obj))}"'
    if not has(obj, Atspi.StateType.VISIBLE):
        line += " [invisible]"
    if has(obj, Atspi.StateType.FOCUSABLE):
        line += " [focusable]"
    if "Action" in obj.get_interfaces() and Atspi.Action.get_n_actions(obj) > 0:
        line += f" ({Atspi.Action.get_action_name(obj, 0)})"
    return line


def view():
    for frame in frames():
        hidden = "" if has(frame, Atspi.StateType.SHOWING) else " (hidden)"
        print(f'window {frame.get_role_name()} "{frame.get_name()}"{hidden}')
        for i, child in enumerate(children(frame), 1):
            print(f"  {i:2d} {describe(child)}")


def child_of(caption, number):
    for frame in frames():
        if frame.get_name() == caption and has(frame, Atspi.StateType.SHOWING):
            return children(frame)[number - 1]
    raise LookupError(f"no window '{caption}' is shown")


def press(caption, number):
    """Does the label's action; the program may end before it answers."""
    try:
        Atspi.Action.do_action(child_of(caption, number), 0)
    except GLib.Error:
        pass
    pump(1)


def step(title, *pressed):
    print(f"== {title}")
    if pressed:
        press(*pressed)
    view()


def wait_for(condition, seconds=10):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            if condition():
                return True
        except (GLib.Error, LookupError, IndexError):
            pass
        pump(0.1)
    return False


def extents(obj):
    box = Atspi.Component.get_extents(obj, Atspi.CoordType.SCREEN)
    return (box.x, box.y, box.width, box.height)


def keys(*args):
    subprocess.run(["xdotool", *args], check=True)
    pump(0.5)


def start_program(home):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=f"{home}/.config",
               XDG_DATA_HOME=f"{home}/.local/share", XDG_CACHE_HOME=f"{home}/.cache",
               GSETTINGS_BACKEND="memory", GTK_THEME="Adwaita")
    env.pop("NO_AT_BRIDGE", None)
    env.pop("GTK_MODULES", None)
    exe = os.environ.get("AMORIX_EXE", f"{ROOT}/build/linux/amorix")
    return subprocess.Popen([exe], env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def tour(program):
    names_heard = []

    def heard(event):
        names_heard.append((event.source, event.any_data))

    listener = Atspi.EventListener.new(heard)
    listener.register("object:property-change:accessible-name")

    if not wait_for(lambda: shown_captions() == ["Amorix"], 30):
        check("the splash is read", False, f"windows shown: {shown_captions()}")
        return
    step("the splash")
    wait_for(lambda: shown_captions() == ["Amorix-Nimbus"])
    step("the main window")
    main = [(c.get_role_name(), c.get_name()) for c in children(frames_named("Amorix-Nimbus"))]
    places = [c.get_index_in_parent() for c in children(frames_named("Amorix-Nimbus"))]
    want = [("push button", "Exit"), ("push button", "Calculate"), ("push button", "TERMS"),
            ("push button", "HELP"), ("push button", "CREDIT"), ("label", ""), ("text", ""),
            ("text", "First name"), ("text", "Second name")]
    check("the main window's labels and boxes, by name, role and place",
          main == want and places == list(range(len(want))), f"{main}, at {places}")
    frame = extents(frames_named("Amorix-Nimbus"))
    exit_label = extents(child_of("Amorix-Nimbus", 1))
    check("the Exit label stands on the screen where the window draws it",
          exit_label == (frame[0] + 568, frame[1] + 8, 25, 25), f"{exit_label} in {frame}")

    step("HELP pressed", "Amorix-Nimbus", 4)
    links = [describe(c) for c in children(frames_named("Help"))[1:5]]
    check("the help window's four links are links",
          links == ['link "Click here" (jump)'] * 4, str(links))
    keys("type", "--delay", "50", "730481")
    wait_for(lambda: "SW. Formation" in shown_captions())
    step("730481 typed into the help window")
    press("SW. Formation", 1)
    step("the help window's close label pressed", "Help", 6)
    step("CREDIT pressed", "Amorix-Nimbus", 5)
    check("CREDIT's action shows the credit window alone", shown_captions() == ["Credit"],
          str(shown_captions()))
    step("the credit window's close label pressed", "Credit", 1)
    check("its Close action brings the main window back alone",
          shown_captions() == ["Amorix-Nimbus"], str(shown_captions()))
    step("TERMS pressed", "Amorix-Nimbus", 3)
    step("the terms window's close label pressed", "Terms", 3)
    step("Calculate pressed with no names", "Amorix-Nimbus", 2)
    shown = []
    listener_shown = Atspi.EventListener.new(
        lambda event: shown.append((event.source.get_name(), event.detail1)))
    listener_shown.register("object:state-changed:visible")
    x, y, width, height = extents(child_of("Information", 3))
    keys("mousemove", str(x + width // 2), str(y + height // 2))
    listener_shown.deregister("object:state-changed:visible")
    check("the pointer over '?' is heard: the explanation shown, the '?' hidden",
          sorted(shown) == [("?", 0), (EXPLANATION, 1)], str(shown))
    step("the reminder's close label pressed", "Information", 1)

    keys("type", "--delay", "50", "Ann")
    keys("key", "Tab")
    keys("type", "--delay", "50", "Bob")
    names_heard.clear()
    step("Ann and Bob typed, Calculate pressed", "Amorix-Nimbus", 2)
    score = child_of("Amorix-Nimbus", 6)
    for_score = [name for source, name in names_heard if source == score]
    check("after Ann, Bob and Calculate the score label reads 66, one name change heard",
          score.get_name() == "66" and for_score == ["66"],
          f"named '{score.get_name()}', heard {for_score}")

    step("the exit label pressed", "Amorix-Nimbus", 1)
    check("Exit's action shows the confirmation over the main window",
          shown_captions() == ["Amorix-Nimbus", "Confirmation"], str(shown_captions()))
    print("== Yes pressed")
    press("Confirmation", 3)
    try:
        status = program.wait(10)
    except subprocess.TimeoutExpired:
        status = None
    print(f"the program ended with status {status}")
    check("Yes's action ends the program with status 0", status == 0, f"status {status}")
    listener.deregister("object:property-change:accessible-name")


def frames_named(caption):
    return next(f for f in frames() if f.get_name() == caption)


def main():
    with tempfile.TemporaryDirectory() as home:
        program = start_program(home)
        try:
            tour(program)
        except Exception as error:  # a check that could not be made fails the run
            check("the tour", False, repr(error))
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
    print(f"screen reader: {len(passes)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
