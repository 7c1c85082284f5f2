#!/usr/bin/env bash
# `make run` on a desktop: a virtual display of its own with a window manager (openbox) running,
# the program started by scripts/run.sh as `make run` starts it, and the windows judged by what
# the manager knows of them: the splash stays off the taskbar (_NET_WM_STATE_SKIP_TASKBAR), the
# main window is in the manager's window list (_NET_CLIENT_LIST) and on the taskbar. Then a
# compositing manager (xcompmgr) joins, and the native program's windows have an alpha channel
# (a 32-bit visual) and keep their X shape. Prints one line per check and `N passed, M failed`,
# and when one failed, the run's log, the windows on the display and wine's processes.
# Only what was started here is stopped, by its PID.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${AMORIX_DESKTOP_OWN_DISPLAY:-}" ] ||
  exec "$root/scripts/with-xvfb.sh" env AMORIX_DESKTOP_OWN_DISPLAY=1 "$0" "$@"
exe=$(realpath -m "${AMORIX_EXE:-$root/build/windows/Quillon Amorix.exe}")
prefix=$(realpath -m "$root/build/desktop/wineprefix")
mkdir -p "$root/build/desktop"
log=$root/build/desktop/run.log

openbox --sm-disable >"$log" 2>&1 &
manager=$!
program= compositor= native=
finish() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  [ -n "$native" ] && kill "$native" 2>/dev/null
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
  WINEPREFIX=$prefix-managed wineserver -k >/dev/null 2>&1
  kill "$manager" 2>/dev/null
  wait 2>/dev/null
}
trap finish EXIT

# Waits up to $1 seconds for a command to succeed.
wait_for() {
  local seconds=$1 i
  shift
  for i in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
named() { xdotool search --name "^$1\$" 2>/dev/null | head -n1; }
has_window() { [ -n "$(named "$1")" ]; }
# Of no window, xprop and xwininfo would wait for one to be clicked: a missing window fails.
state_of() {
  local id
  id=$(named "$1")
  [ -n "$id" ] && xprop -id "$id" _NET_WM_STATE 2>/dev/null
}
listed() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$(named "$1")")"; }

passed=0 failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok   $what"
    passed=$((passed + 1))
  else
    echo "FAIL $what"
    failed=$((failed + 1))
  fi
}

# What the display, the program and wine show, when a check failed.
report() {
  echo "--- the run's log:"
  tail -n 40 "$log"
  echo "--- windows on the display:"
  xdotool search --name . 2>/dev/null | while read -r id; do xdotool getwindowname "$id"; done
  echo "--- wine's processes:"
  pgrep -a -f 'wine|\.exe' || true
}

check "a window manager runs on the display" wait_for 10 manager_runs
# The managed prefix is made (wineboot) on the first run, here first, timed apart from the splash.
make_prefix() {
  AMORIX_WINE_MANAGED=1 timeout 300 "$root/scripts/wine-prefix.sh" "$prefix-managed" >>"$log" 2>&1
}
started=$SECONDS
check "the managed prefix is made" make_prefix
echo "     ($((SECONDS - started)) s)"
rm -rf "$prefix"  # a bare prefix left by an earlier run would hide which one this run took
"$root/scripts/run.sh" "$exe" "$prefix" >>"$log" 2>&1 &
program=$!
check "the splash 'Amorix' comes up" wait_for 60 has_window Amorix
check "  ... off the taskbar" wait_for 5 eval 'state_of Amorix | grep -q _NET_WM_STATE_SKIP_TASKBAR'
check "the main window 'Amorix-Nimbus' follows" wait_for 15 has_window Amorix-Nimbus
check "  ... in the window manager's list" wait_for 5 listed Amorix-Nimbus
check "  ... and on the taskbar" eval 'has_window Amorix-Nimbus && ! state_of Amorix-Nimbus | grep -q _NET_WM_STATE_SKIP_TASKBAR'
check "the run took the managed prefix, not the bare one" test ! -e "$prefix"

xcompmgr >>"$log" 2>&1 &
compositor=$!
sleep 0.5
"$root/build/linux/amorix" >>"$log" 2>&1 &
native=$!
main_of_native() { xdotool search --all --pid "$native" --name '^Amorix-Nimbus$' 2>/dev/null | head -n1; }
native_info() {
  local id
  id=$(main_of_native)
  [ -n "$id" ] && xwininfo "$@" -id "$id"
}
check "composited, the native main window comes up" wait_for 30 eval '[ -n "$(main_of_native)" ]'
check "  ... with an alpha channel" eval 'native_info | grep -q "Depth: 32"'
check "  ... and its outline as its X shape" \
  eval 'native_info -shape | grep -q "Window shape extents:  600x342+0+0"'
[ "$failed" -eq 0 ] || report
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
