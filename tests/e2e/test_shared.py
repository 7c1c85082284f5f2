"""The checks every program is judged by (checks.txt, "all"), written once through the Program
interface and the person of user.py, so that they run unchanged on the native programs and in
every browser. They run in the order below, each taking the program as the one before left it
and bringing it back to the main window when it is not there; the program starts afresh only
where a check needs it (the splash, and after a check ended the program).
"""

import time

import pytest

import layout
from layout import CONFIRMATION, CREDIT, FORMATION, HELP, MAIN, REMINDER, SPLASH, TERMS
from program import expect
from user import CALCULATE, EXIT_CODE, FIRST, FORMATION_CODE, INSET, SECOND, User, differ

EMOJI = "\U0001F600"
NINETEEN = "abcdefghijklmnopqrs"


@pytest.fixture(scope="module")
def user(program):
    return User(program)


def ended_well(user):
    status = user.program.exit_status(10)
    expect(status == 0, f"the program ended with status {status}" if status is not None
           else "the program still runs 10 s later")
    expect(not user.shown(), f"windows still shown: {user.shown()}")


@pytest.mark.check("splash")
def test_splash(user):
    program = user.program
    user.start()
    shown_at = time.monotonic()
    splash = user.caption(SPLASH)
    expect(user.shown() == [splash], f"start-up shows {user.shown()}, not the splash alone")
    user.wait(SPLASH)
    user.centred(SPLASH)
    user.rounded(SPLASH, program.shot())
    program.wait(user.caption(MAIN), 10)
    waited = time.monotonic() - shown_at
    expect(2.5 <= waited <= 5, f"the main window came {waited:.1f} s after the splash")
    expect(splash not in user.shown(), "the splash is still shown")


@pytest.mark.check("main-centred")
def test_main_centred(user):
    user.at_main()
    user.centred(MAIN)
    title = user.program.title()
    expect(title == user.caption(MAIN), f"the program's title is '{title}'")


@pytest.mark.check("corners")
def test_corners(user):
    user.at_main()
    shot = user.program.shot()
    user.rounded(MAIN, shot)
    # Between the outline and the client area's edge the desktop shows; just inside it, not.
    right, bottom = user.outlined(MAIN)[2:]
    w, h = user.window(MAIN).size
    user.shows(MAIN, shot, desktop=[((right + w) // 2, h // 2), (w // 2, (bottom + h) // 2),
                                    (w - 1, h - 1)],
               window=[(right - INSET, h // 2), (w // 2, bottom - INSET)])


@pytest.mark.check("score")
def test_score(user):
    user.at_main()
    got = user.calculate("Ann", "Bob")
    expect(got == "66", f"Ann and Bob score {got}")


@pytest.mark.check("reminder")
def test_reminder(user):
    user.at_main()
    user.fill(FIRST, "Ann")
    user.fill(SECOND, "")
    user.click(MAIN, FIRST)
    before = user.program.shot()
    user.click(MAIN, CALCULATE)
    user.program.wait(user.caption(REMINDER))
    user.program.wait_gone(user.caption(MAIN))
    user.close(REMINDER)
    user.main()
    user.click(MAIN, FIRST)
    after = user.program.shot()
    for box in (FIRST, SECOND):
        changed = differ(user.crop(MAIN, box, after), user.crop(MAIN, box, before))
        expect(changed <= user.caret(box), f"the box '{box}' changed ({changed} pixels)")
    got = user.score(after)
    expect(got is None, f"the score reads {got}, not cleared")


@pytest.mark.check("max-length")
def test_max_length(user):
    user.at_main()
    user.fill(FIRST, "abcdefghijklmnopqrst")
    twenty = user.crop(MAIN, FIRST)
    user.type("u")
    changed = differ(user.crop(MAIN, FIRST), twenty)
    expect(changed <= user.caret(FIRST), f"a 21st character changed {changed} pixels of the box")


@pytest.mark.check("emoji")
def test_emoji(user):
    user.at_main()
    for first, second, want in ((EMOJI * 25, EMOJI * 25, "100"), (NINETEEN + EMOJI, "Bob", "82")):
        user.paste(FIRST, first)
        user.paste(SECOND, second)
        got = user.scores()
        expect(got == want, f"{len(first)} and {len(second)} characters pasted score {got}, "
               f"not {want}")


@pytest.mark.check("emoji-typed")
def test_emoji_typed(user):
    user.at_main()
    user.fill(SECOND, "Bob")
    bad = []
    for first, want in ((EMOJI * 2, "67"), ("a" + EMOJI + "b", "67"), ("\U00020BB7\u7530", "66"),
                        (NINETEEN + EMOJI, "82")):
        user.fill(FIRST, first)
        got = user.scores()
        if got != want:
            bad.append(f"{first!a} typed, and Bob, score {got}, not {want}")
    expect(not bad, "; ".join(bad))


def pasted_scores(user, cases):
    """Each first name pasted, with Eve as the second: the cases that score otherwise."""
    user.paste(SECOND, "Eve")
    bad = []
    for first, want in cases:
        user.paste(FIRST, first)
        got = user.scores()
        if got != want:
            bad.append(f"{first!a} pasted, and Eve, score {got}, not {want}")
    return bad


@pytest.mark.check("line-breaks")
def test_line_breaks(user):
    user.at_main()
    bad = pasted_scores(user, (("Bob\r\nAlice", "66"), ("Al\rAlice", "65"),
                               (NINETEEN + "\nxyz", "82")))
    expect(not bad, "; ".join(bad))


@pytest.mark.check("lone-half")
def test_lone_half(user):
    user.at_main()
    bad = pasted_scores(user, (("x\ud800y", "65"), ("\ude00" + EMOJI, "65")))
    expect(not bad, "; ".join(bad))


@pytest.mark.check("menus")
def test_menus(user):
    for form in (CREDIT, TERMS, HELP):
        user.at_main()
        user.fill(FIRST, "Ann")
        user.fill(SECOND, "Bob")
        user.show(form)
        user.program.wait_gone(user.caption(MAIN))
        user.close(form)
        user.main()
        user.centred(MAIN)
        shot = user.program.shot()
        for box in (FIRST, SECOND):
            changed = differ(user.crop(MAIN, box, shot), user.blanks[box])
            expect(changed <= user.caret(box),
                   f"after '{user.caption(form)}' the box '{box}' is not empty")
        got = user.score(shot)
        expect(got is None, f"after '{user.caption(form)}' the score reads {got}")


@pytest.mark.check("drag")
def test_drag(user):
    user.at_main()
    w, h = user.window(MAIN).size
    dx, dy = -(w // 4), -(h // 3)
    for button in user.program.drag_buttons[::-1]:
        x, y = user.place(MAIN)[:2]
        user.drag(MAIN, dx, dy, button)
        want = (x + dx, y + dy)
        got = user.place(MAIN)[:2]
        expect(got == want, f"a drag with button {button} left the window at {got}, not {want}")
        time.sleep(0.3)
        got = user.place(MAIN)[:2]
        expect(got == want, f"after the drag the window moved on to {got}")
        dx, dy = -dx, -dy


@pytest.mark.check("links")
def test_links(user):
    program = user.program
    opened = []
    for form in (HELP, TERMS, CONFIRMATION):
        user.show(form)
        for link in user.window(form).links:
            before = len(program.links_opened())
            user.click(form, link)
            end = time.monotonic() + 5
            while len(program.links_opened()) == before and time.monotonic() < end:
                time.sleep(0.05)
            new = program.links_opened()[before:]
            expect(new == [link.address], f"a link of '{user.caption(form)}' opened {new}, "
                   f"not {link.address}")
            expect(user.caption(form) in user.shown(), f"'{user.caption(form)}' went")
            opened += new
        user.close(form)
    expect(len(set(opened)) == len(opened), f"two links open the same address: {opened}")
    expect(sorted(opened) == layout.all_links(), f"the links opened {opened}")


@pytest.mark.check("no-yes")
def test_no_yes(user):
    user.show(CONFIRMATION)
    user.click(CONFIRMATION, "No")
    user.program.wait_gone(user.caption(CONFIRMATION))
    expect(user.shown() == [user.caption(MAIN)], f"after 'No' shown: {user.shown()}")
    user.show(CONFIRMATION)
    user.click(CONFIRMATION, "Yes")
    ended_well(user)


@pytest.mark.check("help-codes")
def test_help_codes(user):
    user.show(HELP)
    user.type(FORMATION_CODE)
    user.program.wait(user.caption(FORMATION))
    expect(user.caption(HELP) in user.shown(), "the help window went with the code")
    user.close(FORMATION)
    user.click(HELP)
    user.press(*["BackSpace"] * len(EXIT_CODE))
    user.type(EXIT_CODE)
    ended_well(user)
