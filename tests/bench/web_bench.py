#!/usr/bin/python3
"""The web build's benchmark: what a visitor downloads, each file compressed with gzip -9 as a
static host serves it, and the time from navigation to the splash painted and from the splash's
tick to the main window's first paint, next to a bare page (tests/bench/bare_page/) that shows the
splash's picture and, three seconds later, the main window's, both in one headless Chromium,
alternating, as a first visit (no cache) on a mobile link: 150 ms latency, 1.6 Mbit/s down,
750 kbit/s up, the files sent gzip -9 compressed where that makes them smaller. Prints the table
(markdown).

Usage: tests/bench/web_bench.py [RUNS]
"""

import functools
import gzip
import io
import http.server
import shutil
import statistics
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import browser  # noqa: E402  (the end-to-end runner's page and quiet request handler)

WEB = ROOT / "build" / "web"
# The resource list: number, name, kind, file.
RESOURCES = {line.split()[1]: line.split()[3]
             for line in (ROOT / "resources" / "resources.txt").read_text().splitlines()
             if line and not line.startswith("#")}
TARGET_BYTES = 200 * 1000
# A mobile link, in bytes per second and milliseconds.
LINK = {"offline": False, "latency": 150, "downloadThroughput": 1_600_000 / 8,
        "uploadThroughput": 750_000 / 8}


def zipped(data):
    return gzip.compress(data, compresslevel=9, mtime=0)


def downloads():
    """The files a visit fetches, with their gzip -9 sizes (the licences are not fetched)."""
    files = [f for f in sorted(WEB.rglob("*")) if f.is_file() and not f.name.startswith("LICENSE")]
    return [(str(f.relative_to(WEB)), f.stat().st_size, len(zipped(f.read_bytes())))
            for f in files]


class GzipHandler(browser.QuietHandler):
    """Each file as a static host with compression sends it: gzip -9 when that is smaller."""

    def send_head(self):
        path = Path(self.translate_path(self.path))
        if not path.is_file() or "gzip" not in self.headers.get("Accept-Encoding", ""):
            return super().send_head()
        data = path.read_bytes()
        packed = zipped(data)
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(str(path)))
        if len(packed) < len(data):
            self.send_header("Content-Encoding", "gzip")
            data = packed
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        return io.BytesIO(data)


def serve(root):
    handler = functools.partial(GzipHandler, directory=str(root))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def timings(page, url):
    """Navigation to the splash painted, and the tick to the main window painted, in ms."""
    page.driver.get(url)
    end = time.monotonic() + 20
    while time.monotonic() < end:
        stats = page.js("return window.amorixStats")
        painted = dict(stats["painted"]) if stats else {}
        if "Amorix-Nimbus" in painted:
            return painted["Amorix"], painted["Amorix-Nimbus"] - stats["ticks"][0]
        time.sleep(0.1)
    raise RuntimeError(f"{url}: the main window was not painted")


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    files = downloads()
    with tempfile.TemporaryDirectory() as scratch:
        bare = Path(scratch) / "bare"
        bare.mkdir()
        shutil.copy(ROOT / "tests" / "bench" / "bare_page" / "index.html", bare)
        for name, picture in (("splash.jpg", "IDP_FORM5"), ("main.jpg", "IDP_FORM1")):
            shutil.copy(WEB / RESOURCES[picture], bare / name)
        program_server, bare_server = serve(WEB), serve(bare)
        page = browser.Page("", Path(scratch) / "profile")
        cdp = page.driver.execute_cdp_cmd
        cdp("Network.enable", {})
        cdp("Network.setCacheDisabled", {"cacheDisabled": True})
        # Every load a first visit: the service worker's copy of the build is not asked.
        cdp("Network.setBypassServiceWorker", {"bypass": True})
        cdp("Network.emulateNetworkConditions", LINK)
        results = {"program": [], "bare": []}
        try:
            for run in range(runs + 1):  # the first of each warms the browser up
                for which, server in (("program", program_server), ("bare", bare_server)):
                    got = timings(page, f"http://127.0.0.1:{server.server_port}/index.html")
                    if run:
                        results[which].append(got)
        finally:
            page.driver.quit()
    version = page.driver.capabilities.get("browserVersion", "?")
    total = sum(z for _, _, z in files)
    median = {w: [statistics.median(r[i] for r in results[w]) for i in (0, 1)] for w in results}
    splash_ratio = median["program"][0] / median["bare"][0]
    print(f"## The web build (headless Chromium {version})\n")
    print(f"What a visit downloads, each file gzip -9 compressed; then {runs} first visits of the page")
    print("and of a bare page with the same pictures, alternating, on a mobile link (150 ms latency,")
    print("1.6 Mbit/s down, 750 kbit/s up, the files sent compressed), medians.\n")
    print("| file | bytes | gzip -9 |\n|---|---|---|")
    for name, size, zipped in files:
        print(f"| `{name}` | {size} | {zipped} |")
    print(f"| **total** | {sum(s for _, s, _ in files)} | **{total}** "
          f"({total / 1000:.1f} kB, target ≤ 200 kB: {'met' if total <= TARGET_BYTES else '**missed**'}) |\n")
    print("| figure | program | bare page | ratio | target | |\n|---|---|---|---|---|---|")
    print(f"| navigation to the splash painted | {median['program'][0]:.1f} ms | "
          f"{median['bare'][0]:.1f} ms | {splash_ratio:.2f}× | ≤ 1.5× | "
          f"{'met' if splash_ratio <= 1.5 else '**missed**'} |")
    print(f"| the splash's tick to the main window painted | {median['program'][1]:.1f} ms | "
          f"{median['bare'][1]:.1f} ms | {median['program'][1] / median['bare'][1]:.2f}× | | |")
    print("\n| run | program: splash, tick to main (ms) | bare page (ms) |\n|---|---|---|")
    for i, (p, b) in enumerate(zip(results["program"], results["bare"]), 1):
        print(f"| {i} | {p[0]:.1f}, {p[1]:.1f} | {b[0]:.1f}, {b[1]:.1f} |")


if __name__ == "__main__":
    main()
