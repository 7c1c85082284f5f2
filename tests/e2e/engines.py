"""The browser engines the end-to-end checks run in (web.py drives them), each behind the few calls
of Selenium's WebDriver that the checks use (get, execute_script, title, get_screenshot_as_png,
capabilities, quit) and six of their own: perform (W3C input action sequences: mouse, keys,
touch), insert_text (text put in at once, as a paste does), phone (a small touch screen),
viewport (a phone's or a desktop browser's of a given size; none, the first again), preload (a
script run before the page's own, where the engine can) and unheard (which of some roles and
names assistive technology is not told, asked the engine's own way: Chromium's DevTools,
WebKitGTK's AT-SPI, Firefox's accessibility locator). Chromium and WebKitGTK come through their
WebDriver servers; Firefox, which has no WebDriver server here, through WebDriver BiDi, which it
speaks itself: a few commands over one websocket keep the harness in one language with nothing to
fetch from npm. Every engine starts with a fresh profile, its updates, telemetry and background
networking off, and reaches the loopback alone; ENV is the environment of its processes.
"""

import base64
import functools
import json
import math
import subprocess
import sys
import time
from pathlib import Path

import websocket
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.remote.command import Command
from selenium.webdriver.remote.webdriver import WebDriver as Remote
from selenium.webdriver.webkitgtk.service import Service as WebKitService

# Run in the page before its own scripts: the window.open stand-in, a window by its caption, a
# record of what the page's Content-Security-Policy refused, kept across loads of the tab, and of
# its errors and warnings, for a failed check's log.
PAGE_HELPERS = """
window.amorixLog = [];
addEventListener('error', e => amorixLog.push(`error: ${e.message} at ${e.filename}:${e.lineno}`));
addEventListener('unhandledrejection', e => amorixLog.push(`unhandled rejection: ${e.reason}`));
for (const level of ['warn', 'error']) {
  const was = console[level];
  console[level] = (...args) => { amorixLog.push(`${level}: ${args.join(' ')}`); was.apply(console, args); };
}
window.amorixOpened = [];
window.open = function (u) { amorixOpened.push(u); return null; };
window.amorixForm = c => [...document.querySelectorAll('.amx-form')].find(f => f.dataset.caption === c);
document.addEventListener('securitypolicyviolation', e => {
  const seen = JSON.parse(sessionStorage.getItem('amorixRefused') || '[]');
  seen.push(`${e.effectiveDirective} refused ${e.blockedURI || 'inline'} at ${e.sourceFile}:${e.lineNumber}`);
  sessionStorage.setItem('amorixRefused', JSON.stringify(seen));
});
"""
# Text pasted into the focused box as a browser pastes it: a paste event, and unless the page
# takes the text itself, the engine's own editing puts it in as one edit. The text goes as UTF-16
# units, which a driver's JSON carries even when the text holds half of a surrogate pair alone.
INSERT_TEXT = """const text = String.fromCharCode(...arguments[0]);
const data = new DataTransfer();
data.setData('text/plain', text);
const paste = new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true});
if (document.activeElement.dispatchEvent(paste)) document.execCommand('insertText', false, text);"""
CLIPBOARD_TEXT = "return navigator.clipboard.writeText(String.fromCharCode(...arguments[0]))"
SIZE = (1024, 768)


def units(text):
    """TEXT as its UTF-16 units."""
    data = text.encode("utf-16-le", "surrogatepass")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def whole(text):
    """Whether TEXT is whole characters only, as a driver's JSON can carry it."""
    try:
        text.encode()
        return True
    except UnicodeEncodeError:
        return False


class WebDriverCalls:
    """What the engines that come through a WebDriver server share."""
    buttons = (0, 1, 2)  # the mouse buttons its input actions press and release
    cannot = {}  # the checks it cannot run: why

    def perform(self, actions):
        self.execute(Command.W3C_ACTIONS, {"actions": actions})

    def unheard(self, wants):
        tree = self.tree()
        return [w for w in wants if w not in tree]


class Chromium(WebDriverCalls, webdriver.Chrome):
    name = "chromium"

    def __init__(self, profile, env=None):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                    "--no-first-run", "--disable-background-networking",
                    "--disable-component-update", "--disable-sync",
                    f"--window-size={SIZE[0]},{SIZE[1]}", "--force-device-scale-factor=1",
                    f"--user-data-dir={profile}"):
            options.add_argument(arg)
        super().__init__(service=Service("/usr/bin/chromedriver", env=env), options=options)
        self.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAGE_HELPERS})

    def insert_text(self, text):
        if whole(text):
            self.execute_cdp_cmd("Input.insertText", {"text": text})
        else:
            self.execute_script(INSERT_TEXT, units(text))

    def type_keys(self, text):
        """Keys that carry their characters: its input actions type the BMP only."""
        for c in text:
            for event in ({"type": "keyDown", "key": c, "text": c}, {"type": "keyUp", "key": c}):
                self.execute_cdp_cmd("Input.dispatchKeyEvent", event)

    def tree(self):
        nodes = self.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
        return [(n["role"]["value"], n.get("name", {}).get("value", "")) for n in nodes
                if not n.get("ignored") and n.get("role")]

    def phone(self, width, height):
        self.viewport(width, height, True)
        self.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                             {"enabled": True, "maxTouchPoints": 5})

    def viewport(self, width, height=None, mobile=False):
        if width is None:
            self.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            self.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})
            return
        turned = mobile and width > height
        self.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 3 if mobile else 1,
            "mobile": mobile, "screenOrientation": {
                "type": "landscapePrimary" if width > height else "portraitPrimary",
                "angle": 90 if turned else 0}})

    def preload(self, source):
        if source is None:
            self.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                 {"identifier": self.preloaded})
        else:
            self.preloaded = self.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                                  {"source": source})["identifier"]


class WebKit(WebDriverCalls, Remote):
    """WebKitGTK's MiniBrowser, which needs a display and tells assistive technology through
    AT-SPI on a session bus: both come in ENV (DISPLAY, DBUS_SESSION_BUS_ADDRESS), given to its
    driver's process and to the reader of its accessibility tree alone."""
    name = "webkit"
    buttons = (0,)  # its driver releases every button as the left one, leaving the others held
    narrow = "its window is no narrower than 447 pixels"
    cannot = {"touch": f"WebKitGTK's WebDriver has no touch (a finger comes as the mouse) and {narrow}",
              "rotation": f"no phone's viewport: {narrow}"}

    def __init__(self, profile, env=None):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = str(next(Path("/usr/lib").glob("*/webkit2gtk-4.*/MiniBrowser")))
        options.add_argument("--automation")
        options.set_capability("platform", "")  # no W3C capability: left out
        self.env = env
        self.service = WebKitService("/usr/bin/WebKitWebDriver", env=env)
        self.service.start()
        try:
            super().__init__(command_executor=self.service.service_url, options=options)
        except Exception:
            self.service.stop()
            raise
        self.set_window_rect(0, 0, *SIZE)

    def quit(self):
        try:
            super().quit()
        finally:
            self.service.stop()

    def insert_text(self, text):
        self.execute_script(INSERT_TEXT, units(text))

    def phone(self, width, height):
        self.viewport(width, height)

    def viewport(self, width, height=None, mobile=False):
        """The window around a viewport of that size (a phone's is only narrower)."""
        self.set_window_rect(0, 0, *SIZE)
        if width is None:
            return
        inner = self.execute_script("return [innerWidth, innerHeight]")
        self.set_window_rect(0, 0, 2 * width - inner[0], 2 * height - inner[1])

    def preload(self, source):
        """Its driver cannot: what runs before the page's own scripts comes after them here."""
        self.late = source

    def get(self, url):
        super().get(url)
        if url:
            self.execute_script(PAGE_HELPERS)
            if getattr(self, "late", None):
                self.execute_script(self.late)

    def tree(self):
        """The page as AT-SPI tells it, read by a process of its own on the engine's bus."""
        out = subprocess.run([sys.executable, __file__], env=self.env, capture_output=True,
                             text=True, timeout=60, check=True).stdout
        return [tuple(node) for node in json.loads(out)]


def atspi_tree():
    """The web page as the session bus's AT-SPI registry tells it, in Chromium's words."""
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    def walk(node):
        yield node
        for i in range(node.get_child_count()):
            yield from walk(node.get_child_at_index(i))

    words = {"entry": "textbox", "push button": "button"}
    page = next(n for n in walk(Atspi.get_desktop(0)) if n.get_role_name() == "document web")
    found = []
    for node in walk(page):
        role = node.get_role_name()
        found.append((words.get(role, role), node.get_name()))
        if role != "entry" and "Text" in node.get_interfaces():
            text = Atspi.Text.get_text(node, 0, -1)
            found += [("StaticText", t.strip()) for t in text.split("\ufffc") if t.strip()]
    return found


# Firefox's own defaults for automation cover updates and most of the rest; these make sure.
FIREFOX_PREFS = {
    "app.update.auto": False, "app.update.disabledForTesting": True,
    "app.normandy.enabled": False, "browser.shell.checkDefaultBrowser": False,
    "dom.events.testing.asyncClipboard": True, "browser.startup.page": 0, "browser.startup.homepage": "about:blank",
    "browser.newtabpage.enabled": False, "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False, "browser.safebrowsing.downloads.enabled": False,
    "browser.region.update.enabled": False, "browser.search.update": False,
    "browser.topsites.contile.enabled": False, "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.healthreport.uploadEnabled": False, "toolkit.telemetry.enabled": False,
    "toolkit.telemetry.unified": False, "toolkit.telemetry.archive.enabled": False,
    "extensions.update.enabled": False, "extensions.blocklist.enabled": False,
    "extensions.getAddons.cache.enabled": False, "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False, "network.dns.disablePrefetch": True,
    "network.prefetch-next": False, "media.gmp-manager.url": "", "services.settings.server": "",
    "geo.provider.network.url": "", "dom.w3c_touch_events.enabled": 1,
}


def remote_value(v):
    """A value of the page, as WebDriver BiDi hands it over, in Python."""
    kind, value = v["type"], v.get("value")
    if kind == "number" and isinstance(value, str):
        return {"NaN": math.nan, "-0": -0.0, "Infinity": math.inf, "-Infinity": -math.inf}[value]
    if kind == "array":
        return [remote_value(x) for x in value]
    if kind == "object":
        return {k: remote_value(x) for k, x in value}
    return value if kind in ("string", "number", "boolean") else None


def local_value(v):
    if v is None:
        return {"type": "null"}
    if isinstance(v, bool):
        return {"type": "boolean", "value": v}
    if isinstance(v, (int, float)):
        return {"type": "number", "value": v}
    if isinstance(v, (list, tuple)):
        return {"type": "array", "value": [local_value(x) for x in v]}
    return {"type": "string", "value": str(v)}


class Firefox:
    name = "firefox"
    buttons = (0, 1, 2)
    # Its key actions put a character beyond the BMP in as two edits, one half each, which no
    # keyboard of a person does; the limit then keeps the first half.
    cannot = {"emoji-typed": "its key actions type a character beyond the BMP a half at a time"}

    def __init__(self, profile, env=None):
        profile = Path(profile)
        profile.mkdir(parents=True, exist_ok=True)
        (profile / "user.js").write_text("".join(
            f'user_pref("{k}", {json.dumps(v)});\n' for k, v in FIREFOX_PREFS.items()))
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile", str(profile),
             "--remote-debugging-port", "0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        server = profile / "WebDriverBiDiServer.json"
        end = time.monotonic() + 60
        while not server.exists() or not server.read_text().strip():
            if time.monotonic() > end or self.process.poll() is not None:
                self.quit()
                raise RuntimeError("Firefox's WebDriver BiDi server did not start")
            time.sleep(0.1)
        port = json.loads(server.read_text())["ws_port"]
        self.socket = websocket.create_connection(f"ws://127.0.0.1:{port}/session",
                                                  suppress_origin=True, timeout=120)
        self.last_id = 0
        self.capabilities = self.call("session.new", capabilities={})["capabilities"]
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("script.addPreloadScript", functionDeclaration=f"() => {{{PAGE_HELPERS}}}")
        self.viewport(None)

    def call(self, method, **params):
        self.last_id += 1
        self.socket.send(json.dumps({"id": self.last_id, "method": method, "params": params}))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == self.last_id:
                if reply["type"] == "error":
                    raise RuntimeError(f"{method}: {reply['error']}: {reply['message']}")
                return reply["result"]

    def get(self, url):
        self.call("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def execute_script(self, script, *args):
        got = self.call("script.callFunction", functionDeclaration=f"function () {{{script}\n}}",
                        arguments=[local_value(a) for a in args], awaitPromise=True,
                        target={"context": self.context}, resultOwnership="none")
        if got["type"] == "exception":
            raise RuntimeError(got["exceptionDetails"]["text"])
        return remote_value(got["result"])

    @property
    def title(self):
        return self.execute_script("return document.title")

    def get_screenshot_as_png(self):
        return base64.b64decode(self.call("browsingContext.captureScreenshot",
                                          context=self.context)["data"])

    def perform(self, actions):
        self.call("input.performActions", context=self.context, actions=actions)

    def insert_text(self, text):
        """A paste as a person makes it, since a paste event of a script's carries no text here:
        the text on the clipboard (headless Firefox's own) and Ctrl+V."""
        self.execute_script(CLIPBOARD_TEXT, units(text))
        keys = [("keyDown", "\ue009"), ("keyDown", "v"), ("keyUp", "v"), ("keyUp", "\ue009")]
        self.perform([{"type": "key", "id": "keyboard",
                       "actions": [{"type": t, "value": k} for t, k in keys]}])

    def phone(self, width, height):
        self.viewport(width, height, True)

    def viewport(self, width, height=None, mobile=False):
        width, height = (width, height) if width else SIZE
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height}, devicePixelRatio=3 if mobile else 1)

    def preload(self, source):
        if source is None:
            self.call("script.removePreloadScript", script=self.preloaded)
        else:
            self.preloaded = self.call("script.addPreloadScript",
                                       functionDeclaration=f"() => {{{source}\n}}")["script"]

    def unheard(self, wants):
        """Its locator finds elements by role and name; text alone it does not reach, so a
        StaticText is left to the checks' other means (a live region's announcement)."""
        locate = functools.partial(self.call, "browsingContext.locateNodes", context=self.context)
        return [(role, name) for role, name in wants if role != "StaticText" and not locate(
            locator={"type": "accessibility", "value": {"role": role, "name": name}})["nodes"]]

    def quit(self):
        try:
            self.call("browser.close")
        except Exception:  # the browser may be gone already
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


ENGINES = {e.name: e for e in (Chromium, WebKit, Firefox)}


if __name__ == "__main__":  # WebKit.tree's reader
    print(json.dumps(atspi_tree()))
