#!/usr/bin/env bash
# Every test: the host tests on the headless platform, then the Windows tests under wine on a
# private virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --preset host --output-on-failure -j2
scripts/with-xvfb.sh scripts/windows-tests.sh
