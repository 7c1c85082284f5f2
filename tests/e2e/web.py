"""The browser program as a Program: the web build served from build/web/ on 127.0.0.1 by a server
thread of the harness, loaded in one engine (engines.py: Chromium, WebKit, Firefox), and driven
with the W3C input actions of its driver as a person drives it, with the mouse and the keyboard.
What it shows is read as a person or a screen reader reads the page: the windows are the
desktop's shown window elements with their captions, a window's outline is the shape the page
clips it to, the focused box is the element with the focus by its accessible name, a screenshot
is the engine's own. A link is caught by the page's stand-in for window.open, the end of the
program by the status the page shows. The engine starts once, for every check of a module;
start() loads the page afresh. WebKitGTK draws on the harness's display and speaks AT-SPI on a
session bus of the harness's own, given to its processes alone. AMORIX_WEB_ROOT serves another
build than build/web/. A check may serve a build by a server of its own that stalls, fails or
replaces chosen files (Handler).
"""

import functools
import http.server
import io
import os
import re
import subprocess
import threading
import time
import urllib.parse
from pathlib import Path

from PIL import Image
from selenium.webdriver.common.keys import Keys

import engines
from program import Program, expect

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("AMORIX_WEB_ROOT", ROOT / "build" / "web"))  # the build served
# Key names as program.py gives them, in WebDriver's words.
KEYS = {"backspace": Keys.BACKSPACE, "return": Keys.ENTER, "enter": Keys.ENTER, "tab": Keys.TAB,
        "escape": Keys.ESCAPE, "delete": Keys.DELETE, "home": Keys.HOME, "end": Keys.END,
        "left": Keys.LEFT, "right": Keys.RIGHT, "up": Keys.UP, "down": Keys.DOWN,
        "space": " ", "shift": Keys.SHIFT, "ctrl": Keys.CONTROL, "control": Keys.CONTROL,
        "alt": Keys.ALT}
# The desktop (d), where it stands in the viewport (at) and the viewport pixels to one of its own
# (s: below 1 on a screen narrower than the windows were made for).
DESKTOP = """const d = document.getElementById('amx-desktop'), at = d && d.getBoundingClientRect(),
    s = d && d.style.width ? at.width / parseFloat(d.style.width) : 1;
"""
# The shown windows, caption -> place in desktop pixels. A window is shown once painted: until
# then the page keeps it transparent.
SHOWN = DESKTOP + """const shown = d ? [...d.querySelectorAll('.amx-form')]
  .filter(f => f.style.display !== 'none' && f.style.opacity !== '0') : [];
"""
WINDOWS = SHOWN + """return shown.map(f => { const r = f.getBoundingClientRect();
    return [f.dataset.caption, (r.left - at.left) / s, (r.top - at.top) / s, r.width / s,
            r.height / s]; });"""
# What Program.reading gives, read off the shown windows' elements and their ARIA names.
READING = SHOWN + """const reading = {score: '', focus: null, texts: {}};
for (const f of shown) {
  const plain = [...f.querySelectorAll('span.amx-label')];
  if (f.dataset.caption === arguments[0] && plain.length === 1) reading.score = plain[0].textContent;
  for (const i of f.querySelectorAll('input')) {
    const name = i.getAttribute('aria-label') || '';
    if (name && i.style.display !== 'none') reading.texts[name] = i.value;
    if (i === document.activeElement) reading.focus = name;
  }
}
return reading;"""


class Handler(http.server.SimpleHTTPRequestHandler):
    """Serves its folder, but for the paths its server's rules name, path -> what is done instead:
    ("stall", s) holds the request s seconds at most and drops it, ("fail", status) answers with
    that status, ("bytes", data) sends DATA. Every path asked for is noted in the server's asked."""

    def log_message(self, *args):
        pass

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        self.server.asked.append(path)
        what, arg = self.server.rules.get(path, (None, None))
        if what == "stall":
            self.server.ended.wait(arg)
            self.close_connection = True
        elif what == "fail":
            self.send_error(arg)
        elif what == "bytes":
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Length", str(len(arg)))
            self.end_headers()
            self.wfile.write(arg)
        else:
            super().do_GET()


def serve(root, rules=None):
    """A server thread for folder ROOT on a free port of 127.0.0.1, with RULES (Handler); stop()
    ends it."""
    handler = functools.partial(Handler, directory=str(root))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.rules, server.asked, server.ended = dict(rules or {}), [], threading.Event()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def stop(server):
    server.ended.set()
    server.shutdown()
    server.server_close()


def session_bus(work):
    """A D-Bus session bus of our own: the dbus-daemon and its address."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                               "--nopidfile"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True, cwd=work)
    address = daemon.stdout.readline().strip()
    if not address:
        daemon.kill()
        daemon.wait()
        raise RuntimeError("the session bus did not start")
    return daemon, address


class BrowserProgram(Program):
    kind = "web"

    def __init__(self, name, display, work, root=BUILD):
        self.name = name
        self.root = Path(root)
        expect((self.root / "index.html").exists(), f"no web build in {self.root}")
        self.bus = None
        env = dict(os.environ, DISPLAY=display)
        if name == "webkit":
            self.bus, env["DBUS_SESSION_BUS_ADDRESS"] = session_bus(work)
        self.server = serve(self.root)
        self.url = f"http://127.0.0.1:{self.server.server_port}/index.html"
        try:
            self.driver = engines.ENGINES[name](work / "profile", env)
        except BaseException:
            self.close_services()
            raise
        self.cannot = dict(self.driver.cannot)
        self.cannot["system-close"] = "a page's windows have no close button of the system's"
        self.drag_buttons = tuple(b + 1 for b in self.driver.buttons if b != 1)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    # --- the program's life ------------------------------------------------------------------
    def start(self, dpi=96):
        """Loads the page afresh and returns once its first window shows (within 30 s). A page
        knows no screen density: DPI is not used."""
        self.driver.get(self.url)
        end = time.monotonic() + 30
        while not self.windows():
            expect(self.alive(), "the program ended before its first window showed")
            expect(time.monotonic() < end, "no window showed within 30 s")
            time.sleep(0.02)

    def stop(self):
        self.driver.get("about:blank")

    def alive(self):
        try:
            return self.js("return !!document.getElementById('amx-desktop') && "
                           "window.amorixExitStatus === undefined")
        except Exception:  # the page is between loads
            return False

    def exit_status(self, timeout=10):
        end = time.monotonic() + timeout
        while True:
            status = self.js("return window.amorixExitStatus ?? null")
            if status is not None or time.monotonic() > end:
                return status
            time.sleep(0.05)

    def close_services(self):
        stop(self.server)
        if self.bus:
            self.bus.terminate()
            self.bus.wait(10)

    def close(self):
        try:
            self.driver.quit()
        finally:
            self.close_services()

    def log(self):
        try:
            lines = self.js("return [location.href, document.title].concat(window.amorixLog || [])")
        except Exception as e:
            lines = [f"the page cannot be read: {e}"]
        return "\n".join(str(line) for line in lines) + "\n"

    def after_check(self):
        seen = self.refused()
        expect(not seen, f"the page's policy refused {seen}")

    def refused(self):
        """What the page's Content-Security-Policy refused since the last call."""
        return self.js("""try {
            const seen = JSON.parse(sessionStorage.getItem('amorixRefused') || '[]');
            sessionStorage.removeItem('amorixRefused');
            return seen;
          } catch (e) { return []; }""") or []

    # --- windows -------------------------------------------------------------------------------
    def windows(self):
        try:
            shown = self.js(WINDOWS)
        except Exception:  # the page is between loads
            return {}
        return {w[0]: tuple(round(v) for v in w[1:]) for w in shown}

    def title(self):
        title = self.driver.title
        return title if self.windows() else None

    def outline(self, caption):
        """The extents of the path the page clips the window to: rectangles, M l t H r V b H l Z."""
        path = self.js("return amorixForm(arguments[0])?.style.clipPath ?? ''", caption)
        if not path:
            return None
        number = r"\s*(-?[\d.]+)[\s,]*"
        rects = [[float(v) for v in m]
                 for m in re.findall(f"M{number}{number}H{number}V{number}", path)]
        expect(rects, f"the outline of '{caption}' is empty: {path}")
        return tuple(round(v) for v in (min(r[0] for r in rects), min(r[1] for r in rects),
                                        max(r[2] for r in rects), max(r[3] for r in rects)))

    def screen_size(self):
        """The desktop's size in its own pixels (the viewport's, unless scaled down)."""
        size = self.js(DESKTOP + "return [innerWidth / s, innerHeight / s]")
        return tuple(round(v) for v in size)

    def viewport_point(self, caption, x, y):
        """Client pixel X, Y of window CAPTION in the viewport; and the desktop's scale."""
        left, top, scale = self.js(DESKTOP + """
            const r = amorixForm(arguments[0]).getBoundingClientRect();
            return [r.left, r.top, s];""", caption)
        return left + (x + 0.5) * scale, top + (y + 0.5) * scale, scale

    # --- input ---------------------------------------------------------------------------------
    def settle(self):
        """Waits for what the last input brought about to be on the screen: the page paints at its
        next animation frame, and is composited by the one after."""
        try:
            self.js("""return Promise.race([new Promise(r => setTimeout(r, 250)), new Promise(r =>
                requestAnimationFrame(() => requestAnimationFrame(() => r(true))))])""")
        except Exception:  # the input loaded another page
            time.sleep(0.1)

    def pointer(self, path, button=None, kind="mouse"):
        """Moves a pointer of KIND (mouse, touch) along PATH (viewport points, None a pause of a
        second); with a button, pressed at the first point and released at the last."""
        steps = [{"type": "pointerMove", "x": int(p[0]), "y": int(p[1]), "duration": 50} if p
                 else {"type": "pause", "duration": 1000} for p in path]
        if button is not None:
            steps.insert(1, {"type": "pointerDown", "button": button})
            steps.append({"type": "pointerUp", "button": button})
        self.driver.perform([{"type": "pointer", "id": kind, "parameters": {"pointerType": kind},
                              "actions": steps}])
        self.settle()

    def point(self, caption, x, y):
        self.pointer([self.viewport_point(caption, x, y)[:2]])

    def click(self, caption, x, y, button=1):
        self.pointer([self.viewport_point(caption, x, y)[:2]], button - 1)

    def drag(self, caption, x, y, dx, dy, button=1):
        x, y, scale = self.viewport_point(caption, x, y)
        path = [(x + dx * scale * i / 5, y + dy * scale * i / 5) for i in range(6)]
        self.pointer(path, button - 1)

    def keys(self, steps):
        self.driver.perform([{"type": "key", "id": "keyboard", "actions": steps}])
        self.settle()

    def type(self, text):
        if hasattr(self.driver, "type_keys") and any(ord(c) > 0xFFFF for c in text):
            self.driver.type_keys(text)  # its key actions type the BMP only
            self.settle()
            return
        self.keys([{"type": t, "value": c} for c in text for t in ("keyDown", "keyUp")])

    def press(self, *keys):
        steps = []
        for key in keys:
            held = [KEYS.get(k.lower(), k) for k in key.split("+")]
            steps += [{"type": "keyDown", "value": k} for k in held]
            steps += [{"type": "keyUp", "value": k} for k in reversed(held)]
        self.keys(steps)

    def paste(self, text):
        self.driver.insert_text(text)
        self.settle()

    # --- what a person or a screen reader observes ----------------------------------------------
    def shot(self):
        image = Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert("RGB")
        size = self.screen_size()
        return image if image.size == size else image.resize(size)

    def links_opened(self):
        return self.js("return window.amorixOpened || []")

    def focused(self):
        return self.js("""const e = document.activeElement;
            return e && e.tagName === 'INPUT' ? e.getAttribute('aria-label') : null;""")

    def reading(self, main):
        """Through the DOM and ARIA: the score label's text, the focused box's accessible name,
        each named box's value, in the shown windows."""
        return self.js(READING, main)

    def desktop_colour(self):
        """The colour a screenshot shows at a corner of the viewport that no window covers."""
        bare = self.js("""return [[1, 1], [innerWidth - 2, 1], [1, innerHeight - 2],
            [innerWidth - 2, innerHeight - 2]].filter(p => !document.elementFromPoint(...p)
              .closest('.amx-form'));""")
        expect(bare, "windows cover every corner of the desktop")
        image = Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert("RGB")
        return image.getpixel(tuple(bare[0]))
