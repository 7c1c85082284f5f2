#!/usr/bin/env bash
# A screen reader's tour of the running program: every window as the screen_reader program reads
# it from its own process, each reached by pressing labels through Active Accessibility (typing,
# as a blind user types, goes through the keyboard). Run on a display:
#   scripts/with-xvfb.sh tests/windows/screen_reader/tour.sh
set -euo pipefail
cd "$(dirname "$0")/../../.."
. scripts/wine-env.sh
export WINEPREFIX=$PWD/build/windows/wineprefix
scripts/wine-prefix.sh "$WINEPREFIX"
reader() { wine build/windows/tests/screen_reader.exe "$@" 2>/dev/null | tr -d '\r'; }
step() {
  echo "== $1"
  shift
  [ $# -eq 0 ] || { reader press "$@" >/dev/null; sleep 1; }
  reader
}
wine "build/windows/Quillon Amorix.exe" >/dev/null 2>&1 </dev/null &
program=$!
trap 'kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -n "$(reader)" ] && break
  sleep 0.1
done
step "the splash"
until reader | grep -q Amorix-Nimbus; do sleep 0.2; done
step "the main window"
step "HELP pressed" Amorix-Nimbus 4
xdotool type --delay 50 730481
sleep 1
step "730481 typed into the help window"
reader press "SW. Formation" 1 >/dev/null
step "the help window's close label pressed" Help 6
step "CREDIT pressed" Amorix-Nimbus 5
step "the credit window's close label pressed" Credit 1
step "TERMS pressed" Amorix-Nimbus 3
step "the terms window's close label pressed" Terms 3
step "Calculate pressed with no names" Amorix-Nimbus 2
step "the reminder's close label pressed" Information 1
xdotool type --delay 50 Ann
xdotool key Tab
xdotool type --delay 50 Bob
step "Ann and Bob typed, Calculate pressed" Amorix-Nimbus 2
step "the exit label pressed" Amorix-Nimbus 1
echo "== Yes pressed"
reader press Confirmation 3 || true
wait "$program" && echo "the program ended with status 0"
