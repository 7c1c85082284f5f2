"""The checks of the native programs (wine and GTK) beyond those every program shares: how the
labels light under the pointer, where the focus starts, more scores and how they are drawn, each
window's place and outline, the reminder's explanation, the formation and confirmation windows,
and the program at more pixels per inch. They run in the order below, each taking the program as
the one before left it; the program starts afresh only where a check needs a fresh run.
"""


import pytest

from layout import CONFIRMATION, CREDIT, FORMATION, HELP, MAIN, REMINDER, TERMS
from program import expect
from user import FIRST, INSET, SECOND, User, count, differ

pytestmark = pytest.mark.programs("wine", "gtk")

# The pictures' colours: a label's dark red, and the bright red of a close label under the pointer.
DARK_RED, BRIGHT_RED = (192, 0, 0), (255, 0, 0)


@pytest.fixture(scope="module")
def user(program):
    return User(program)


def inked(picture, colour, share, name):
    """PICTURE has at least SHARE of its pixels in COLOUR (some, for a share of 0)."""
    n, area = count(picture, colour), picture.width * picture.height
    expect(n >= max(1, share * area), f"{name} has {n} of {area} pixels of {colour}")


def uninked(picture, colour, name):
    n = count(picture, colour)
    expect(n == 0, f"{name} has {n} pixels of {colour}")


def close_label(user, form):
    return user.control(form, "Exit" if form == MAIN else "Close")


# --- the main window's labels under the pointer -----------------------------------------------

def test_close_label_bright_after_load(user):
    user.at_main(fresh=True)
    closer = user.crop(MAIN, close_label(user, MAIN))
    inked(closer, BRIGHT_RED, 0.05, "the close label '0'")


def close_label_in(user, under, colour, other):
    """With the pointer over UNDER (a label's name, or None for the background), the main
    window's close label is drawn in COLOUR and not in OTHER."""
    user.at_main()
    user.point(MAIN, under)
    closer = user.crop(MAIN, close_label(user, MAIN))
    inked(closer, colour, 0.05, "the close label '0'")
    uninked(closer, other, "the close label '0'")


def test_close_label_dark_off_the_pointer(user):
    close_label_in(user, None, DARK_RED, BRIGHT_RED)


def test_close_label_bright_under_the_pointer(user):
    close_label_in(user, "Exit", BRIGHT_RED, DARK_RED)


def test_menu_label_lit_under_the_pointer(user):
    user.at_main()
    user.point(MAIN, "CREDIT")
    inked(user.crop(MAIN, "CREDIT"), DARK_RED, 0.45, "CREDIT under the pointer")


def test_other_menu_labels_stay_unlit(user):
    user.at_main()
    user.point(MAIN, "CREDIT")
    shot = user.program.shot()
    for name in ("TERMS", "HELP"):
        uninked(user.crop(MAIN, name, shot), DARK_RED, name)


def test_menu_label_unlit_off_the_pointer(user):
    user.at_main()
    user.point(MAIN, "CREDIT")
    user.point(MAIN)
    uninked(user.crop(MAIN, "CREDIT"), DARK_RED, "CREDIT")


# --- the focus and the score --------------------------------------------------------------------

def test_typing_at_once_fills_the_first_box(user):
    user.at_main(fresh=True)
    user.type("Ann")
    shot = user.program.shot()
    first = differ(user.crop(MAIN, FIRST, shot), user.blanks[FIRST])
    second = differ(user.crop(MAIN, SECOND, shot), user.blanks[SECOND])
    expect(first > user.caret(FIRST), f"the first box changed by {first} pixels only")
    expect(second <= user.caret(SECOND), f"the second box changed by {second} pixels")


def result_of(user, first, second):
    """The score and the crop of the result label after FIRST and SECOND are calculated."""
    score = user.calculate(first, second)
    return score, user.result()


def test_mary_ann_and_bob_score_71(user):
    user.at_main()
    _, sixty_six = result_of(user, "Ann", "Bob")
    score, seventy_one = result_of(user, "Mary Ann", "Bob")
    expect(score == "71", f"Mary Ann and Bob score {score}")
    expect(differ(seventy_one, sixty_six) > user.window(MAIN).score.height,
           "71 is drawn like 66")


def test_another_66_is_the_very_picture(user):
    user.at_main()
    _, ann_bob = result_of(user, "Ann", "Bob")
    score, zoe_max = result_of(user, "Zoe", "Max")
    changed = differ(zoe_max, ann_bob)
    expect(score == "66" and changed == 0,
           f"Zoe and Max score {score}, {changed} pixels unlike Ann and Bob's 66")


def test_one_character_each_scores_62(user):
    user.at_main()
    score = user.calculate("A", "b")
    expect(score == "62", f"A and b score {score}")


def test_twenty_characters_each_score_100(user):
    user.at_main()
    score = user.calculate("abcdefghijklmnopqrst", "ABCDEFGHIJKLMNOPQRSTUVWXYZ")
    expect(score == "100", f"twenty characters each (six more typed) score {score}")


# --- the reminder ---------------------------------------------------------------------------------

def test_reminder_centred(user):
    user.show(REMINDER)
    user.centred(REMINDER)


def test_reminder_outline(user):
    user.show(REMINDER)
    user.rounded(REMINDER, user.program.shot())


def test_reminder_explains_its_question_mark(user):
    user.show(REMINDER)
    explanation = next(label for label in user.window(REMINDER).labels if not label.shown)
    before = user.crop(REMINDER, explanation)
    user.point(REMINDER, "?")
    user.point(REMINDER)
    changed = differ(user.crop(REMINDER, explanation), before)
    expect(changed > explanation.width * explanation.height // 30,
           f"the pointer over '?' changed {changed} pixels of the explanation's place")


def test_reminder_brings_main_back_where_it_was(user):
    user.at_main()
    w, h = user.window(MAIN).size
    user.drag(MAIN, -(w // 4), -(h // 3))
    moved = user.place(MAIN)[:2]
    user.show(REMINDER)
    user.close(REMINDER)
    user.main()
    at = user.place(MAIN)[:2]
    expect(at == moved, f"the main window came back at {at}, not {moved} where it was dragged")


# --- the menu's windows ---------------------------------------------------------------------------

MENU_WINDOWS = pytest.mark.parametrize("form", (CREDIT, TERMS, HELP))


@MENU_WINDOWS
def test_menu_window_centred(user, form):
    user.show(form)
    user.centred(form)


@MENU_WINDOWS
def test_menu_window_outline(user, form):
    user.show(form)
    user.rounded(form, user.program.shot())


@MENU_WINDOWS
def test_menu_window_close_label_lights(user, form):
    user.show(form)
    user.point(form)
    closer = user.crop(form, close_label(user, form))
    user.point(form, "Close")
    lit = user.crop(form, close_label(user, form))
    inked(closer, DARK_RED, 0.04, "the close label '0'")
    uninked(closer, BRIGHT_RED, "the close label '0'")
    inked(lit, BRIGHT_RED, 0.04, "the close label '0' under the pointer")
    uninked(lit, DARK_RED, "the close label '0' under the pointer")


# --- the formation window -------------------------------------------------------------------------

def test_formation_centred(user):
    user.show(FORMATION)
    user.centred(FORMATION)


def test_formation_outline_is_its_picture(user):
    user.show(FORMATION)
    user.outlined(FORMATION, exact=True)


def test_formation_square_cornered(user):
    """Dragged clear of the help window, the formation window's corners hide the desktop."""
    user.show(FORMATION)
    x, y = user.place(FORMATION)[:2]
    user.drag(FORMATION, INSET - x, INSET - y)
    at = user.place(FORMATION)[:2]
    expect(at == (INSET, INSET), f"the formation window was dragged to {at}")
    user.point(FORMATION)
    right, bottom = user.window(FORMATION).outline[2:]
    user.shows(FORMATION, user.program.shot(),
               window=[(0, 0), (0, bottom - 1), (right - 1, 0), (right - 1, bottom - 1)],
               desktop=[(0, bottom), (right, 0)])


def test_formation_close_label_closes_it_alone(user):
    user.show(FORMATION)
    user.close(FORMATION)
    expect(user.caption(HELP) in user.shown(), "the help window went with the formation window")


# --- the exit confirmation ------------------------------------------------------------------------

def test_close_label_shows_confirmation(user):
    user.at_main()
    user.fill(FIRST, "Ann")
    user.click(MAIN, "Exit")
    user.program.wait(user.caption(CONFIRMATION))


def test_confirmation_keeps_main(user):
    user.show(CONFIRMATION)
    expect(user.caption(MAIN) in user.shown(), "the main window went with the confirmation")


def test_confirmation_centred_and_outlined(user):
    user.show(CONFIRMATION)
    user.centred(CONFIRMATION)
    user.outlined(CONFIRMATION)


# --- more pixels per inch -------------------------------------------------------------------------

@pytest.mark.check("dpi")
@pytest.mark.parametrize("dpi", (120, 144, 192))
def test_dpi(user, dpi):
    user.at_main(dpi)
    user.centred(MAIN)
    shot = user.program.shot()
    user.rounded(MAIN, shot)
    # The picture fills the outline to its bottom-right corner and its right edge: the frame's
    # dark red, blended at most with the picture's other colours, shows there.
    left, top, right, bottom = user.window(MAIN).outline
    x, y = user.place(MAIN)[:2]
    corner = (right - bottom // 20, bottom - INSET + 1)
    for point in (corner, (right - INSET + 2, (top + bottom) // 2)):
        r, g, b = shot.getpixel((x + point[0], y + point[1]))
        expect(r >= 128 and g <= 64 and b <= 64, f"{point} is {(r, g, b)}, not the picture's dark red")
    score = user.calculate("Ann", "Bob")
    expect(score == "66", f"at {dpi} pixels per inch Ann and Bob score {score}")
