#!/usr/bin/python3
"""A seeded random monkey on the native program: clicks, right clicks, drags, hovers, keys, typing
and pastes, mostly on the program's own windows and now and then anywhere on the screen, for
SECONDS, on a virtual display of its own, through the X11 driver. The program is started again
whenever it ends. A run fails the monkey when it ends with a status other than 0, when the fatal
message comes up, or when its output holds a sanitizer's report. On a failure the seed, the last
run's actions and the program's output are kept in build/soak-native/.

Usage: /usr/bin/python3 tests/e2e/monkey.py SECONDS   (AMORIX_MONKEY_SEED=N repeats a run;
AMORIX_GTK_EXE picks the program, build/linux-asan/amorix by default)
"""

import os
import random
import re
import sys
import tempfile
import time
from pathlib import Path

from Xlib import X
from Xlib.ext import xtest

ROOT = Path(__file__).resolve().parents[2]
os.environ.setdefault("AMORIX_GTK_EXE", str(ROOT / "build" / "linux-asan" / "amorix"))
import x11  # noqa: E402 (reads the program's path as it loads)
import xvfb  # noqa: E402
from program import Failed  # noqa: E402

KEPT = ROOT / "build" / "soak-native"
FATAL = "Quillon Amorix"  # the caption of the fatal message
KEYS = ["Tab", "shift+Tab", "Return", "Escape", "BackSpace", "Delete", "Left", "Right", "Home",
        "End", "space", "ctrl+a", "ctrl+c", "ctrl+x", "ctrl+v", "ctrl+z", "alt+F4", "F1", "a",
        "Z", "7"]
TEXTS = ["Ann", "Bob", "Mary Ann", "730481", "730418", "Zoë", "日本語", "😀😀😀",
         "abcdefghijklmnopqrstuvwxyz", " "]
REPORT = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:"
                    r"|SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer")


class MonkeyFailed(Exception):
    pass


class Monkey:
    def __init__(self, program, seed):
        self.program, self.seed = program, seed
        self.random = random.Random(seed)
        self.width, self.height = program.screen_size()
        self.runs, self.actions, self.done, self.mark = 0, 0, [], 0

    def start(self):
        self.runs += 1
        self.done = []
        self.mark = len(self.program.log())
        try:
            self.program.start()
        except Failed:  # it ended before its first window: judged below
            pass

    def output(self):
        """What the current run printed."""
        return self.program.log()[self.mark:]

    def judge(self):
        """The run that just ended: status 0 and no report."""
        status = self.program.exit_status(10)
        if REPORT.search(self.output()):
            raise MonkeyFailed("a sanitizer's report")
        if status != 0:
            raise MonkeyFailed(f"the program ended with status {status}")

    def point(self):
        """A point on one of the program's windows (three times in four), else anywhere. One
        time in eight the point is in a window's top right corner, where most close labels
        stand, so that windows close and the program ends now and then."""
        rand = self.random.randrange
        places = [place for _, _, place in self.program.mapped()]
        if places and rand(4) > 0:
            x, y, w, h = places[rand(len(places))]
            if w > 40 and h > 40:
                if rand(8) == 0:
                    return x + w - 1 - rand(40), y + rand(40)
                return x + rand(w), y + rand(h)
        return rand(self.width), rand(self.height)

    def button(self, number, down):
        xtest.fake_input(self.program.x, X.ButtonPress if down else X.ButtonRelease, number)
        self.program.x.sync()

    def act(self):
        program, rand = self.program, self.random.randrange
        what = rand(10)
        x, y = self.point()
        if what <= 4:
            number = 1 if what < 4 else 3
            self.done.append(f"{'click' if number == 1 else 'right click'} {x} {y}")
            program.move_to(x, y)
            self.button(number, True)
            self.button(number, False)
        elif what == 5:
            number = self.random.choice((1, 3))
            self.done.append(f"drag with button {number} from {x} {y}")
            program.move_to(x, y)
            self.button(number, True)
            for _ in range(2):
                x, y = x + rand(41) - 20, y + rand(41) - 20
                program.move_to(x, y)
                time.sleep(0.05)
            self.button(number, False)
        elif what == 6:
            key = self.random.choice(KEYS)
            self.done.append(f"key {key}")
            program.press(key)
        elif what == 7:
            text = self.random.choice(TEXTS)
            self.done.append(f"type {text}")
            program.type(text)
        elif what == 8:
            text = self.random.choice(TEXTS)
            if rand(4) == 0:
                text *= 200
            self.done.append(f"paste {text[:40]} ({len(text)} characters)")
            program.clipboard.offer(text)
            time.sleep(0.3)
            program.press("ctrl+v")
        else:
            self.done.append(f"hover {x} {y}")
            program.move_to(x, y)

    def run(self, seconds):
        end = time.monotonic() + seconds
        self.start()
        while time.monotonic() < end:
            if not self.program.alive():
                self.judge()
                self.start()
                continue
            if self.actions % 10 == 0 and FATAL in self.program.windows():
                raise MonkeyFailed("the fatal message came up")
            try:
                self.act()
            except Failed as why:  # the program went from under the action
                self.done.append(f"  ... not done: {why}")
            self.actions += 1
            time.sleep(self.random.randint(1, 9) / 100)
        self.program.stop()
        if REPORT.search(self.output()):
            raise MonkeyFailed("a sanitizer's report")

    def keep(self, why):
        KEPT.mkdir(parents=True, exist_ok=True)
        (KEPT / "actions").write_text("".join(line + "\n" for line in self.done))
        (KEPT / "program.log").write_text(self.output())
        print(f"FAIL: monkey (seed {self.seed}, run {self.runs}, after {self.actions} actions): "
              f"{why}")
        print(f"  the last actions and the program's output are in {KEPT.relative_to(ROOT)}/")
        for line in [line for line in self.output().splitlines() if REPORT.search(line)][:5]:
            print(line)


def main(args):
    seconds = int(args[0]) if args else 600
    seed = int(os.environ.get("AMORIX_MONKEY_SEED") or time.time())
    exe = Path(x11.GtkProgram.executable)
    print(f"monkey: {seconds} s on {exe.relative_to(ROOT) if exe.is_relative_to(ROOT) else exe}, "
          f"seed {seed}", flush=True)
    with xvfb.virtual_display() as display, tempfile.TemporaryDirectory() as work:
        program = x11.GtkProgram(display, work)
        monkey = Monkey(program, seed)
        try:
            monkey.run(seconds)
        except MonkeyFailed as why:
            monkey.keep(why)
            return 1
        finally:
            program.close()
    print(f"monkey: passed: {monkey.runs} runs of the program, {monkey.actions} actions, "
          f"seed {seed}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
