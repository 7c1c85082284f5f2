# Shared by run.sh (the end-to-end checks) and demo.sh (the picture tour): the real program
# started on the current X display, its windows found by caption, the mouse and the keyboard
# driven with xdotool, and the screen read back with ImageMagick. Positions inside a window are
# given in twips, as the windows are laid out (15 twips make one pixel at the screen's usual 96
# pixels per inch, SCREEN_DPI), or in pixels from the window's top-left corner. Every wait is bounded; only what was started here is stopped, by its
# PID. No window manager runs, so the program places and moves its windows itself.
#
# AMORIX_BACKEND picks the program: "wine" (the default), the Windows executable under wine in a
# private prefix, or "gtk", the native Linux build, with a private home. Links go to a stand-in
# browser either way, which writes each address it is given to $E2E_WORK/links.
# shellcheck shell=bash

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
AMORIX_BACKEND=${AMORIX_BACKEND:-wine}
case $AMORIX_BACKEND in
  wine) E2E_DEFAULT_EXE="$E2E_ROOT/build/windows/Quillon Amorix.exe" ;;
  gtk) E2E_DEFAULT_EXE="$E2E_ROOT/build/linux/amorix" ;;
  *) echo "AMORIX_BACKEND is wine or gtk, not '$AMORIX_BACKEND'" >&2 && exit 2 ;;
esac
AMORIX_EXE=$(realpath -m "${AMORIX_EXE:-$E2E_DEFAULT_EXE}")
E2E_PREFIX=$(realpath -m "${AMORIX_E2E_PREFIX:-$E2E_ROOT/build/e2e/wineprefix}")
# The desktop is painted this colour, which no window's picture uses, so that whatever an outline
# cuts away shows as it in a screenshot.
DESKTOP_RGB=0,160,96
SCREEN_DPI=96

# Runs the calling script again on a virtual display of its own, unless it already runs on one.
e2e_own_display() {
  [ -n "${AMORIX_E2E_OWN_DISPLAY:-}" ] && return 0
  exec "$E2E_ROOT/scripts/with-xvfb.sh" env AMORIX_E2E_OWN_DISPLAY=1 "$0" "$@"
}

# Makes the stand-in browser and, for wine, the prefix ready and starts wine's server, kept alive
# between the program's runs so that each start is quick. e2e_teardown stops it again.
e2e_setup() {
  [ -f "$AMORIX_EXE" ] || { echo "no program at $AMORIX_EXE: build it first" >&2; return 1; }
  E2E_WORK=$(mktemp -d)
  local w=$E2E_WORK
  convert -size 8x8 "xc:rgb($DESKTOP_RGB)" "$w/desktop.png"
  e2e_browser
  AMX_PID= WINESERVER_PID=
  [ "$AMORIX_BACKEND" = wine ] || return 0
  "$E2E_ROOT/scripts/wine-prefix.sh" "$E2E_PREFIX"
  export WINEPREFIX=$E2E_PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if ! wineserver -k0 2>/dev/null; then # no server of this prefix runs yet: start ours
    wineserver -f -p </dev/null >>"$w/program.log" 2>&1 &
    WINESERVER_PID=$!
  fi
}

# The stand-in browser: `xdg-open` first on the PATH (wine's browser calls it) and the default
# handler of web addresses in a private home (GLib asks it). It records the address it is given.
e2e_browser() {
  local w=$E2E_WORK
  mkdir -p "$w/bin" "$w/home/.config" "$w/home/.local/share/applications"
  printf '#!/bin/sh\necho "$1" >>"%s/links"\n' "$w" >"$w/bin/xdg-open"
  chmod +x "$w/bin/xdg-open"
  printf '[Desktop Entry]\nType=Application\nName=Stand-in browser\nExec=%s %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n' \
    "$w/bin/xdg-open" >"$w/home/.local/share/applications/stand-in-browser.desktop"
  printf '[Default Applications]\nx-scheme-handler/http=stand-in-browser.desktop\nx-scheme-handler/https=stand-in-browser.desktop\n' \
    >"$w/home/.config/mimeapps.list"
  export PATH="$w/bin:$PATH"
  if [ "$AMORIX_BACKEND" = gtk ]; then
    # A home of its own: no settings, themes or session bus of the user's reach the program.
    export HOME=$w/home XDG_CONFIG_HOME=$w/home/.config XDG_DATA_HOME=$w/home/.local/share
    export XDG_DATA_DIRS=/usr/share XDG_CACHE_HOME=$w/home/.cache GSETTINGS_BACKEND=memory
    export NO_AT_BRIDGE=1 GTK_THEME=Adwaita
    unset DBUS_SESSION_BUS_ADDRESS GTK_MODULES
  fi
}

# The addresses the stand-in browser was given, one a line.
links_opened() {
  cat "$E2E_WORK/links" 2>/dev/null || true
}

e2e_teardown() {
  amx_kill
  [ "$SCREEN_DPI" = 96 ] || amx_set_dpi 96
  # Every wine process of our own prefix (services, explorer) goes with its server.
  if [ "$AMORIX_BACKEND" = wine ] && [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${WINESERVER_PID:-}" ]; then
    stop_pid "$WINESERVER_PID"
    WINESERVER_PID=
  fi
  if [ -n "${E2E_WORK:-}" ]; then rm -rf "$E2E_WORK"; fi
  E2E_WORK=
}

# Ends a process started here, by its PID: politely first, then for good after two seconds.
stop_pid() {
  local pid=$1 i
  kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
  kill "$pid" 2>/dev/null || true
  for i in $(seq 20); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  wait "$pid" 2>/dev/null || true
}

# --- the program ------------------------------------------------------------------------------

amx_start() {
  if [ "$AMORIX_BACKEND" = wine ]; then
    wine "$AMORIX_EXE" </dev/null >>"$E2E_WORK/program.log" 2>&1 &
  else
    "$AMORIX_EXE" </dev/null >>"$E2E_WORK/program.log" 2>&1 &
  fi
  AMX_PID=$!
}

# Paints the desktop in DESKTOP_RGB. Wine blackens it when a program's first window comes up, so
# this follows that window (for either program, to keep their steps alike).
paint_desktop() {
  timeout 10 display -window root "$E2E_WORK/desktop.png" >/dev/null 2>&1 || true
}

# The screen's pixels per inch for the programs started from now on: wine's LogPixels in the
# prefix, or the Xft/DPI setting of an XSETTINGS manager of our own, which GTK reads as a
# desktop's settings daemon gives it (stopped again at 96, the default).
amx_set_dpi() {
  SCREEN_DPI=$1
  if [ "$AMORIX_BACKEND" = wine ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
      >/dev/null 2>&1 </dev/null
  elif [ "$1" = 96 ]; then
    [ -z "${XSETTINGS_PID:-}" ] || stop_pid "$XSETTINGS_PID"
    XSETTINGS_PID=
  else
    echo "Xft/DPI $(($1 * 1024))" >"$E2E_WORK/xsettings"
    if [ -n "${XSETTINGS_PID:-}" ]; then
      kill -HUP "$XSETTINGS_PID"
    else
      xsettingsd -c "$E2E_WORK/xsettings" >/dev/null 2>&1 &
      XSETTINGS_PID=$!
    fi
    sleep 0.3
  fi
}

# Twips to whole pixels at SCREEN_DPI, a half going to the even neighbour, as the program rounds.
to_pixels() {
  local n=$(($1 * SCREEN_DPI)) q r
  q=$((n / 1440)) r=$((n % 1440))
  if [ $((2 * r)) -gt 1440 ] || { [ $((2 * r)) -eq 1440 ] && [ $((q % 2)) -eq 1 ]; }; then
    q=$((q + 1))
  fi
  echo "$q"
}

amx_kill() {
  if [ -n "${AMX_PID:-}" ]; then stop_pid "$AMX_PID"; fi
  AMX_PID=
}

# Waits up to SECONDS for the program to end by itself; sets AMX_STATUS to its exit status.
amx_wait_exit() {
  local seconds=$1 i
  AMX_STATUS=
  [ -n "${AMX_PID:-}" ] || return 1
  for i in $(seq $((seconds * 10))); do
    kill -0 "$AMX_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$AMX_PID" 2>/dev/null && return 1
  wait "$AMX_PID" && AMX_STATUS=0 || AMX_STATUS=$?
  AMX_PID=
}

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# --- windows, by caption ----------------------------------------------------------------------

# The mapped window whose caption is exactly CAPTION, if any (one look).
win_find() {
  { timeout 3 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n1
}

# Waits up to SECONDS (default 10) for a window CAPTION to be mapped and prints its id; gives up
# at once when the program has ended.
win_wait() {
  local caption=$1 seconds=${2:-10} id i
  for i in $(seq $((seconds * 10))); do
    id=$(win_find "$caption")
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -n "${AMX_PID:-}" ] && ! kill -0 "$AMX_PID" 2>/dev/null && return 1
    sleep 0.1
  done
  return 1
}

# Waits up to SECONDS (default 10) until no window CAPTION is mapped.
win_wait_gone() {
  local caption=$1 seconds=${2:-10} i
  for i in $(seq $((seconds * 10))); do
    [ -z "$(win_find "$caption")" ] && return 0
    sleep 0.1
  done
  return 1
}

# Sets WX WY WW WH to the window's place on the screen and its size.
win_geometry() {
  local info
  [ -n "$1" ] || return 1 # xwininfo without an id waits for a click
  info=$(xwininfo -id "$1" 2>/dev/null) || return 1
  WX=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
  WY=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
  WW=$(awk '/Width:/ { print $NF }' <<<"$info")
  WH=$(awk '/Height:/ { print $NF }' <<<"$info")
}

# The extents of the window's shape, as WIDTHxHEIGHT+X+Y, or "none" for a plain rectangle.
win_shape() {
  local extents
  extents=$(xwininfo -shape -id "$1" 2>/dev/null | awk '/Window shape extents/ { print $NF }') || true
  echo "${extents:-none}"
}

# Where a window of the given client size stands when centred on the screen: prints "X Y".
centred_at() {
  local sw sh
  read -r sw sh < <(xdotool getdisplaygeometry)
  echo "$(((sw - $1) / 2)) $(((sh - $2) / 2))"
}

# --- mouse and keyboard -----------------------------------------------------------------------

# Pixel box of a layout box in twips, at SCREEN_DPI: sets BX BY BW BH.
twips_box() {
  BX=$(($1 * SCREEN_DPI / 1440)) BY=$(($2 * SCREEN_DPI / 1440))
  BW=$(($3 * SCREEN_DPI / 1440)) BH=$(($4 * SCREEN_DPI / 1440))
}

# Moves the pointer to pixel X Y of window ID.
point_at() {
  win_geometry "$1" || return 1
  xdotool mousemove $((WX + $2)) $((WY + $3))
  sleep 0.15
}

# Moves the pointer to the middle of the control at LEFT TOP WIDTH HEIGHT (twips) of window ID.
point_on() {
  twips_box "$2" "$3" "$4" "$5"
  point_at "$1" $((BX + BW / 2)) $((BY + BH / 2))
}

# Clicks (button 1) the middle of the control at LEFT TOP WIDTH HEIGHT (twips) of window ID.
click_on() {
  point_on "$@" || return 1
  xdotool click 1
  sleep 0.3
}

type_text() {
  xdotool type --delay 40 -- "$1"
  sleep 0.2
}

# Pastes TEXT with Ctrl+V, offered on the clipboard by an xclip of our own while it is pasted.
paste_text() {
  local owner
  printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
  owner=$!
  sleep 0.3
  press ctrl+v
  stop_pid "$owner"
}

press() {
  xdotool key "$@"
  sleep 0.2
}

# Drags window ID by DX DY with mouse BUTTON, pressed at pixel X Y of the window. Wine's own move
# loop (no window manager runs) ends on the left button's release only; after a drag with another
# button, Return ends it where the window stands (Escape would put the window back). GTK's move
# ends on the release of the button that started it.
drag_window() {
  local id=$1 button=$2 x=$3 y=$4 dx=$5 dy=$6 i steps=5
  point_at "$id" "$x" "$y" || return 1
  local x0=$((WX + x)) y0=$((WY + y))
  xdotool mousedown "$button"
  sleep 0.3
  for i in $(seq $steps); do
    xdotool mousemove $((x0 + dx * i / steps)) $((y0 + dy * i / steps))
    sleep 0.1
  done
  xdotool mouseup "$button"
  sleep 0.2
  if [ "$button" != 1 ] && [ "$AMORIX_BACKEND" = wine ]; then press Return; fi
}

# --- the screen -------------------------------------------------------------------------------

# Takes a screenshot of the whole screen into FILE (default $E2E_WORK/shot.png).
shot() {
  import -window root "${1:-$E2E_WORK/shot.png}"
}

# Crops picture FILE to the box X Y W H (screen pixels) into OUT.
crop() {
  convert "$1" -crop "${4}x${5}+$2+$3" +repage "$6"
}

# Crops the last screenshot to the control at LEFT TOP WIDTH HEIGHT (twips) of window ID into OUT.
crop_control() {
  local id=$1 out=$6
  twips_box "$2" "$3" "$4" "$5"
  win_geometry "$id" || return 1
  crop "$E2E_WORK/shot.png" $((WX + BX)) $((WY + BY)) "$BW" "$BH" "$out"
}

# Crops the last screenshot to what window ID shows: its outline's extents, the desktop colour
# made transparent (what the outline cuts away, where the desktop shows through).
crop_window() {
  local id=$1 out=$2 w h
  win_geometry "$id" || return 1
  IFS='x+' read -r w h _ <<<"$(win_shape "$id")"
  [ "$w" = none ] && { w=$WW h=$WH; }
  convert "$E2E_WORK/shot.png" -crop "${w}x${h}+$WX+$WY" +repage \
    -transparent "rgb($DESKTOP_RGB)" "$out"
}

# The colour "R,G,B" of picture FILE's pixel at X Y.
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
    sed -n '2s/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# How many pixels of picture FILE have exactly the colour "R,G,B".
count_colour() {
  convert "$1" -depth 8 txt:- | grep -c "^[0-9]*,[0-9]*: ($2)" || true
}

# How many pixels differ between two pictures of the same size.
pixels_differ() {
  compare -metric AE "$1" "$2" null: 2>&1 | awk '{ print int($1) }'
}

# The whole number (55 to 115) that the main window's result label shows in picture FILE, read by
# matching it against the label's font (Monotype Corsiva, which the prefix maps to Z003) at
# 24 points at SCREEN_DPI; prints the number, or "none" for an empty label.
read_score() {
  local font
  font=$(fc-match -f '%{file}' 'Z003:italic')
  python3 "$E2E_ROOT/tests/e2e/read_number.py" "$1" "$font" $((SCREEN_DPI / 3)) 55 115 |
    cut -d' ' -f1
}
