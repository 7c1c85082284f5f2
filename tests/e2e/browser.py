#!/usr/bin/python3
"""The end-to-end checks (checks.txt) against the web build, in headless Chromium through
WebDriver: the page served from build/web/ on 127.0.0.1, driven with the mouse, the keyboard and
touch as a person would, and judged by what is on the screen (screenshots, the windows' places)
and by what Chromium tells assistive technology. Links are caught by a stand-in for window.open.
Prints one line per check and "web: N passed, M failed"; exits 1 when a check failed.

Usage: tests/e2e/browser.py [BUILD_DIR]
"""

import functools
import http.server
import re
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

HERE = Path(__file__).resolve().parent
TWIPS = 15
DESKTOP = (58, 110, 165)
LINKS = {
    "https://www.quillon.example.com/amorix/update", "https://social.example.net/quillon",
    "https://support.example.org/quillon", "https://www.quillon.example.com/",
    "https://www.quillon.example.com/amorix/comments", "https://www.quillon.example.com/terms",
}
# Run in the page before it loads: the window.open stand-in, and a window by its caption.
PAGE_HELPERS = """
window.amorixOpened = [];
window.open = function (u) { amorixOpened.push(u); return null; };
window.amorixForm = c => [...document.querySelectorAll('.amx-form')].find(f => f.dataset.caption === c);
"""


class Failed(Exception):
    pass


def expect(ok, why):
    if not ok:
        raise Failed(why)


def layout():
    boxes = {}
    for line in (HERE / "layout.sh").read_text().splitlines():
        m = re.match(r"(\w+)=\((\d+) (\d+) (\d+) (\d+)\)", line)
        if m:
            boxes[m[1]] = [int(v) // TWIPS for v in m.groups()[1:]]
    return boxes


BOX = layout()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(root):
    handler = functools.partial(QuietHandler, directory=str(root))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Page:
    """The program in one browser tab."""

    def __init__(self, url, profile):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                    "--no-first-run", "--disable-background-networking",
                    "--disable-component-update", "--disable-sync", "--window-size=1024,768",
                    "--force-device-scale-factor=1", f"--user-data-dir={profile}"):
            options.add_argument(arg)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAGE_HELPERS})
        self.url = url
        self.shot_file = Path(tempfile.mkdtemp()) / "shot.png"

    def start(self):
        self.driver.get(self.url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def windows(self):
        """The shown windows: caption -> (x, y, width, height) in desktop pixels."""
        return {w[0]: tuple(w[1:]) for w in self.js("""
            const d = document.getElementById('amx-desktop').getBoundingClientRect();
            const s = d.width / parseFloat(document.getElementById('amx-desktop').style.width);
            return [...document.querySelectorAll('.amx-form')]
              .filter(f => f.style.display !== 'none')
              .map(f => { const r = f.getBoundingClientRect();
                return [f.dataset.caption, Math.round((r.left - d.left) / s),
                        Math.round((r.top - d.top) / s), Math.round(r.width / s),
                        Math.round(r.height / s)]; });""")}

    def wait(self, caption, timeout=10):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if caption in self.windows():
                return self.windows()[caption]
            time.sleep(0.05)
        raise Failed(f"no window '{caption}' is shown")

    def wait_gone(self, caption, timeout=5):
        end = time.monotonic() + timeout
        while caption in self.windows():
            expect(time.monotonic() < end, f"window '{caption}' is still shown")
            time.sleep(0.05)

    def centre_of(self, caption, box):
        x, y, _, _ = self.windows()[caption]
        return x + box[0] + box[2] // 2, y + box[1] + box[3] // 2

    def pointer(self, x, y, button=None, to=None):
        """Moves the mouse to x, y; with a button, presses it there and releases it (at `to`)."""
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(x, y)
        if button is not None:
            actions.pointer_action.pointer_down(button)
            if to:
                for i in range(1, 6):
                    actions.pointer_action.move_to_location(x + (to[0] - x) * i // 5,
                                                            y + (to[1] - y) * i // 5)
            actions.pointer_action.pointer_up(button)
        actions.perform()
        time.sleep(0.15)

    def click(self, caption, box, button=MouseButton.LEFT):
        self.pointer(*self.centre_of(caption, box), button)

    def type(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()
        time.sleep(0.1)

    def fill(self, box, text):
        self.click("Amorix-Nimbus", BOX[box])
        ActionChains(self.driver).key_down(Keys.CONTROL).send_keys("a").key_up(Keys.CONTROL).perform()
        self.type(Keys.BACKSPACE, text)

    def type_keys(self, text):
        """Types TEXT a key at a time, each key carrying its character, beyond the BMP too."""
        for c in text:
            for event in ({"type": "keyDown", "key": c, "text": c}, {"type": "keyUp", "key": c}):
                self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", event)
        time.sleep(0.1)

    def paste(self, box, text):
        """Empties BOX and puts TEXT in at once, as a paste does (WebDriver types the BMP only)."""
        self.fill(box, "")
        self.driver.execute_cdp_cmd("Input.insertText", {"text": text})
        time.sleep(0.1)

    def field(self, box):
        return self.js("""
            const i = [...amorixForm('Amorix-Nimbus').querySelectorAll('input')]
              .find(i => parseInt(i.style.left) === arguments[0] && parseInt(i.style.top) === arguments[1]);
            return i ? i.value : null;""", BOX[box][0], BOX[box][1])

    def shot(self):
        self.shot_file.write_bytes(self.driver.get_screenshot_as_png())
        return self.shot_file

    def pixels(self, points):
        """The colours of the last screenshot at (x, y) points."""
        template = " ".join(f"%[pixel:p{{{x},{y}}}]" for x, y in points)
        out = subprocess.run(["convert", str(self.shot_file), "-format", template, "info:"],
                             capture_output=True, text=True, check=True).stdout.split()
        return [tuple(int(v) for v in re.findall(r"\d+", p)[:3]) for p in out]

    def score(self):
        """The number the main window's result label shows, read off a screenshot."""
        x, y = self.windows()["Amorix-Nimbus"][:2]
        box = BOX["MAIN_RESULT"]
        crop = self.shot_file.with_name("result.png")
        subprocess.run(["convert", str(self.shot()), "-crop",
                        f"{box[2]}x{box[3]}+{x + box[0]}+{y + box[1]}", "+repage", str(crop)],
                       check=True)
        font = subprocess.run(["fc-match", "-f", "%{file}", "Z003:italic"], capture_output=True,
                              text=True).stdout
        out = subprocess.run(["/usr/bin/python3", str(HERE / "read_number.py"), str(crop), font,
                              "32", "55", "115"], capture_output=True, text=True).stdout
        return out.split()[0] if out else "none"

    def links_opened(self):
        return self.js("return window.amorixOpened || []")

    def label_centres(self, caption, role):
        """The middles of a window's labels of one role, as assistive technology is told them."""
        return self.js("""
            return [...amorixForm(arguments[0]).querySelectorAll('[role=' + arguments[1] + ']')]
              .filter(l => l.style.display !== 'none')
              .map(l => l.getBoundingClientRect())
              .map(r => [Math.round(r.left + r.width / 2), Math.round(r.top + r.height / 2)]);""",
                       caption, role)

    def ended(self):
        return self.js("return window.amorixExitStatus ?? null")

    def viewport(self):
        return self.js("return [innerWidth, innerHeight]")


def centred(page, caption, w, h):
    vw, vh = page.viewport()
    x, y, gw, gh = page.windows()[caption]
    want = ((vw - w) // 2, (vh - h) // 2)
    expect((gw, gh) == (w, h) and abs(x - want[0]) <= 1 and abs(y - want[1]) <= 1,
           f"'{caption}' stands at {gw}x{gh}+{x}+{y}, not {w}x{h}+{want[0]}+{want[1]}")


# --- the checks, in the order they run; each leaves the program as the next expects it ---------

def check_splash(page):
    page.start()
    page.wait("Amorix", 30)
    seen = time.monotonic()
    expect(list(page.windows()) == ["Amorix"], f"shown: {list(page.windows())}")
    centred(page, "Amorix", 368, 298)
    page.wait("Amorix-Nimbus", 10)
    waited = time.monotonic() - seen
    expect(2.5 <= waited <= 5, f"the main window came after {waited:.1f} s")
    expect("Amorix" not in page.windows(), "the splash is still shown")


def check_main_centred(page):
    centred(page, "Amorix-Nimbus", 611, 358)
    expect(page.driver.title == "Amorix-Nimbus", f"the page is titled '{page.driver.title}'")


def check_corners(page):
    x, y, _, _ = page.windows()["Amorix-Nimbus"]
    page.shot()
    outside = [(0, 0), (599, 0), (0, 341), (599, 341), (605, 170), (610, 357)]
    inside = [(300, 0), (0, 170), (300, 341), (14, 14), (585, 327)]
    got = page.pixels([(x + a, y + b) for a, b in outside + inside])
    bad = [p for p, c in zip(outside, got) if c != DESKTOP]
    bad += [p for p, c in zip(inside, got[len(outside):]) if c == DESKTOP]
    expect(not bad, f"wrong side of the outline at {bad}")


def check_score(page):
    page.fill("MAIN_FIRST", "Ann")
    page.fill("MAIN_SECOND", "Bob")
    page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
    got = page.score()
    expect(got == "66", f"the result label reads '{got}'")


def check_reminder(page):
    page.fill("MAIN_SECOND", "")
    page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
    page.wait("Information")
    page.wait_gone("Amorix-Nimbus")
    centred(page, "Information", 280, 159)
    page.click("Information", BOX["REMINDER_CLOSE"])
    page.wait("Amorix-Nimbus")
    page.wait_gone("Information")
    expect(page.field("MAIN_FIRST") == "Ann", f"the first name is '{page.field('MAIN_FIRST')}'")
    expect(page.score() == "none", "the score is not cleared")


def check_max_length(page):
    page.fill("MAIN_FIRST", "abcdefghijklmnopqrst")
    page.type("u")
    got = page.field("MAIN_FIRST")
    expect(got == "abcdefghijklmnopqrst", f"the box holds '{got}'")


def check_emoji(page):
    emoji = "\U0001F600"
    for first, second, want in ((emoji * 25, emoji * 25, "100"),
                                ("abcdefghijklmnopqrs" + emoji, "Bob", "82")):
        page.paste("MAIN_FIRST", first)
        page.paste("MAIN_SECOND", second)
        page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
        got = page.score()
        expect(got == want, f"pasted {len(first)} and {len(second)} units score '{got}', not {want}")


def check_emoji_typed(page):
    emoji = "\U0001F600"
    for first, want in ((emoji * 2, "67"), ("a" + emoji + "b", "67"), ("\U00020BB7\u7530", "66"),
                        ("abcdefghijklmnopqrs" + emoji, "82")):
        page.fill("MAIN_FIRST", "")
        page.type_keys(first)
        page.fill("MAIN_SECOND", "Bob")
        page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
        got = page.score()
        expect(got == want, f"{first!a} typed, and Bob, score '{got}', not {want}")


def check_menus(page):
    for label, caption, w, h, close in (("MAIN_CREDIT", "Credit", 448, 270, "CREDIT_CLOSE"),
                                        ("MAIN_TERMS", "Terms", 443, 276, "TERMS_CLOSE"),
                                        ("MAIN_HELP", "Help", 435, 268, "HELP_CLOSE")):
        page.fill("MAIN_FIRST", "Ann")
        page.click("Amorix-Nimbus", BOX[label])
        page.wait(caption)
        page.wait_gone("Amorix-Nimbus")
        centred(page, caption, w, h)
        page.click(caption, BOX[close])
        page.wait("Amorix-Nimbus")
        page.wait_gone(caption)
        centred(page, "Amorix-Nimbus", 611, 358)
        expect(page.field("MAIN_FIRST") == "", f"after {caption} the first name box is not fresh")


def check_drag(page):
    x, y, _, _ = page.windows()["Amorix-Nimbus"]
    for button, dx, dy in ((MouseButton.RIGHT, -150, -120), (MouseButton.LEFT, 150, 120)):
        page.pointer(x + 100, y + 110, button, to=(x + 100 + dx, y + 110 + dy))
        got = page.windows()["Amorix-Nimbus"][:2]
        expect(got == (x + dx, y + dy), f"the window stands at {got}, not {(x + dx, y + dy)}")
        x, y = got


def check_links(page):
    page.click("Amorix-Nimbus", BOX["MAIN_HELP"])
    page.wait("Help")
    opened = []
    for caption, leave in (("Help", "HELP_CLOSE"), ("Terms", "TERMS_CLOSE"), ("Confirmation", None)):
        if caption != "Help":
            page.wait("Amorix-Nimbus")
            page.click("Amorix-Nimbus", BOX["MAIN_TERMS" if caption == "Terms" else "MAIN_CLOSE"])
            page.wait(caption)
        for x, y in page.label_centres(caption, "link"):
            before = len(page.links_opened())
            page.pointer(x, y, MouseButton.LEFT)
            new = page.links_opened()[before:]
            expect(len(new) == 1, f"a link of '{caption}' opened {new}")
            expect(caption in page.windows(), f"'{caption}' is gone after its link")
            opened += new
        if leave:
            page.click(caption, BOX[leave])
    expect(sorted(opened) == sorted(LINKS), f"the links opened {opened}")
    page.click("Confirmation", BOX["CONFIRM_NO"])
    page.wait_gone("Confirmation")


def check_no_yes(page):
    page.click("Amorix-Nimbus", BOX["MAIN_CLOSE"])
    page.wait("Confirmation")
    centred(page, "Confirmation", 315, 131)
    page.click("Confirmation", BOX["CONFIRM_NO"])
    page.wait_gone("Confirmation")
    expect("Amorix-Nimbus" in page.windows(), "the main window went with the confirmation")
    page.click("Amorix-Nimbus", BOX["MAIN_CLOSE"])
    page.wait("Confirmation")
    page.click("Confirmation", BOX["CONFIRM_YES"])
    time.sleep(0.3)
    expect(page.ended() == 0 and not page.windows(),
           f"status {page.ended()}, shown: {list(page.windows())}")


def check_help_codes(page):
    page.start()
    page.wait("Amorix-Nimbus", 30)
    page.click("Amorix-Nimbus", BOX["MAIN_HELP"])
    page.wait("Help")
    page.type("730481")
    page.wait("SW. Formation")
    expect("Help" in page.windows(), "the help window went")
    page.click("SW. Formation", BOX["FORMATION_CLOSE"])
    page.wait_gone("SW. Formation")
    page.click("Help", BOX["HELP_PANEL"])
    page.type(Keys.BACKSPACE * 6, "730418")
    time.sleep(0.3)
    expect(page.ended() == 0 and not page.windows(),
           f"status {page.ended()}, shown: {list(page.windows())}")
    expect(page.js("return !document.getElementById('amx-ended').hidden"),
           "the page does not say that the program has ended")


def ax_tree(page):
    nodes = page.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
    return [(n["role"]["value"], n.get("name", {}).get("value", "")) for n in nodes
            if not n.get("ignored") and n.get("role")]


def check_accessibility(page):
    page.start()
    page.wait("Amorix-Nimbus", 30)
    page.fill("MAIN_FIRST", "Ann")
    page.fill("MAIN_SECOND", "Bob")
    page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
    time.sleep(0.3)
    tree = ax_tree(page)
    if "--print-tree" in sys.argv:
        print("\n".join(f"  {role}: {name}" for role, name in tree if role not in ("generic", "none")))
    for want in (("textbox", "First name"), ("textbox", "Second name"), ("button", "CREDIT"),
                 ("button", "TERMS"), ("button", "HELP"), ("StaticText", "66")):
        expect(want in tree, f"no {want[0]} '{want[1]}' in the accessibility tree")
    live = page.js("return document.getElementById('amx-live').textContent")
    expect(live == "66", f"the score announced is '{live}'")
    # A screen reader's default action on a label is a click on it.
    press = "document.querySelector('[role=button][aria-label=\"' + arguments[0] + '\"]').click()"
    page.js(press, "CREDIT")
    page.wait("Credit")
    page.js(press, "Close")
    page.wait("Amorix-Nimbus")
    page.wait_gone("Credit")


def check_touch(page):
    cdp = page.driver.execute_cdp_cmd
    cdp("Emulation.setDeviceMetricsOverride",
        {"width": 360, "height": 740, "deviceScaleFactor": 3, "mobile": True})
    cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    page.start()
    page.wait("Amorix-Nimbus", 30)
    left, top, right = page.js("""const r = amorixForm('Amorix-Nimbus').getBoundingClientRect();
        return [r.left, r.top, r.right]""")
    expect(left >= 0 and right <= 360, f"the main window spans {left:.0f} to {right:.0f} of 360")
    scale = (right - left) / 611
    for box, text in (("MAIN_FIRST", "Ann"), ("MAIN_SECOND", "Bob")):
        x, y, w, h = BOX[box]
        tap = {"x": left + (x + w / 2) * scale, "y": top + (y + h / 2) * scale}
        cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [tap]})
        cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
        page.type(text)
    x, y, w, h = BOX["MAIN_CALCULATE"]
    tap = {"x": left + (x + w / 2) * scale, "y": top + (y + h / 2) * scale}
    cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [tap]})
    cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
    time.sleep(0.3)
    labels = page.js("""return [...document.querySelectorAll('.amx-form span.amx-label')]
        .map(l => l.textContent)""")
    expect("66" in labels, f"after the tap the labels read {labels}")
    # A finger on the background drags the window.
    x, y, w, h = BOX["MAIN_PANEL"]
    at = {"x": left + (x + w / 2) * scale, "y": top + (y + h / 2) * scale}
    cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [at]})
    for step in range(1, 6):
        cdp("Input.dispatchTouchEvent", {"type": "touchMove", "touchPoints": [
            {"x": at["x"], "y": at["y"] + 10 * step}]})
    cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
    moved = page.js("return amorixForm('Amorix-Nimbus').getBoundingClientRect().top")
    expect(abs(moved - top - 50) <= 1, f"a drag of 50 pixels moved the window {moved - top:.0f}")


# Each check by its identifier, in the order the runner takes them (the program's end last).
IMPLEMENTED = {
    "splash": check_splash, "main-centred": check_main_centred, "corners": check_corners,
    "score": check_score, "reminder": check_reminder, "max-length": check_max_length,
    "emoji": check_emoji, "emoji-typed": check_emoji_typed, "menus": check_menus,
    "drag": check_drag, "links": check_links, "no-yes": check_no_yes, "help-codes": check_help_codes,
    "accessibility": check_accessibility, "touch": check_touch,
}


def checks_for_web():
    for line in (HERE / "checks.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            ident, where, what = line.split(None, 2)
            if where in ("all", "web"):
                yield ident, what


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1].startswith("-")
                else HERE.parent.parent / "build" / "web")
    server = serve(root)
    wanted = dict(checks_for_web())
    passed = failed = 0
    with tempfile.TemporaryDirectory() as profile:
        page = Page(f"http://127.0.0.1:{server.server_port}/index.html", profile)
        try:
            ordered = [i for i in IMPLEMENTED if i in wanted]
            for ident in ordered + [i for i in wanted if i not in IMPLEMENTED]:
                try:
                    if ident not in IMPLEMENTED:
                        raise Failed("not implemented by the browser runner")
                    IMPLEMENTED[ident](page)
                    passed += 1
                    print(f"PASS: [{ident}] {wanted[ident]}", flush=True)
                except Exception as e:  # a check that cannot run fails, and the rest go on
                    failed += 1
                    why = str(e).splitlines()[0] if str(e) else type(e).__name__
                    print(f"FAIL: [{ident}] {wanted[ident]}: {why}", flush=True)
        finally:
            page.driver.quit()
            server.shutdown()
    print(f"web: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
