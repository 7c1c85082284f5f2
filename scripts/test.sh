#!/usr/bin/env bash
# Every test: the host tests on the headless platform, then the Windows tests under wine on a
# private virtual display, the end-to-end checks of every program.
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --preset host --output-on-failure -j2
scripts/with-xvfb.sh scripts/windows-tests.sh
# The real program driven as a person would, on a virtual display of its own: the Windows
# program under wine, then the native Linux one, through the same checks.
tests/e2e/run.sh
AMORIX_BACKEND=gtk tests/e2e/run.sh
# The native program's faces when a font is installed while it runs, and its screen reader's tour.
tests/gtk/faces_stay.sh
tests/gtk/screen_reader.sh
# The web build in every browser engine (Chromium, WebKit, Firefox), through the same checks.
tests/e2e/browser.py
# `make run` on a desktop with a window manager: the windows in the manager's hands.
tests/e2e/desktop.sh
# A short run of the outline fuzzer (clang, sanitizers); `make fuzz` runs it longer.
scripts/fuzz.sh 20
