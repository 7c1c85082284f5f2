#!/usr/bin/env bash
# Starts the program: the native Linux program as it is; the Windows program natively on Windows,
# under wine in the build's private prefix elsewhere. With no display to show it on, it takes the
# scripted tour on a virtual display instead and keeps its pictures.
# Usage: run.sh PROGRAM            (the native program)
#        run.sh EXE PREFIX         (the Windows program)
set -euo pipefail
program=$1 prefix=${2:-}
here=$(dirname "$0")
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) exec "$program" ;;
esac
# Wine draws on X alone; GTK on Wayland too.
display=${DISPLAY:-}
[ -n "$prefix" ] || display+=${WAYLAND_DISPLAY:-}
if [ -z "$display" ]; then
  if [ -n "$prefix" ]; then
    AMORIX_WINE_EXE=$program /usr/bin/python3 "$here/../tests/e2e/demo.py" wine >/dev/null
  else
    AMORIX_GTK_EXE=$program /usr/bin/python3 "$here/../tests/e2e/demo.py" gtk >/dev/null
  fi
  echo "make run: no display here; the tour's pictures are in build/demo/"
  exit 0
fi
[ -n "$prefix" ] || exec "$program"
# A window manager names itself on the root window: then the windows go into its hands (a
# taskbar button, the window list), from a prefix of their own; on a bare display, unmanaged.
if wm=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) && [[ $wm == *"window id # "* ]] &&
  xprop -id "${wm##* }" >/dev/null 2>&1; then
  AMORIX_WINE_MANAGED=1 exec "$here/wine-exec.sh" "$prefix-managed" "$program"
fi
exec "$here/wine-exec.sh" "$prefix" "$program"
