#!/usr/bin/env bash
# A seeded random monkey on the native program: clicks, right clicks, drags, hovers, keys, typing
# and pastes, mostly on the program's own windows and now and then anywhere on the screen, for
# SECONDS. The program is started again whenever it ends. A run fails the monkey when it ends
# with a status other than 0, when the fatal message comes up, or when its output holds a
# sanitizer's report. On a failure the seed, the last actions and the program's output are kept
# in build/soak-native/.
# Usage: tests/gtk/monkey.sh SECONDS   (AMORIX_MONKEY_SEED=N repeats a run; AMORIX_EXE picks the
# program, build/linux-asan/amorix by default)
set -uo pipefail
export AMORIX_BACKEND=gtk
export AMORIX_EXE=${AMORIX_EXE:-$(dirname "$0")/../../build/linux-asan/amorix}
source "$(dirname "$0")/../e2e/lib.sh"
e2e_own_display "$@"

seconds=${1:-600}
seed=${AMORIX_MONKEY_SEED:-$(date +%s)}
RANDOM=$seed
KEPT=$E2E_ROOT/build/soak-native
KEYS=(Tab shift+Tab Return Escape BackSpace Delete Left Right Home End space ctrl+a ctrl+c ctrl+x
  ctrl+v ctrl+z alt+F4 F1 a Z 7)
TEXTS=(Ann Bob "Mary Ann" 730481 730418 "Zoë" "日本語" "😀😀😀" "abcdefghijklmnopqrstuvwxyz" " ")
REPORT='ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer'

trap 'e2e_teardown' EXIT
e2e_setup || exit 1
read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)
runs=0 actions=0

fail() {
  mkdir -p "$KEPT"
  cp "$E2E_WORK/actions" "$KEPT/actions" 2>/dev/null
  cp "$E2E_WORK/program.log" "$KEPT/program.log" 2>/dev/null
  echo "FAIL: monkey (seed $seed, run $runs, after $actions actions): $1"
  echo "  the last actions and the program's output are in ${KEPT#"$E2E_ROOT"/}/"
  grep -E -m 5 "$REPORT" "$E2E_WORK/program.log"
  exit 1
}

start() {
  : >"$E2E_WORK/program.log"
  : >"$E2E_WORK/actions"
  runs=$((runs + 1))
  amx_start
}

# The run that just ended: status 0 and no report.
judge() {
  local status
  wait "$AMX_PID"
  status=$?
  AMX_PID=
  grep -Eq "$REPORT" "$E2E_WORK/program.log" && fail "a sanitizer's report"
  [ "$status" = 0 ] || fail "the program ended with status $status"
}

# Sets X Y: a point on one of the program's windows (three times in four), else anywhere. One
# time in eight the point is in a window's top right corner, where most close labels stand, so
# that windows close and the program ends now and then.
pick_point() {
  local windows id
  mapfile -t windows < <(timeout 3 xdotool search --onlyvisible --pid "$AMX_PID" 2>/dev/null)
  if [ ${#windows[@]} -gt 0 ] && [ $((RANDOM % 4)) -gt 0 ]; then
    id=${windows[RANDOM % ${#windows[@]}]}
    if win_geometry "$id" && [ "$WW" -gt 40 ] && [ "$WH" -gt 40 ]; then
      X=$((WX + RANDOM % WW)) Y=$((WY + RANDOM % WH))
      [ $((RANDOM % 8)) -eq 0 ] && X=$((WX + WW - 1 - RANDOM % 40)) Y=$((WY + RANDOM % 40))
      return
    fi
  fi
  X=$((RANDOM % SCREEN_W)) Y=$((RANDOM % SCREEN_H))
}

act() {
  local what=$((RANDOM % 10)) text button
  pick_point
  case $what in
    0 | 1 | 2 | 3) echo "click $X $Y" && xdotool mousemove "$X" "$Y" click 1 ;;
    4) echo "right click $X $Y" && xdotool mousemove "$X" "$Y" click 3 ;;
    5)
      button=$((RANDOM % 2 * 2 + 1))
      echo "drag with button $button from $X $Y"
      xdotool mousemove "$X" "$Y" mousedown "$button" \
        mousemove_relative -- $((RANDOM % 41 - 20)) $((RANDOM % 41 - 20)) sleep 0.05 \
        mousemove_relative -- $((RANDOM % 41 - 20)) $((RANDOM % 41 - 20)) sleep 0.05 \
        mouseup "$button"
      ;;
    6) text=${KEYS[RANDOM % ${#KEYS[@]}]} && echo "key $text" && xdotool key "$text" ;;
    7) text=${TEXTS[RANDOM % ${#TEXTS[@]}]} && echo "type $text" && xdotool type -- "$text" ;;
    8)
      text=${TEXTS[RANDOM % ${#TEXTS[@]}]}
      [ $((RANDOM % 4)) -eq 0 ] && text=$(printf "$text%.0s" $(seq 200))
      echo "paste ${text:0:40} (${#text} characters)"
      paste_text "$text"
      ;;
    9) echo "hover $X $Y" && xdotool mousemove "$X" "$Y" ;;
  esac
}

echo "monkey: $seconds s on ${AMORIX_EXE#"$E2E_ROOT"/}, seed $seed"
end=$(($(date +%s) + seconds))
start
while [ "$(date +%s)" -lt "$end" ]; do
  if ! kill -0 "$AMX_PID" 2>/dev/null; then
    judge
    start
    continue
  fi
  if [ $((actions % 10)) -eq 0 ] && [ -n "$(win_find 'Quillon Amorix')" ]; then
    fail "the fatal message came up"
  fi
  act >>"$E2E_WORK/actions" 2>&1
  actions=$((actions + 1))
  sleep "0.0$((RANDOM % 9 + 1))"
done
amx_kill
grep -Eq "$REPORT" "$E2E_WORK/program.log" && fail "a sanitizer's report"
echo "monkey: passed: $runs runs of the program, $actions actions, seed $seed"
