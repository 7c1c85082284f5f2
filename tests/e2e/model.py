#!/usr/bin/python3
"""The window model held against a real program. Hypothesis's stateful testing draws sequences of
what a person does (clicks any label they can see, clicks a name box, types, pastes, presses
Backspace and Tab, drags a window by its background, types the help window's codes, closes a
window by the system's means); each step goes to the program through its driver and to the
window model, which runs as a process of its own (the host build's amorix_model_oracle, the model
the host tests hold the headless program against). After every step what the program shows, read
as a person and a screen reader read it (Program.reading: MSAA under wine, AT-SPI on GTK, the DOM
and ARIA in a browser), must come to what the model expects within a few seconds: the windows
shown, the score, the box with the keyboard focus, the names in the boxes, and the program running
or ended with status 0.

A sequence goes on from where the one before left the program: it closes what stands in front of
the main window and opens and closes the credit window, which loads the main window afresh, and
restarts the program only once it has ended. A failing sequence is shrunk, printed step by step,
and named by the seed that replays it.

Usage: /usr/bin/python3 tests/e2e/model.py PROGRAM SEQUENCES [SEED] [--seconds S] [--steps N]
runs at least SEQUENCES sequences (and for at least S seconds) against PROGRAM (wine, gtk,
chromium, webkit, firefox) on a display of its own, and ends with "N passed, M failed".
"""

import argparse
import contextlib
import json
import os
import random
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Hypothesis keeps what it caches in the build tree, not where it is run.
os.environ.setdefault("HYPOTHESIS_STORAGE_DIRECTORY", str(ROOT / "build" / "hypothesis"))

from hypothesis import HealthCheck, Phase, Verbosity, assume, note, seed, settings  # noqa: E402
from hypothesis import strategies as st  # noqa: E402
from hypothesis.control import current_build_context  # noqa: E402
from hypothesis.stateful import (RuleBasedStateMachine, precondition, rule,  # noqa: E402
                                 run_state_machine_as_test)

import layout  # noqa: E402
from layout import CREDIT, FORMS, HELP, MAIN  # noqa: E402
from program import Failed, expect  # noqa: E402
from user import EXIT_CODE, FIRST, FORMATION_CODE, SECOND, User  # noqa: E402

ORACLE = Path(os.environ.get("AMORIX_MODEL_ORACLE", ROOT / "build/host/tests/amorix_model_oracle"))
SETTLE = 4  # seconds a program may take to show what a step brought about
# What a person types into a name box, a few keys at a time, and what they paste: line breaks,
# halves of surrogate pairs and pairs at the boxes' limit among them.
KEYS = "aZ é Ж中7"
ASTRAL = "\U0001F600\U00020BB7"
PASTES = ["Ann", "Bob\r\nAlice", "Al\rAlice", "Eve\n", "x\ud800y", "\ude00\U0001F600",
          "a" * 19 + "\U0001F600", "\U0001F600" * 11, "abcdefghijklmnopqrstuvwxyz", "730481"]
CODES = [FORMATION_CODE, EXIT_CODE, "7304", "x"]


def units(text):
    return " ".join(f"{u:04x}" for u in memoryview(text.encode("utf-16-le", "surrogatepass")).cast("H"))


def text_of(codes):
    return b"".join(u.to_bytes(2, "little") for u in codes).decode("utf-16-le", "surrogatepass")


class Oracle:
    """The window model's process: one action a line in, the state it expects a line out."""

    def __init__(self):
        expect(ORACLE.exists(), f"no model at {ORACLE}: build the host preset first")
        self.process = subprocess.Popen([ORACLE], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, encoding="utf-8")

    def ask(self, *words):
        self.process.stdin.write(" ".join(str(w) for w in words) + "\n")
        self.process.stdin.flush()
        answer = json.loads(self.process.stdout.readline())
        expect("error" not in answer, f"the model does not know {answer.get('error')!r}")
        return answer

    def close(self):
        with contextlib.suppress(OSError):  # it may have ended already
            self.process.stdin.close()
        self.process.wait(10)


class Person(RuleBasedStateMachine):
    """One sequence. The program, its user and the oracle are the runner's, set on the class."""

    program = user = oracle = runner = None

    def __init__(self):
        super().__init__()
        self.runner.begin()
        self.synced = False
        for words in (("start",), ("tick",), ("click", MAIN, "CREDIT"), ("click", CREDIT, "Close")):
            self.want = self.oracle.ask(*words)

    # --- the program and the model, step by step ----------------------------------------------
    def both(self, what, act, *words):
        self.sync()
        note(what)
        self.runner.steps.append(what)
        self.runner.ok = False
        with self.runner.failing():
            act()
        self.want = self.oracle.ask(*words)

    def sync(self):
        """Brings the program to where a sequence starts, before the sequence's first step (so
        that the many sequences of no step Hypothesis tries cost nothing): the main window shown
        alone, loaded afresh by a round trip through the credit window."""
        if self.synced:
            return
        self.runner.ok, self.runner.started, self.synced = False, True, True
        with self.runner.failing():
            if self.program.alive():
                self.user.at_main()
            else:
                self.start_program()
            self.user.click(MAIN, "CREDIT")
            self.user.wait(CREDIT)
            self.user.click(CREDIT, "Close")
            self.program.wait(self.caption(MAIN))

    def start_program(self):
        self.user.start()
        self.user.main(30)

    # --- what the model expects, and what the program shows -----------------------------------
    def caption(self, form):
        return layout.window(form).caption

    def running(self):
        return self.want["end"] == "running"

    def shown(self):
        return [form for form in FORMS if form in self.want["shown"]]

    def expected(self):
        if not self.running():
            return {"alive": False}
        main = MAIN in self.want["shown"]
        names = [text_of(n) for n in self.want["names"]]
        focus = {"first": FIRST, "second": SECOND, "code": "the code box"}.get(self.want["keys"])
        return {"alive": True, "shown": sorted(self.caption(f) for f in self.want["shown"]),
                "score": self.want["score"] if main else "", "focus": focus,
                "texts": {FIRST: names[0], SECOND: names[1]} if main else {}}

    def seen(self):
        if not self.program.alive():
            return {"alive": False}
        known = {self.caption(f) for f in FORMS}
        shown = sorted(c for c in self.program.windows() if c in known)
        try:
            reading = self.program.reading(self.caption(MAIN))
        except Exception as e:  # the program ended, or a window went, while it was read
            return {"alive": self.program.alive(), "unread": str(e)}
        focus = reading["focus"]
        return {"alive": True, "shown": shown, "score": reading["score"],
                "focus": focus if focus in (None, FIRST, SECOND) else "the code box",
                "texts": {k: v for k, v in reading["texts"].items() if k in (FIRST, SECOND)}}

    def invariant_holds(self):
        self.runner.ok = False
        want, end = self.expected(), time.monotonic() + SETTLE
        with self.runner.failing():
            while True:
                seen = self.seen()
                if seen == want:
                    break
                if time.monotonic() > end:
                    raise Failed(f"the program shows {seen}\nthe model expects {want}")
                time.sleep(0.1)
            if not want["alive"]:
                status = self.program.exit_status(10)
                expect(status == 0, f"the program ended with status {status}")
        self.runner.ok = True

    # --- what a person does --------------------------------------------------------------------
    def place(self, form):
        return self.program.windows().get(self.caption(form))

    def in_sight(self, form, point):
        """Client point POINT of FORM is on the screen and no other shown window covers it."""
        here = self.place(form)
        if here is None:
            return False
        x, y = here[0] + point[0], here[1] + point[1]
        width, height = self.program.screen_size()
        if not (0 <= x < width and 0 <= y < height):
            return False
        for other in self.shown():
            there = self.place(other) if other != form else None
            if there and there[0] <= x < there[0] + there[2] and there[1] <= y < there[1] + there[3]:
                return False
        return True

    def can(self, text, typed):
        """TEXT without what the program cannot be given: characters beyond the Basic
        Multilingual Plane typed, or halves of pairs pasted, where its driver cannot."""
        if typed and "emoji-typed" in self.program.cannot:
            text = "".join(c for c in text if ord(c) <= 0xFFFF)
        if "lone-half" in self.program.cannot:
            text = "".join(c for c in text if not 0xD800 <= ord(c) < 0xE000)
        return text or "a"

    # Preconditions and choices ask the model and the layout alone, so that a replay draws and
    # acts as the first run did; a step whose place is out of sight on the screen (under another
    # window, or off it) does nothing and tells the model nothing.
    def nothing(self, what):
        note(f"{what}: out of sight")
        self.runner.steps.append(f"({what}: out of sight)")

    @precondition(lambda self: self.running() and self.shown())
    @rule(pick=st.integers(0, 10**6))
    def click_label(self, pick):
        self.sync()
        labels = [(form, label) for form in self.shown() for label in layout.window(form).labels
                  if label.shown]
        form, label = labels[pick % len(labels)]
        what = f"click '{label.name}' of {self.caption(form)}"
        if not self.in_sight(form, label.centre):
            return self.nothing(what)
        self.both(what, lambda: self.user.click(form, label), "click", form, label.name)

    @precondition(lambda self: self.running() and MAIN in self.want["shown"])
    @rule(box=st.sampled_from([FIRST, SECOND]))
    def click_box(self, box):
        self.sync()
        what = f"click the box '{box}'"
        if not self.in_sight(MAIN, layout.window(MAIN).box(box).centre):
            return self.nothing(what)
        self.both(what, lambda: self.click_box_end(box), "box", 0 if box == FIRST else 1)

    def click_box_end(self, box):
        """A click into a box puts the caret where it lands, and Tab selects the box's text; the
        model appends at the end, so the person presses End after either."""
        self.user.click(MAIN, box)
        self.user.press("End")

    @precondition(lambda self: self.running())
    @rule(text=st.text(alphabet=KEYS + ASTRAL, min_size=1, max_size=4))
    def type_keys(self, text):
        text = self.can(text, typed=True)
        self.both(f"type {text!r}", lambda: self.user.type(text), "type", units(text))

    @precondition(lambda self: self.running() and HELP in self.want["shown"])
    @rule(code=st.sampled_from(CODES))
    def type_code(self, code):
        self.both(f"type {code!r}", lambda: self.user.type(code), "type", units(code))

    @precondition(lambda self: self.running() and self.want["keys"] != "none")
    @rule(text=st.sampled_from(PASTES) | st.text(alphabet=KEYS + ASTRAL + "\r\n", max_size=24))
    def paste(self, text):
        text = self.can(text, typed=False)
        self.both(f"paste {text!r}", lambda: self.program.paste(text), "paste", units(text))

    @precondition(lambda self: self.running())
    @rule(key=st.sampled_from(["BackSpace", "Tab"]))
    def press(self, key):
        keys = (key, "End") if key == "Tab" else (key,)
        self.both(f"press {' '.join(keys)}", lambda: self.user.press(*keys), key.lower())

    @precondition(lambda self: self.running() and self.shown())
    @rule(pick=st.integers(0, 7), dx=st.integers(-60, 60), dy=st.integers(-60, 60),
          button=st.integers(0, 1))
    def drag(self, pick, dx, dy, button):
        self.sync()
        form = self.shown()[pick % len(self.shown())]
        background = layout.window(form).background
        button = self.program.drag_buttons[button % len(self.program.drag_buttons)]
        what = f"drag {self.caption(form)} by {dx}, {dy} with button {button}"
        if not background or not self.in_sight(form, background):
            return self.nothing(what)
        place, (width, height) = self.place(form), self.program.screen_size()
        dx = max(-place[0], min(dx, width - place[0] - place[2]))
        dy = max(-place[1], min(dy, height - place[1] - place[3]))
        self.both(what, lambda: self.user.drag(form, dx, dy, button), "press", form)

    @precondition(lambda self: self.running() and self.shown()
                  and "system-close" not in self.program.cannot)
    @rule(pick=st.integers(0, 7))
    def close(self, pick):
        form = self.shown()[pick % len(self.shown())]
        self.both(f"close {self.caption(form)} by the system's means",
                  lambda: self.program.close_window(self.caption(form)), "close", form)

    @precondition(lambda self: not self.running())
    @rule()
    def restart(self):
        self.both("start the program again", self.start_program, "start")
        self.want = self.oracle.ask("tick")

    def check_invariants(self, settings):
        super().check_invariants(settings)
        if self.synced:
            self.invariant_holds()

    def teardown(self):
        self.runner.end()


class Runner:
    """Runs sequences against one program and counts them; a failure is shrunk within
    SHRINK_SECONDS, then the next sequences go on from a new seed."""

    SHRINK_SECONDS = float(os.environ.get("AMORIX_MODEL_SHRINK_SECONDS", 300))

    def __init__(self, program, steps=20):
        self.program, self.steps_per_sequence = program, steps
        self.user = User(program)
        self.oracle = Oracle()
        self.passed = self.failed = 0
        self.failing_since = self.first_failure = self.shrunk = None
        self.steps = []
        program.listen()

    def begin(self):
        """A sequence begins. Once a failure has been shrunk for SHRINK_SECONDS, the shrinker's
        further tries are dropped, and only the last replay of the shortest runs."""
        if self.failing_since is not None and not current_build_context().is_final:
            assume(time.monotonic() - self.failing_since < self.SHRINK_SECONDS)
        self.steps, self.ok, self.started = [], True, False

    @contextlib.contextmanager
    def failing(self):
        """Keeps the first failure of a run, and the steps that led to it, for the report."""
        try:
            yield
        except Exception as e:
            if self.failing_since is None and self.first_failure is None:
                self.first_failure = "; ".join(self.steps) + f"\n  {type(e).__name__}: {e}"
            raise

    def end(self):
        """A sequence ends: it passed if its last step came through. One that never asked the
        model (no step) is not counted."""
        if not self.started:
            return
        if os.environ.get("AMORIX_MODEL_VERBOSE"):
            print(f"{'passed' if self.ok else 'FAILED'}: " + "; ".join(self.steps), flush=True)
        if not self.ok:
            self.failing_since = self.failing_since or time.monotonic()
            self.shrunk = "; ".join(self.steps)
        elif self.failing_since is None:
            self.passed += 1

    def run(self, sequences, first_seed, seconds=0):
        """Runs SEQUENCES sequences, and more until SECONDS have passed; the failures' reports."""
        reports, start, next_seed = [], time.monotonic(), first_seed
        while self.passed + self.failed < sequences or time.monotonic() - start < seconds:
            done = self.passed + self.failed
            left = sequences - done if sequences > done else 10
            machine = type("Person", (Person,), {"program": self.program, "user": self.user,
                                                 "oracle": self.oracle, "runner": self})
            self.failing_since, before = None, self.passed
            try:
                run_state_machine_as_test(seed(next_seed)(machine), settings=settings(
                    max_examples=left, stateful_step_count=self.steps_per_sequence,
                    deadline=None, database=None, suppress_health_check=list(HealthCheck),
                    phases=[Phase.generate, Phase.shrink], verbosity=Verbosity.normal))
            except Exception as e:  # Flaky: a replay did not fail as the first run did
                self.failed += 1
                reports.append(f"seed {next_seed}: first failed after: {self.first_failure}\n"
                               f"  shrunk to: {self.shrunk}\n  {type(e).__name__}: {e}")
                self.first_failure = None
            else:
                if self.passed == before:
                    break
            next_seed += 1
        return reports

    def close(self):
        self.oracle.close()


def replay(name, sequences, first_seed):
    return f"replay: make model BACKEND={name} SEQUENCES={sequences} SEED={first_seed}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program", choices=("wine", "gtk", "chromium", "webkit", "firefox"))
    parser.add_argument("sequences", type=int)
    parser.add_argument("seed", type=int, nargs="?")
    parser.add_argument("--seconds", type=float, default=0)
    parser.add_argument("--steps", type=int, default=20)
    args = parser.parse_args()
    first_seed = args.seed if args.seed is not None else random.randrange(10**6)
    import conftest
    import xvfb
    started = time.monotonic()
    with xvfb.virtual_display("1280x800x24") as display, \
            tempfile.TemporaryDirectory(prefix=f"amorix-model-{args.program}-") as work:
        os.environ["DISPLAY"] = display
        program = conftest.make_program(args.program, display, Path(work))
        runner = Runner(program, args.steps)
        try:
            print(f"model on {args.program}: {args.sequences} sequences of up to {args.steps} "
                  f"steps from seed {first_seed}", flush=True)
            reports = runner.run(args.sequences, first_seed, args.seconds)
        finally:
            try:
                runner.close()
            finally:
                program.close()
    for report in reports:
        print(report)
    if reports:
        print(replay(args.program, args.sequences, first_seed))
    print(f"{runner.passed + runner.failed} sequences in {time.monotonic() - started:.0f} s")
    print(f"{runner.passed} passed, {runner.failed} failed")
    return 1 if runner.failed else 0


if __name__ == "__main__":
    sys.exit(main())
