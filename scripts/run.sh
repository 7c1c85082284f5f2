#!/usr/bin/env bash
# Starts the program: natively on Windows, under wine in the build's private prefix elsewhere.
# Usage: run.sh EXE PREFIX
set -euo pipefail
exe=$1 prefix=$2
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) exec "$exe" ;;
esac
if [ -z "${DISPLAY:-}" ]; then
  # No screen to show it on: take the scripted tour on a virtual display and keep its pictures.
  AMORIX_WINE_EXE=$exe /usr/bin/python3 "$(dirname "$0")/../tests/e2e/demo.py" wine >/dev/null
  echo "make run: no display here; the tour's pictures are in build/demo/"
  exit 0
fi
# A window manager names itself on the root window: then the windows go into its hands (a
# taskbar button, the window list), from a prefix of their own; on a bare display, unmanaged.
if wm=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) && [[ $wm == *"window id # "* ]] &&
  xprop -id "${wm##* }" >/dev/null 2>&1; then
  AMORIX_WINE_MANAGED=1 exec "$(dirname "$0")/wine-exec.sh" "$prefix-managed" "$exe"
fi
exec "$(dirname "$0")/wine-exec.sh" "$prefix" "$exe"
