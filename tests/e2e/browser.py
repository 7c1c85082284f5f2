#!/usr/bin/python3
"""The end-to-end checks (checks.txt) against the web build, in every browser engine (Chromium,
WebKit, Firefox; engines.py drives them): the page served from build/web/ on 127.0.0.1, driven
with the mouse, the keyboard and touch as a person would, and judged by what is on the screen
(screenshots, the windows' places) and by what the engine tells assistive technology. Links are
caught by a stand-in for window.open. Each check is written once, for every engine; those marked
"chromium" in checks.txt need Chromium's DevTools protocol and run there alone. Prints one line
per check and engine, "ENGINE: N passed, M failed" for each, and "web: N passed, M failed" for
all; exits 1 when a check failed. WebKit needs a display: the runner takes a private one.

Usage: tests/e2e/browser.py [BUILD_DIR] [--engine NAME]...
"""

import functools
import http.server
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.keys import Keys

from engines import ENGINES

HERE = Path(__file__).resolve().parent
TWIPS = 15
DESKTOP = (58, 110, 165)
LINKS = {
    "https://www.quillon.example.com/amorix/update", "https://social.example.net/quillon",
    "https://support.example.org/quillon", "https://www.quillon.example.com/",
    "https://www.quillon.example.com/amorix/comments", "https://www.quillon.example.com/terms",
}
CSP = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
       "object-src 'none'; base-uri 'none'")
AXE = HERE.parent.parent / "build" / "npm" / "node_modules" / "axe-core" / "axe.min.js"


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
    """The program in one browser tab of one engine (engines.py)."""

    def __init__(self, url, profile, engine="chromium", root=None):
        self.driver = ENGINES[engine](profile)
        self.engine = engine
        self.url = url
        self.root = root  # the folder served at url
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
        path = [(x, y)] + [(x + (to[0] - x) * i // 5, y + (to[1] - y) * i // 5)
                           for i in range(1, 6)] if to else [(x, y)]
        self.pointer_path("mouse", path, button)

    def touch(self, *path):
        """A finger down at the first point, along the others, and up."""
        self.pointer_path("touch", path, 0)

    def pointer_path(self, kind, path, button):
        steps = [{"type": "pointerMove", "x": round(x), "y": round(y), "duration": 50}
                 for x, y in path]
        if button is not None:
            steps.insert(1, {"type": "pointerDown", "button": button})
            steps.append({"type": "pointerUp", "button": button})
        self.driver.perform([{"type": "pointer", "id": kind, "parameters": {"pointerType": kind},
                              "actions": steps}])
        time.sleep(0.15)

    def click(self, caption, box, button=MouseButton.LEFT):
        self.pointer(*self.centre_of(caption, box), button)

    def keys(self, steps):
        self.driver.perform([{"type": "key", "id": "keyboard", "actions": steps}])

    def type(self, *keys):
        self.keys([{"type": t, "value": k} for k in "".join(keys) for t in ("keyDown", "keyUp")])
        time.sleep(0.1)

    def fill(self, box, text):
        self.click("Amorix-Nimbus", BOX[box])
        self.keys([{"type": "keyDown", "value": Keys.CONTROL}, {"type": "keyDown", "value": "a"},
                   {"type": "keyUp", "value": "a"}, {"type": "keyUp", "value": Keys.CONTROL}])
        self.type(Keys.BACKSPACE, text)

    def type_keys(self, text):
        """Types TEXT a key at a time, each key carrying its character, beyond the BMP too."""
        if hasattr(self.driver, "type_keys"):
            self.driver.type_keys(text)
        else:
            self.type(text)
        time.sleep(0.1)

    def paste(self, box, text):
        """Empties BOX and puts TEXT in at once, as a paste does (WebDriver types the BMP only)."""
        self.fill(box, "")
        self.driver.insert_text(text)
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
    expect(list(page.windows()) == ["Amorix"], f"shown: {list(page.windows())}")
    centred(page, "Amorix", 368, 298)
    page.wait("Amorix-Nimbus", 10)
    # Timed by the page's clock from paint to paint, as a driver may hand the page over late.
    painted = dict(page.js("return amorixStats.painted"))
    waited = (painted["Amorix-Nimbus"] - painted["Amorix"]) / 1000
    expect(2.5 <= waited <= 5, f"the main window came after {waited:.1f} s")
    expect("Amorix" not in page.windows(), "the splash is still shown")


def check_main_centred(page):
    centred(page, "Amorix-Nimbus", 611, 358)
    expect(page.driver.title == "Amorix-Nimbus", f"the page is titled '{page.driver.title}'")


def check_faces(page):
    faces = page.js("return [...document.fonts].map(f => [f.family.replace(/\"/g, ''), f.status])")
    bad = [f for f in faces if f[1] != "loaded"]
    expect(faces and not bad, f"of the page's faces {faces} these are not in: {bad}")
    for style, family, text in (("", "MS Sans Serif", "Calculate"),
                                ("bold", "Times New Roman", "HELP"),
                                ("italic", "Times New Roman", "Ann Bob"),
                                ("italic", "Monotype Corsiva", "66")):
        font = f'{style} 12px "{family}"'
        ours = [f for f in faces if f[0] == family]
        drawn = page.js("return document.fonts.check(arguments[0], arguments[1])", font, text)
        expect(ours and drawn, f"'{text}' in {font} is not drawn with a face of the page")


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
        if button not in page.driver.buttons:
            continue
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
    page.js("document.getElementById('amx-restart').click()")
    page.wait("Amorix", 30)  # "Start again"


def check_accessibility(page):
    page.start()
    page.wait("Amorix-Nimbus", 30)
    page.fill("MAIN_FIRST", "Ann")
    page.fill("MAIN_SECOND", "Bob")
    page.click("Amorix-Nimbus", BOX["MAIN_CALCULATE"])
    time.sleep(0.3)
    if "--print-tree" in sys.argv and hasattr(page.driver, "tree"):
        print("\n".join(f"  {role}: {name}" for role, name in page.driver.tree()
                        if role not in ("generic", "none")))
    unheard = page.driver.unheard([
        ("textbox", "First name"), ("textbox", "Second name"), ("button", "CREDIT"),
        ("button", "TERMS"), ("button", "HELP"), ("StaticText", "66")])
    expect(not unheard, f"not in the accessibility tree: {unheard}")
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
    page.driver.phone(360, 740)
    page.start()
    page.wait("Amorix-Nimbus", 30)
    left, top, right = page.js("""const r = amorixForm('Amorix-Nimbus').getBoundingClientRect();
        return [r.left, r.top, r.right]""")
    width = page.viewport()[0]
    expect(left >= 0 and right <= width,
           f"the main window spans {left:.0f} to {right:.0f} of {width}")
    scale = (right - left) / 611

    def at(box):
        x, y, w, h = BOX[box]
        return left + (x + w / 2) * scale, top + (y + h / 2) * scale

    for box, text in (("MAIN_FIRST", "Ann"), ("MAIN_SECOND", "Bob")):
        page.touch(at(box))
        page.type(text)
    page.touch(at("MAIN_CALCULATE"))
    time.sleep(0.3)
    labels = page.js("""return [...document.querySelectorAll('.amx-form span.amx-label')]
        .map(l => l.textContent)""")
    expect("66" in labels, f"after the tap the labels read {labels}")
    # A finger on the background drags the window.
    x, y = at("MAIN_PANEL")
    page.touch(*[(x, y + 10 * step) for step in range(6)])
    moved = page.js("return amorixForm('Amorix-Nimbus').getBoundingClientRect().top")
    expect(abs(moved - top - 50) <= 1, f"a drag of 50 pixels moved the window {moved - top:.0f}")


def axe_violations(page):
    """What axe-core finds wrong with the page as it stands: (rule, impact, where) each."""
    if not page.js("return !!window.axe"):
        page.js(AXE.read_text())
    return page.js("""
        return axe.run(document, {resultTypes: ['violations']}).then(r => r.violations.map(v => [v.id,
            v.impact, v.nodes.map(n => n.target.join(' ')).join(', ')]), e => [['axe', 'error', String(e)]]);""")


def check_axe(page):
    # The splash lasts three seconds: axe-core is put in the page before it loads, where the
    # engine can.
    page.driver.preload(AXE.read_text())
    try:
        page.start()
        page.wait("Amorix", 30)
        found = {"splash": axe_violations(page)}
        expect("Amorix" in page.windows(), "the splash went before axe-core was done")
    finally:
        page.driver.preload(None)
    page.wait("Amorix-Nimbus", 10)
    found["main"] = axe_violations(page)
    page.click("Amorix-Nimbus", BOX["MAIN_HELP"])
    page.wait("Help")
    found["help"] = axe_violations(page)
    page.click("Help", BOX["HELP_CLOSE"])
    page.wait("Amorix-Nimbus")
    bad = {where: v for where, v in found.items() if v}
    expect(not bad, f"axe-core finds {bad}")


def check_installable(page):
    manifest = page.driver.execute_cdp_cmd("Page.getAppManifest", {})
    expect(manifest.get("url", "").endswith("amorix.webmanifest") and not manifest["errors"],
           f"the manifest: {manifest.get('url')} {manifest.get('errors')}")
    errors = page.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
    expect(not errors, f"not installable: {[e['errorId'] for e in errors]}")


def controlled(page):
    """Waits for the build's service worker to control the page: it has the whole build then."""
    end = time.monotonic() + 20
    while not page.js("return !!navigator.serviceWorker.controller"):
        expect(time.monotonic() < end, "no service worker controls the page")
        time.sleep(0.1)


def check_offline(page):
    cdp = page.driver.execute_cdp_cmd
    controlled(page)
    cdp("Network.enable", {})
    cdp("Network.emulateNetworkConditions", {"offline": True, "latency": 0,
                                             "downloadThroughput": -1, "uploadThroughput": -1})
    try:
        expect(not page.js("return navigator.onLine"), "the network is still on")
        check_splash(page)
        check_score(page)
    finally:
        cdp("Network.emulateNetworkConditions", {"offline": False, "latency": 0,
                                                 "downloadThroughput": -1, "uploadThroughput": -1})
        cdp("Network.disable", {})


def caches_until(page, done, after):
    """The page's caches once DONE holds of their names."""
    end = time.monotonic() + 30
    while not done(names := page.js("return caches.keys()")):
        expect(time.monotonic() < end, f"{after} the page's caches are {names}")
        time.sleep(0.2)
    return names


def check_update(page):
    with tempfile.TemporaryDirectory() as scratch:
        root = Path(scratch) / "web"
        shutil.copytree(page.root, root)
        server = serve(root)  # an origin of its own, which no other check's worker serves
        url = f"http://127.0.0.1:{server.server_port}/index.html"
        try:
            page.driver.get(url)
            controlled(page)  # else the next visit is not the worker's to serve, nor to update
            old = caches_until(page, lambda names: len(names) == 1, "after the first visit")[0]
            worker, index = root / "sw.js", root / "index.html"
            worker.write_text(worker.read_text().replace(old, old + "0"))
            index.write_text(index.read_text().replace(
                "<title>", '<meta name="amorix-build" content="new"><title>'))
            page.driver.get(url)  # the old build, from its cache, while the new one installs
            caches_until(page, lambda names: names == [old + "0"], "after the next visit")
            page.driver.get(url)
            build = page.js("return document.querySelector('meta[name=amorix-build]')?.content")
            expect(build == "new", "the load after the next visit still shows the old build")
            page.wait("Amorix", 30)
        finally:
            server.shutdown()
            page.start()


def refused(page):
    """What the page's policy refused since the last call."""
    return page.js("""const seen = JSON.parse(sessionStorage.getItem('amorixRefused') || '[]');
        sessionStorage.removeItem('amorixRefused');
        return seen;""")


def check_csp(page):
    policy = page.js("""const m = document.querySelector('meta[http-equiv="Content-Security-Policy"]');
        return m && m.content""")
    expect(policy == CSP, f"the page's policy is {policy!r}")
    # In force, and heard of: an inline script is refused.
    page.js("""const s = document.createElement('script');
        s.textContent = 'window.amorixInline = 1';
        document.head.append(s);""")
    time.sleep(0.2)
    expect(page.js("return window.amorixInline ?? null") is None, "an inline script ran")
    seen = refused(page)
    expect(len(seen) == 1 and seen[0].startswith("script-src"), f"refused: {seen}")


def resize(page, width, height, mobile):
    """The viewport at WIDTH x HEIGHT, as a phone's (mobile) or a desktop browser's."""
    page.driver.viewport(width, height, mobile)
    time.sleep(0.4)


def in_view(page, boxes):
    """Of the main window and of each BOXES within it: its place in the viewport and how much of
    it shows there; with the viewport's size and zoom."""
    return page.js("""
        const f = amorixForm('Amorix-Nimbus'), r = f.getBoundingClientRect(), v = visualViewport;
        const s = r.width / parseFloat(f.style.width);
        const seen = (x, y, w, h) => Math.max(0, Math.min(x + w, v.offsetLeft + v.width) - Math.max(x, v.offsetLeft)) *
            Math.max(0, Math.min(y + h, v.offsetTop + v.height) - Math.max(y, v.offsetTop)) / (w * h);
        return {view: [innerWidth, innerHeight, v.scale], at: [r.left, r.top, r.width, r.height],
                shows: [seen(r.left, r.top, r.width, r.height)].concat(arguments[0].map(b =>
                    seen(r.left + b[0] * s, r.top + b[1] * s, b[2] * s, b[3] * s)))};""",
                   [BOX[b] for b in boxes])


def check_rotation(page):
    places = []
    try:
        resize(page, 390, 844, True)
        page.start()
        page.wait("Amorix-Nimbus", 30)
        for width, height, mobile in ((390, 844, True), (844, 390, True), (390, 844, True),
                                      (1280, 800, False), (800, 600, False)):
            resize(page, width, height, mobile)
            got = in_view(page, ["MAIN_HELP", "MAIN_CLOSE"])
            x, y, w, h = got["at"]
            places.append(f"{width}x{height}: ({x:.0f},{y:.0f})")
            expect(got["view"] == [width, height, 1], f"at {width}x{height} the viewport is {got['view']}")
            expect(min(got["shows"]) == 1, f"at {width}x{height} the window, HELP and exit show "
                   f"{[round(f * 100) for f in got['shows']]} %")
            if (width, height) == (1280, 800):  # moved by the user: kept in view, not centred
                page.pointer(x + 100, y + 110, MouseButton.LEFT, to=(x + 450, y + 410))
                continue
            want = ((width - w) / 2, (height - h) / 2)
            if width == 800:  # pushed in from the right, where the drag took it
                want = (800 - w, y)
            expect(abs(x - want[0]) <= 2 and abs(y - want[1]) <= 2,
                   f"at {width}x{height} the window stands at ({x:.0f},{y:.0f}), not "
                   f"({want[0]:.0f},{want[1]:.0f})")
    finally:
        if "--print-places" in sys.argv:
            print("  the main window at " + ", ".join(places))
        page.driver.viewport(None)


# Each check by its identifier, in the order the runner takes them (the program's end last).
IMPLEMENTED = {
    "splash": check_splash, "main-centred": check_main_centred, "faces": check_faces,
    "corners": check_corners,
    "score": check_score, "reminder": check_reminder, "max-length": check_max_length,
    "emoji": check_emoji, "emoji-typed": check_emoji_typed, "menus": check_menus,
    "drag": check_drag, "links": check_links, "no-yes": check_no_yes, "help-codes": check_help_codes,
    "accessibility": check_accessibility, "axe": check_axe, "installable": check_installable,
    "offline": check_offline, "update": check_update, "csp": check_csp, "rotation": check_rotation,
    "touch": check_touch,
}


def checks_for(engine):
    for line in (HERE / "checks.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            ident, where, what = line.split(None, 2)
            if where in ("all", "web") or where == engine:
                yield ident, what


def run(engine, url, profile, root):
    """Every check meant for ENGINE, in order, in a fresh browser: (passed, failed)."""
    wanted = dict(checks_for(engine))
    passed = failed = skipped = 0
    started = time.monotonic()
    try:
        page = Page(url, profile, engine, root)
    except Exception as e:  # an engine that cannot start fails each of its checks
        page = None
        broken = f"{engine} did not start: {str(e).splitlines()[0] if str(e) else type(e).__name__}"
    try:
        ordered = [i for i in IMPLEMENTED if i in wanted]
        for ident in ordered + [i for i in wanted if i not in IMPLEMENTED]:
            try:
                if page is None:
                    raise Failed(broken)
                if ident in page.driver.cannot:
                    skipped += 1
                    print(f"SKIP: {engine} [{ident}] {wanted[ident]}: {page.driver.cannot[ident]}")
                    continue
                if ident not in IMPLEMENTED:
                    raise Failed("not implemented by the browser runner")
                IMPLEMENTED[ident](page)
                seen = refused(page)
                expect(not seen, f"the page's policy refused {seen}")
                passed += 1
                print(f"PASS: {engine} [{ident}] {wanted[ident]}", flush=True)
            except Exception as e:  # a check that cannot run fails, and the rest go on
                failed += 1
                why = str(e).splitlines()[0] if str(e) else type(e).__name__
                print(f"FAIL: {engine} [{ident}] {wanted[ident]}: {why}", flush=True)
    finally:
        if page is not None:
            page.driver.quit()
    unrun = f", {skipped} not run" if skipped else ""
    print(f"{engine}: {passed} passed, {failed} failed{unrun} ({time.monotonic() - started:.0f} s)",
          flush=True)
    return passed, failed


# WebKitGTK draws on a display and speaks AT-SPI on a session bus: a run with it moves onto a
# private display (with-xvfb.sh) and bus, the buses' chatter left out.
ON_A_BUS = r"""set -o pipefail
chatter='^(dbus-daemon\[|SpiRegistry daemon|X connection to)'
AMORIX_E2E_DISPLAY="$DISPLAY" dbus-run-session -- "$@" 2> >(grep -Ev "$chatter" >&2) |
  grep --line-buffered -Ev "$chatter"
"""


def main():
    args = sys.argv[1:]
    engines = [args[i + 1] for i, a in enumerate(args[:-1]) if a == "--engine"] or list(ENGINES)
    if set(engines) - set(ENGINES):
        sys.exit(f"usage: {__doc__.split('Usage: ')[1].strip()} (NAME: {', '.join(ENGINES)})")
    if "webkit" in engines and "AMORIX_E2E_DISPLAY" not in os.environ:
        os.execv(HERE.parent.parent / "scripts" / "with-xvfb.sh", [
            "with-xvfb.sh", "/bin/bash", "-c", ON_A_BUS, "-", sys.executable, *sys.argv])
    build = HERE.parent.parent / "build" / "web"
    root = Path(args[0] if args and not args[0].startswith("-") else build)
    server = serve(root)
    url = f"http://127.0.0.1:{server.server_port}/index.html"
    passed = failed = 0
    try:
        for engine in engines:
            with tempfile.TemporaryDirectory() as profile:
                p, f = run(engine, url, profile, root)
            passed, failed = passed + p, failed + f
    finally:
        server.shutdown()
    print(f"web: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
