"""The checks only a page can be asked for (checks.txt: "web", and "chromium" where Chromium's
DevTools protocol alone can tell): what the page tells assistive technology and axe-core, its
fonts, a phone's touch screen and its turns, a drag held through a resize or lost, the web app it
installs as, offline and updated by its service worker, on a network that stalls and fails files
or serves two builds mixed (web.Handler's rules, on an origin of the check's own), and its
Content-Security-Policy. They drive the page through web.py and take every place from the layout
the program declares.
"""

import contextlib
import hashlib
import re
import shutil
import tempfile
import time
from pathlib import Path

import pytest

import layout
from program import expect
from user import User, differ

AXE = Path(__file__).resolve().parents[2] / "build/npm/node_modules/axe-core/axe.min.js"
CSP = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval' 'unsafe-hashes' "
       "'sha256-ickO+OD1JEdL8j6AUEuBO6IIOUA+DfoeMHAoilxlWO8='; style-src 'self'; "
       "object-src 'none'; base-uri 'none'")
MAIN = layout.window(layout.MAIN)
CAPTION = MAIN.caption


@pytest.fixture(scope="module")
def user(program):
    return User(program)


def fresh(user):
    """The page loaded afresh (in the viewport as it now is), its main window shown."""
    user.start()
    user.main(30)


def press_label(program, caption, name):
    """A screen reader's default action on label NAME of window CAPTION: a click on it."""
    program.js("""[...amorixForm(arguments[0]).querySelectorAll('[role]')]
        .find(l => l.getAttribute('aria-label') === arguments[1]).click()""", caption, name)


@pytest.mark.check("accessibility")
def test_accessibility(program, user):
    user.at_main()
    user.calculate("Ann", "Bob")
    time.sleep(0.3)
    words = {"button": "button", "link": "link", "text": "StaticText"}
    wants = [("textbox", box.name) for box in MAIN.boxes if box.seen and box.name]
    wants += [(words[label.role], label.name) for label in MAIN.labels
              if label.shown and not label.score] + [("StaticText", "66")]
    unheard = program.driver.unheard(wants)
    expect(not unheard, f"not in the accessibility tree: {unheard}")
    live = program.js("return document.getElementById('amx-live').textContent")
    expect(live == "66", f"the score announced is '{live}'")
    credit = layout.window(layout.CREDIT)
    press_label(program, CAPTION, "CREDIT")
    program.wait(credit.caption)
    press_label(program, credit.caption, "Close")
    program.wait(CAPTION)
    program.wait_gone(credit.caption)


@pytest.mark.check("faces")
def test_faces(program, user):
    user.at_main()
    faces = program.js("""return [...document.fonts]
        .map(f => [f.family.replace(/"/g, ''), f.status])""")
    bad = [f for f in faces if f[1] != "loaded"]
    expect(faces and not bad, f"of the page's faces {faces} these are not in: {bad}")
    for style, family, text in (("", "MS Sans Serif", "Calculate"),
                                ("bold", "Times New Roman", "HELP"),
                                ("italic", "Times New Roman", "Ann Bob"),
                                ("italic", "Monotype Corsiva", "66")):
        font = f'{style} 12px "{family}"'
        ours = [f for f in faces if f[0] == family]
        drawn = program.js("return document.fonts.check(arguments[0], arguments[1])", font, text)
        expect(ours and drawn, f"'{text}' in {font} is not drawn with a face of the page")


@pytest.mark.check("csp")
def test_csp(program, user):
    user.at_main()
    policy = program.js("""return document.querySelector(
        'meta[http-equiv="Content-Security-Policy"]')?.content""")
    expect(policy == CSP, f"the page's policy is {policy!r}")
    # In force, and heard of: an inline script is refused.
    program.js("""const s = document.createElement('script');
        s.textContent = 'window.amorixInline = 1';
        document.head.append(s);""")
    time.sleep(0.2)
    expect(program.js("return window.amorixInline ?? null") is None, "an inline script ran")
    seen = program.refused()
    expect(len(seen) == 1 and seen[0].startswith("script-src"), f"refused: {seen}")


def axe_violations(program):
    """What axe-core finds wrong with the page as it stands: (rule, impact, where) each."""
    if not program.js("return !!window.axe"):
        program.js(AXE.read_text())
    return program.js("""
        return axe.run(document, {resultTypes: ['violations']}).then(
            r => r.violations.map(v => [v.id, v.impact,
                                        v.nodes.map(n => n.target.join(' ')).join(', ')]),
            e => [['axe', 'error', String(e)]]);""")


@pytest.mark.check("axe")
def test_axe(program, user):
    splash = layout.window(layout.SPLASH)
    # The splash lasts three seconds: axe-core is put in the page before it loads, where the
    # engine can.
    program.driver.preload(AXE.read_text())
    try:
        user.start()
        program.wait(splash.caption, 30)
        found = {"splash": axe_violations(program)}
        expect(splash.caption in program.windows(), "the splash went before axe-core was done")
    finally:
        program.driver.preload(None)
    user.main()
    found["main"] = axe_violations(program)
    user.show(layout.HELP)
    found["help"] = axe_violations(program)
    user.close(layout.HELP)
    bad = {where: v for where, v in found.items() if v}
    expect(not bad, f"axe-core finds {bad}")


@pytest.mark.check("installable")
def test_installable(program, user):
    user.at_main()
    cdp = program.driver.execute_cdp_cmd
    end = time.monotonic() + 10
    while not (manifest := cdp("Page.getAppManifest", {})).get("url"):
        expect(time.monotonic() < end, "the page names no manifest")
        time.sleep(0.1)
    expect(manifest["url"].endswith("amorix.webmanifest") and not manifest["errors"],
           f"the manifest: {manifest['url']} {manifest['errors']}")
    errors = cdp("Page.getInstallabilityErrors", {})["installabilityErrors"]
    expect(not errors, f"not installable: {[e['errorId'] for e in errors]}")


def until(program, script, why, timeout=30, *args):
    """What SCRIPT returns once it is true (a page between loads returns nothing); fails with WHY
    after TIMEOUT s."""
    end = time.monotonic() + timeout
    while True:
        try:
            got = program.js(script, *args)
        except Exception:  # between loads
            got = None
        if got:
            return got
        expect(time.monotonic() < end, why)
        time.sleep(0.1)


def controlled(program):
    """Waits for the build's service worker to control the page: it has the whole build then."""
    until(program, "return !!navigator.serviceWorker.controller",
          "no service worker controls the page", 20)


@pytest.mark.check("offline")
def test_offline(program, user):
    user.at_main()
    controlled(program)
    cdp = program.driver.execute_cdp_cmd
    cdp("Network.enable", {})
    cdp("Network.emulateNetworkConditions", {"offline": True, "latency": 0,
                                             "downloadThroughput": -1, "uploadThroughput": -1})
    try:
        expect(not program.js("return navigator.onLine"), "the network is still on")
        user.start()
        splash = layout.window(layout.SPLASH).caption
        expect(user.shown() == [splash], f"offline, start-up shows {user.shown()}")
        user.main()
        got = user.calculate("Ann", "Bob")
        expect(got == "66", f"offline, Ann and Bob score {got}")
    finally:
        cdp("Network.emulateNetworkConditions", {"offline": False, "latency": 0,
                                                 "downloadThroughput": -1, "uploadThroughput": -1})
        cdp("Network.disable", {})


def caches_until(program, done, after):
    """The page's caches once DONE holds of their names."""
    end = time.monotonic() + 30
    while not done(names := program.js("return caches.keys()")):
        expect(time.monotonic() < end, f"{after} the page's caches are {names}")
        time.sleep(0.2)
    return names


@contextlib.contextmanager
def served(program, rules=None, root=None):
    """The build (or ROOT) served on an origin of its own, which no other check's worker serves,
    by a server that follows RULES (web.Handler): its address and the server."""
    import web
    server = web.serve(root or program.root, rules)
    try:
        yield f"http://127.0.0.1:{server.server_port}/", server
    finally:
        program.stop()
        web.stop(server)


@pytest.mark.check("update")
def test_update(program):
    with tempfile.TemporaryDirectory() as scratch, \
            served(program, root=shutil.copytree(program.root, Path(scratch) / "web")) as (url, _):
        root = Path(scratch) / "web"
        program.driver.get(url)
        controlled(program)  # else the next visit is not the worker's to serve, nor to update
        old = caches_until(program, lambda names: len(names) == 1, "after the first visit")[0]
        index = (root / "index.html").read_bytes()
        rebuilt(root, "index.html", index.replace(
            b"<title>", b'<meta name="amorix-build" content="new"><title>'))
        program.driver.get(url)  # the old build, from its cache, while the new one installs
        caches_until(program, lambda names: names == [old + "0"], "after the next visit")
        program.driver.get(url)
        build = program.js("return document.querySelector('meta[name=amorix-build]')?.content")
        expect(build == "new", "the load after the next visit still shows the old build")
        program.wait(layout.window(layout.SPLASH).caption, 30)
        expect(not program.refused(), "the new build's page refused what it loads")


def rebuilt(root, file, data):
    """The build in ROOT made another: FILE's bytes now DATA, the worker's hashes of it and of the
    build changed to match; the bytes it had."""
    worker, had = root / "sw.js", (root / file).read_bytes()
    (root / file).write_bytes(data)
    text = worker.read_text().replace(*(hashlib.sha256(d).hexdigest()[:16] for d in (had, data)))
    build = re.search(r"([0-9a-f]{16})';", text)[1]
    worker.write_text(text.replace(build, build + "0"))
    return had


def modules(program):
    """Each of the page's caches by its deployment's folder: the size of its module (-1: none)."""
    return dict(program.js("""return caches.keys().then(names => Promise.all(names.map(n => caches
        .open(n).then(c => c.match(n.split(' ')[1] + 'amorix.wasm'))
        .then(r => r ? r.arrayBuffer() : null)
        .then(b => [n.split(' ')[1].slice(-3), b ? b.byteLength : -1]))))"""))


@pytest.mark.check("deployments")
def test_deployments(program):
    with tempfile.TemporaryDirectory() as scratch:
        a, b = (shutil.copytree(program.root, Path(scratch) / place) for place in "ab")
        module = (b / "amorix.wasm").read_bytes() + b"\0\5\4amxB"  # a custom section more
        old = rebuilt(b, "amorix.wasm", module)
        with served(program, {"/b/amorix.wasm": ("bytes", old)}, scratch) as (url, server):
            program.driver.get(url + "a/")
            controlled(program)
            program.driver.get(url + "b/")  # deployed half: the module still the old one
            program.wait(CAPTION, 30)
            until(program, """return navigator.serviceWorker.getRegistration()
                .then(r => !r?.installing && !r?.waiting)""", "/b/'s worker still installs")
            got = modules(program)
            expect(got == {"/a/": len(old)}, f"with /b/ half deployed, the modules kept: {got}")
            server.rules.clear()
            program.driver.get(url + "b/")
            caches_until(program, lambda names: len(names) == 2, "with /b/ whole")
            got = modules(program)
            expect(got == {"/a/": len(old), "/b/": len(module)}, f"the modules kept: {got}")
            program.js("return caches.keys().then(n => caches.open(n.find(n => n.includes('/b/ '))))"
                       ".then(c => c.delete('amorix.wasm'))")
            program.driver.get(url + "b/")
            program.wait(CAPTION, 30)
            expect(modules(program) == got, f"/b/'s module is not put back: {modules(program)}")


@pytest.mark.check("stalled")
def test_stalled(program):
    splash = layout.window(layout.SPLASH).caption
    with served(program, {"/form5_splash.jpg": ("stall", 25),
                          "/fonts/AmorixSans-Regular-First.woff2": ("stall", 25)}) as (url, _):
        program.js("location.assign(arguments[0])", url)  # not waiting for the load they hold
        shown = dict(until(program, "return location.href === arguments[0] && "
                           "amorixStats.painted.length > 1 && amorixStats.painted",
                           "the windows did not show", 30, url))  # ms after the navigation
        expect(shown.get(splash, 1e9) < 8000 and shown[CAPTION] < shown[splash] + 8000,
               f"with the splash's picture and a face stalled, the windows showed at {shown} ms")


@pytest.mark.check("unloaded")
def test_unloaded(program):
    for path, rule in (("/amorix.js", ("fail", 404)), ("/amorix.wasm", ("fail", 404)),
                       ("/amorix.wasm", ("bytes", b"\0asm\1\0\0\0"))):  # of another build
        with served(program, {path: rule}) as (url, server):
            program.driver.get(url)
            told = until(program, """const f = document.getElementById('amx-ended');
                return f.checkVisibility() && f.innerText""", f"with {path} {rule[0]}, nothing told")
            expect("could not be loaded" in told, f"with {path} {rule[0]}, the page tells {told!r}")
            server.rules.clear()
            program.pointer([program.js("""const r = document.getElementById('amx-restart')
                .getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]""")], 0)
            until(program, "return amorixStats.painted.length",
                  f"after {path} {rule[0]}, the button did not start the program again")


@pytest.mark.check("refetched")
def test_refetched(program, user):
    """The main window's picture fails, then comes: it is asked for again and shown. A face that
    fails is not asked for again by the paints that want it."""
    picture = "/form1_main.jpg"  # the main window's, as the resource list names it
    with served(program, {picture: ("fail", 503),
                          "/fonts/AmorixSans-Regular-First.woff2": ("fail", 404)}) as (url, server):
        program.driver.get(url)
        x, y, w, h = program.wait(CAPTION, 30)
        program.js("""const asked = window.amorixAsked = [], load = document.fonts.load;
            document.fonts.load = function (font, text) {
              asked.push(font + ' ' + text);
              return load.call(this, font, text); };""")
        bare = program.shot().crop((x, y, x + w, y + h))
        server.rules.pop(picture)
        for _ in range(2):
            user.calculate("Ann", "Bob")
        asked = program.js("return amorixAsked")
        expect(len(set(asked)) == len(asked), f"the paints asked for faces again: {asked}")
        end = time.monotonic() + 20
        while differ(program.shot().crop((x, y, x + w, y + h)), bare) < w * h // 4:
            expect(time.monotonic() < end, f"the picture was not shown; asked for "
                   f"{server.asked.count(picture)} times")
            time.sleep(0.5)


def main_rect(program):
    """The main window's place in the viewport: left, top, right, bottom."""
    return program.js("""const r = amorixForm(arguments[0]).getBoundingClientRect();
        return [r.left, r.top, r.right, r.bottom]""", CAPTION)


@pytest.mark.check("touch")
def test_touch(program, user):
    program.driver.phone(360, 740)
    try:
        fresh(user)
        left, top, right, _ = main_rect(program)
        width = program.js("return innerWidth")
        expect(left >= 0 and right <= width,
               f"the main window spans {left:.0f} to {right:.0f} of {width}")
        scale = (right - left) / MAIN.size[0]

        def at(x, y):
            return left + (x + 0.5) * scale, top + (y + 0.5) * scale

        for name, text in (("First name", "Ann"), ("Second name", "Bob")):
            program.pointer([at(*MAIN.box(name).centre)], 0, "touch")
            program.type(text)
        program.pointer([at(*MAIN.label("Calculate").centre)], 0, "touch")
        time.sleep(0.3)
        labels = program.js("""return [...document.querySelectorAll('.amx-form span.amx-label')]
            .map(l => l.textContent)""")
        expect("66" in labels, f"after the tap the labels read {labels}")
        # A finger on the background drags the window.
        x, y = at(*MAIN.background)
        program.pointer([(x, y + 10 * step) for step in range(6)], 0, "touch")
        moved = main_rect(program)[1]
        expect(abs(moved - top - 50) <= 1,
               f"a drag of 50 pixels moved the window {moved - top:.0f}")
    finally:
        program.driver.viewport(None)


# The viewport as the page reads it made 560x700 (narrower than the desktop: scaled down) in half
# a second, the main window's place then kept; RESTORE gives the viewport back.
SHRINK = """for (const [k, v] of [['innerWidth', 560], ['innerHeight', 700]]) {
    const real = Object.getOwnPropertyDescriptor(window, k) ||
                 Object.getOwnPropertyDescriptor(Window.prototype, k);
    Object.defineProperty(window, k, {get: () => window.amorixShrunk ? v : real.get.call(window),
                                      configurable: true}); }
  setTimeout(() => { window.amorixShrunk = true; dispatchEvent(new Event('resize'));
    window.amorixBefore = amorixForm(arguments[0]).getBoundingClientRect(); }, 500);"""
RESTORE = "window.amorixShrunk = false; dispatchEvent(new Event('resize'))"


@pytest.mark.check("drag-held")
def test_drag_held(program, user):
    try:
        fresh(user)
        x, y = program.viewport_point(CAPTION, *MAIN.background)[:2]
        corner = program.js("return [innerWidth - 2, innerHeight - 2]")
        program.pointer([(x, y), corner], 0)
        got = main_rect(program)
        expect(got[2] <= corner[0] + 2 and got[3] <= corner[1] + 2,
               f"dragged to the corner, the window spans {got}")
        x, y = program.viewport_point(CAPTION, *MAIN.background)[:2]
        program.js(SHRINK, CAPTION)
        program.pointer([(x, y), (x - 30, y - 30), None, (x - 50, y + 20)], 0)
        before = program.js("return [amorixBefore.left, amorixBefore.top]")
        moved = [round(a - b) for a, b in zip(main_rect(program)[:2], before)]
        expect(moved == [-20, 50], f"after a resize a move of (-20, 50) moved the window {moved}")
        program.js(RESTORE)
        program.js("""const f = amorixForm(arguments[0]);
            f.addEventListener('pointerdown', e => f.releasePointerCapture(e.pointerId))""", CAPTION)
        x, y = program.viewport_point(CAPTION, *MAIN.background)[:2]
        program.pointer([(x, y), (x + 5, y + 5), corner], 0)
        got = user.calculate("Ann", "Bob")
        expect(got == "66", f"after a drag lost its pointer, Ann and Bob score {got}")
    finally:
        program.js(RESTORE)


def in_view(program, labels):
    """Of the main window and of each of its LABELS: its place in the viewport and how much of it
    shows there; with the viewport's size and zoom."""
    return program.js("""
        const f = amorixForm(arguments[1]), r = f.getBoundingClientRect(), v = visualViewport;
        const s = r.width / parseFloat(f.style.width);
        const span = (a, b, from, to) => Math.max(0, Math.min(b, to) - Math.max(a, from));
        const seen = (x, y, w, h) => span(x, x + w, v.offsetLeft, v.offsetLeft + v.width) *
            span(y, y + h, v.offsetTop, v.offsetTop + v.height) / (w * h);
        return {view: [innerWidth, innerHeight, v.scale], at: [r.left, r.top, r.width, r.height],
                shows: [seen(r.left, r.top, r.width, r.height)].concat(arguments[0].map(b =>
                    seen(r.left + b[0] * s, r.top + b[1] * s, (b[2] - b[0]) * s,
                         (b[3] - b[1]) * s)))};""",
                      [MAIN.label(name).rect for name in labels], CAPTION)


@pytest.mark.check("rotation")
def test_rotation(program, user):
    """The window, HELP and the exit label stay whole in view; centred until the user moves it."""
    try:
        program.driver.viewport(390, 844, True)
        fresh(user)
        for width, height, mobile in ((390, 844, True), (844, 390, True), (390, 844, True),
                                      (1280, 800, False), (800, 600, False)):
            program.driver.viewport(width, height, mobile)
            time.sleep(0.4)
            got = in_view(program, ["HELP", "Exit"])
            x, y, w, h = got["at"]
            expect(got["view"] == [width, height, 1],
                   f"at {width}x{height} the viewport is {got['view']}")
            expect(min(got["shows"]) == 1, f"at {width}x{height} the window, HELP and exit show "
                   f"{[round(f * 100) for f in got['shows']]} %")
            if (width, height) == (1280, 800):  # moved by the user: kept in view, not centred
                program.drag(CAPTION, *MAIN.background, 350, 300)
                continue
            want = ((width - w) / 2, (height - h) / 2)
            if width == 800:  # pushed in from the right, where the drag took it
                want = (800 - w, y)
            expect(abs(x - want[0]) <= 2 and abs(y - want[1]) <= 2,
                   f"at {width}x{height} the window stands at ({x:.0f},{y:.0f}), not "
                   f"({want[0]:.0f},{want[1]:.0f})")
    finally:
        program.driver.viewport(None)
