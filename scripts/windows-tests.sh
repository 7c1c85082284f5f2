#!/usr/bin/env bash
# The Windows tests under wine, on the current display, in the build's private prefix. Wine's
# server and first process are started beforehand with their output sent elsewhere (wine's
# background processes inherit the first wine call's pipes, which would keep CTest waiting), and
# the server is stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
export WINEPREFIX=$PWD/build/windows/wineprefix
scripts/wine-prefix.sh "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
ctest --preset windows --output-on-failure "$@"
