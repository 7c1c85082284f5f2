#!/usr/bin/python3
"""A scripted tour of the program on a virtual display of its own: every window, a calculated
score, a lit label. Each step leaves one picture of the window it shows, cut to the window's
outline, what the outline cuts away made transparent, in build/demo/ (or the folder given). The
tour goes as a person would (user.py), every place taken from the program's layout. `make demo`
runs it on the Windows program, `make run` on a machine without a display on the native one.

Usage: /usr/bin/python3 tests/e2e/demo.py [wine|gtk] [FOLDER]
"""

import sys
import tempfile
import time
from pathlib import Path

import x11
import xvfb
from layout import CONFIRMATION, CREDIT, FORMATION, HELP, MAIN, REMINDER, SPLASH, TERMS
from program import Failed
from user import CALCULATE, FIRST, FORMATION_CODE, SECOND, User

ROOT = Path(__file__).resolve().parents[2]


def picture(user, out, name, form):
    """Window FORM as it stands now, cut to its outline, into NAME.png."""
    program = user.program
    x, y, width, height = program.wait(user.caption(form))
    time.sleep(0.2)
    left, top, right, bottom = program.outline(user.caption(form)) or (0, 0, width, height)
    shot = program.shot().crop((x + left, y + top, x + right, y + bottom)).convert("RGBA")
    desktop = program.desktop_colour()
    shot.putdata([(r, g, b, 0 if (r, g, b) == desktop else 255) for r, g, b, _ in shot.getdata()])
    path = out / f"{name}.png"
    shot.save(path)
    print(path.relative_to(ROOT) if path.is_relative_to(ROOT) else path)


def tour(user, out):
    user.start()
    picture(user, out, "01-splash", SPLASH)
    user.main(30)
    user.point(MAIN)
    picture(user, out, "02-main", MAIN)
    user.point(MAIN, "CREDIT")
    picture(user, out, "03-main-lit-label", MAIN)

    user.fill(FIRST, "Mary Ann")
    user.fill(SECOND, "Bob")
    user.click(MAIN, CALCULATE)
    user.point(MAIN)
    picture(user, out, "04-main-score", MAIN)

    user.show(REMINDER)
    user.point(REMINDER)
    picture(user, out, "05-reminder", REMINDER)
    user.point(REMINDER, "?")
    user.point(REMINDER)
    picture(user, out, "06-reminder-explained", REMINDER)
    user.close(REMINDER)

    for name, form in (("07-credit", CREDIT), ("08-terms", TERMS)):
        user.show(form)
        picture(user, out, name, form)
        user.close(form)

    user.show(HELP)
    picture(user, out, "09-help", HELP)
    user.type(FORMATION_CODE)
    picture(user, out, "10-formation", FORMATION)
    user.close(FORMATION)
    user.close(HELP)

    user.show(CONFIRMATION)
    picture(user, out, "11-confirmation", CONFIRMATION)
    user.click(CONFIRMATION, "Yes")
    user.program.exit_status(10)


def main(args):
    name = args[0] if args else "wine"
    if name not in x11.PROGRAMS:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    out = Path(args[1] if len(args) > 1 else ROOT / "build" / "demo").resolve()
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.png"):
        old.unlink()
    with xvfb.virtual_display() as display, tempfile.TemporaryDirectory() as work:
        program = x11.PROGRAMS[name](display, work)
        try:
            tour(User(program), out)
        except Failed as why:
            print(f"demo: {why}", file=sys.stderr)
            return 1
        finally:
            program.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
