"""A screen reader's tour of the native program, through AT-SPI as Orca reads it (atspi.py): the
main window's labels and boxes and where a label stands on the screen, the help window's links,
the moves that labels' actions make, the reminder's explanation heard coming under the pointer,
the score's one name change, and "Yes" ending the program with status 0. Windows are reached by
doing labels' actions, as a blind user would; names are typed on the keyboard.

The tour is one run of the program on a session bus of its own, with GTK's accessibility bridge
on; each check takes up where the one before left off. Every window is printed as the tour goes,
as the Windows program's screen reader prints it, and shown when a check fails.
"""

import pytest

import atspi
import layout

pytestmark = pytest.mark.programs("gtk")
MAIN, HELP = layout.window(layout.MAIN), layout.window(layout.HELP)
CREDIT, TERMS = layout.window(layout.CREDIT), layout.window(layout.TERMS)
REMINDER, CONFIRMATION = layout.window(layout.REMINDER), layout.window(layout.CONFIRMATION)
FORMATION, SPLASH = layout.window(layout.FORMATION), layout.window(layout.SPLASH)


@pytest.fixture(scope="module")
def reader(program):
    program.listen()
    heard = []
    listened = atspi.listening("object:property-change:accessible-name",
                               lambda event: heard.append((event.source, event.any_data)))
    try:
        with listened:
            program.start()
            reader = atspi.Reader()
            reader.names_heard = heard
            yield reader
    finally:
        program.stop()


def step(reader, title, *pressed):
    print(f"== {title}")
    if pressed:
        reader.press(*pressed)
    print(reader.view())


def test_the_main_windows_labels_and_boxes_by_name_role_and_place(reader):
    assert atspi.wait_for(lambda: reader.shown() == [SPLASH.caption], 30), \
        f"the splash is not read; windows shown: {reader.shown()}"
    step(reader, "the splash")
    assert atspi.wait_for(lambda: reader.shown() == [MAIN.caption]), reader.shown()
    step(reader, "the main window")
    children = reader.children(MAIN.caption)
    read = [(c.get_role_name(), c.get_name()) for c in children]
    places = [c.get_index_in_parent() for c in children]
    want = [("push button", "Exit"), ("push button", "Calculate"), ("push button", "TERMS"),
            ("push button", "HELP"), ("push button", "CREDIT"), ("label", ""), ("text", ""),
            ("text", "First name"), ("text", "Second name")]
    assert read == want and places == list(range(len(want))), f"{read}, at {places}"


def test_the_exit_label_stands_on_the_screen_where_the_window_draws_it(reader):
    x, y = atspi.extents(reader.frame(MAIN.caption))[:2]
    left, top, right, bottom = MAIN.label("Exit").rect
    seen = atspi.extents(reader.child(MAIN.caption, "Exit"))
    assert seen == (x + left, y + top, right - left, bottom - top), f"{seen} in a window at {x, y}"


def test_the_help_windows_links_are_links(reader, program):
    step(reader, "HELP pressed", MAIN.caption, "HELP")
    links = [atspi.describe(c) for c in reader.children(HELP.caption)[1:1 + len(HELP.links)]]
    assert links == [f'link "{link.name}" (jump)' for link in HELP.links], links
    program.type("730481")
    assert atspi.wait_for(lambda: FORMATION.caption in reader.shown()), reader.shown()
    step(reader, "730481 typed into the help window")
    reader.press(FORMATION.caption, "Close")
    step(reader, "the help window's close label pressed", HELP.caption, "Close")


def test_credits_action_shows_the_credit_window_alone(reader):
    step(reader, "CREDIT pressed", MAIN.caption, "CREDIT")
    assert reader.shown() == [CREDIT.caption]


def test_its_close_action_brings_the_main_window_back_alone(reader):
    step(reader, "the credit window's close label pressed", CREDIT.caption, "Close")
    assert reader.shown() == [MAIN.caption]
    step(reader, "TERMS pressed", MAIN.caption, "TERMS")
    step(reader, "the terms window's close label pressed", TERMS.caption, "Close")


def test_the_pointer_over_the_question_mark_is_heard(reader, program):
    step(reader, "Calculate pressed with no names", MAIN.caption, "Calculate")
    explanation = next(label.name for label in REMINDER.labels if not label.shown)
    changed = []
    with atspi.listening("object:state-changed:visible",
                         lambda event: changed.append((event.source.get_name(), event.detail1))):
        program.point(REMINDER.caption, *REMINDER.label("?").centre)
        atspi.pump(0.5)
    assert sorted(changed) == [("?", 0), (explanation, 1)], \
        f"heard {changed}, not the explanation shown and the '?' hidden"
    step(reader, "the reminder's close label pressed", REMINDER.caption, "Close")


def test_after_ann_bob_and_calculate_the_score_reads_66_one_name_change_heard(reader, program):
    program.type("Ann")
    program.press("Tab")
    program.type("Bob")
    atspi.pump(0.3)
    reader.names_heard.clear()
    step(reader, "Ann and Bob typed, Calculate pressed", MAIN.caption, "Calculate")
    score = next(c for c in reader.children(MAIN.caption) if c.get_role_name() == "label")
    heard = [name for source, name in reader.names_heard if source == score]
    assert reader.score() == "66" and heard == ["66"], \
        f"the score reads '{reader.score()}', heard {heard}"


def test_exits_action_shows_the_confirmation_over_the_main_window(reader):
    step(reader, "the exit label pressed", MAIN.caption, "Exit")
    assert reader.shown() == sorted([MAIN.caption, CONFIRMATION.caption])


def test_yes_ends_the_program_with_status_0(reader, program):
    print("== Yes pressed")
    reader.press(CONFIRMATION.caption, "Yes")
    status = program.exit_status(10)
    assert status == 0, f"the program ended with status {status}"
