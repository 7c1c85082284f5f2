#!/usr/bin/env bash
# The end-to-end suite: the real program on a virtual display of its own, driven with the mouse
# and the keyboard as a person would, and judged by what is on the screen: which windows are
# mapped, where they stand, their outlines, and their pixels. One line per check, then
# "N passed, M failed"; the exit status is 1 when a check failed. A failed check keeps its
# screenshot in build/e2e/failures-BACKEND/.
# Usage: tests/e2e/run.sh                       the Windows program under wine
#        AMORIX_BACKEND=gtk tests/e2e/run.sh    the native Linux program
#        (AMORIX_EXE=other tests/e2e/run.sh tests another build)
set -uo pipefail
source "$(dirname "$0")/lib.sh"
# Wide enough for the main window at 192 pixels per inch (1222x716).
export AMORIX_XVFB_SCREEN=${AMORIX_XVFB_SCREEN:-1280x800x24}
e2e_own_display "$@"

# --- the checks' frame ------------------------------------------------------------------------

PASSED=0 FAILED=0 SUITE_START=$(now)
# Seconds (AMORIX_E2E_BUDGET on a slow machine); past them the remaining checks fail at once, so
# the suite ends in time.
BUDGET=${AMORIX_E2E_BUDGET:-270}
FAILURES=$E2E_ROOT/build/e2e/failures-$AMORIX_BACKEND
rm -rf "$FAILURES"

# check [@ID] DESCRIPTION COMMAND [ARGS...]: COMMAND prints why when it fails. With @ID, the
# check is part of the shared check ID of checks.txt, which passes when all its parts pass.
declare -A SHARED_RUN=() SHARED_FAILED=()
check() {
  local id="" what why kept=""
  [[ $1 == @* ]] && id=${1#@} && shift && SHARED_RUN[$id]=1
  what=$1
  shift
  if awk -v t="$(elapsed "$SUITE_START" "$(now)")" -v b=$BUDGET 'BEGIN { exit !(t > b) }'; then
    why="not run: the suite's ${BUDGET} s are spent"
  elif why=$("$@" 2>&1); then
    PASSED=$((PASSED + 1))
    echo "PASS: $what"
    return 0
  fi
  FAILED=$((FAILED + 1))
  [ -z "$id" ] || SHARED_FAILED[$id]=1
  if [ -f "$E2E_WORK/shot.png" ]; then
    mkdir -p "$FAILURES"
    kept=$FAILURES/check-$((PASSED + FAILED)).png
    cp "$E2E_WORK/shot.png" "$kept"
  fi
  echo "FAIL: $what: ${why:-failed}${kept:+ (last screen: ${kept#"$E2E_ROOT"/})}"
  return 1
}

# --- expectations: each prints why when it is not met -----------------------------------------

is_mapped() { [ -n "$2" ] || { echo "no window '$1' is mapped"; return 1; }; }
is_gone() { win_wait_gone "$1" 5 || { echo "window '$1' is still mapped"; return 1; }; }
is_empty() { [ -z "$2" ] || { echo "$1"; return 1; }; }
near() { [ $(($1 - $2)) -le 1 ] && [ $(($2 - $1)) -le 1 ]; }

# Records the place and size of window ID in GX GY GW GH and its outline's extents in GS.
note() {
  GX=- GY=- GW=- GH=- GS=none
  [ -n "$1" ] && win_geometry "$1" && GX=$WX GY=$WY GW=$WW GH=$WH GS=$(win_shape "$1")
  return 0
}

# The noted window stands centred on the screen with client size W x H.
is_centred() {
  local cx cy
  read -r cx cy < <(centred_at "$1" "$2")
  [ "$GW" = "$1" ] && [ "$GH" = "$2" ] && near "$GX" "$cx" && near "$GY" "$cy" ||
    { echo "stands at ${GW}x$GH+$GX+$GY, not ${1}x$2+$cx+$cy"; return 1; }
}

stands_at() {
  [ "$GX,$GY" = "$1,$2" ] || { echo "stands at $GX,$GY, not $1,$2"; return 1; }
}

# The noted window's outline is W x H from its top-left corner. Rounded corners are rasterised
# one pixel short on the right and at the bottom, as the platform's regions are, so one pixel
# less is accepted unless EXACT is given.
is_shaped() {
  local w=$1 h=$2 exact=${3:-} gw gh
  IFS='x+' read -r gw gh _ <<<"$GS"
  if [ -n "$exact" ]; then
    [ "$GS" = "${w}x$h+0+0" ] && return 0
  else
    [[ $GS == *+0+0 ]] && near "$gw" "$w" && near "$gh" "$h" && return 0
  fi
  echo "outline extents $GS, not ${w}x$h+0+0"
  return 1
}

# In screenshot FILE, the points "X,Y" (relative to the noted window) show the desktop when the
# list follows "desktop", and do not when it follows "window".
shows() {
  local file=$1 want="" p x y got bad=""
  shift
  for p in "$@"; do
    case $p in
      desktop | window) want=$p && continue ;;
    esac
    IFS=, read -r x y <<<"$p"
    got=$(pixel "$file" $((GX + x)) $((GY + y)))
    if [ "$want" = desktop ] && [ "$got" != "$DESKTOP_RGB" ]; then
      bad+=" ($x,$y) is $got, not the desktop;"
    elif [ "$want" = window ] && [ "$got" = "$DESKTOP_RGB" ]; then
      bad+=" ($x,$y) shows the desktop;"
    fi
  done
  bad=${bad# }
  [ -z "$bad" ] || { echo "${bad%;}"; return 1; }
}

# In screenshot FILE, the point X,Y of the noted window shows the pictures' dark red, blended
# at most with their other colours: red well above green and blue, as neither the grey behind the
# picture nor the desktop is.
shows_dark_red() {
  local got r g b
  got=$(pixel "$1" $((GX + $2)) $((GY + $3)))
  IFS=, read -r r g b <<<"$got"
  [ "${r:-0}" -ge 128 ] && [ "${g:-255}" -le 64 ] && [ "${b:-255}" -le 64 ] ||
    { echo "($2,$3) is $got, not the picture's dark red"; return 1; }
}

# The noted window's W x H rounded outline lets the desktop show at its four corners, but not
# at the middle of its edges nor just inside a corner.
rounded_over_desktop() {
  local w h
  IFS='x+' read -r w h _ <<<"$GS"
  shows "$1" desktop 0,0 $((w - 1)),0 0,$((h - 1)) $((w - 1)),$((h - 1)) \
    window $((w / 2)),0 0,$((h / 2)) $((w / 2)),$((h - 1)) 14,14 $((w - 15)),$((h - 15))
}

has_colour() { # FILE R,G,B MIN MAX
  local n
  n=$(count_colour "$1" "$2")
  [ "$n" -ge "$3" ] && [ "$n" -le "$4" ] ||
    { echo "${1##*/} has $n pixels of ($2), expected $3 to $4"; return 1; }
}

# Two crops show the same. A text box's blinking caret may show in one and not in the other, so
# up to ALLOW pixels may differ.
look_same() {
  local n
  n=$(pixels_differ "$1" "$2")
  [ "$n" -le "${3:-0}" ] || { echo "$n pixels differ between ${1##*/} and ${2##*/}"; return 1; }
}

look_different() {
  local n
  n=$(pixels_differ "$1" "$2")
  [ "$n" -gt "${3:-0}" ] || { echo "only $n pixels differ between ${1##*/} and ${2##*/}"; return 1; }
}

reads() {
  local got
  got=$(read_score "$1")
  [ "$got" = "$2" ] || { echo "the result label reads '$got', not '$2'"; return 1; }
}

took_between() {
  awk -v t="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(t >= lo && t <= hi) }' ||
    { echo "took $1 s"; return 1; }
}

# The program ended (STATUS as amx_wait_exit left it) with status 0, and no window of it is left.
ended_well() {
  local c
  [ -n "$1" ] || { echo "the program still runs 10 s later"; return 1; }
  [ "$1" = 0 ] || { echo "the program ended with status $1"; return 1; }
  for c in Amorix-Nimbus Help 'SW. Formation' Confirmation; do
    [ -z "$(win_find "$c")" ] || { echo "window '$c' is still mapped"; return 1; }
  done
}

# --- the layout, shared with the browser runner ------------------------------------------------

source "$(dirname "$0")/layout.sh"
CARET=60 # pixels a blinking caret may account for

BRIGHT_RED=255,0,0 DARK_RED=192,0,0

# --- driving ----------------------------------------------------------------------------------

# Replaces the text of a name box of the main window: a click into it, all selected, TEXT typed.
fill() {
  local -n box=$1
  click_on "$main" "${box[@]}"
  press ctrl+a BackSpace
  [ -z "$2" ] || type_text "$2"
}

# Both names typed and Calculate clicked; the result label's crop lands in FILE.
calculate() {
  fill MAIN_FIRST "$1"
  fill MAIN_SECOND "$2"
  click_on "$main" "${MAIN_CALCULATE[@]}"
  shot
  crop_control "$main" "${MAIN_RESULT[@]}" "$3"
}

# Crops the main window's name boxes and result label from the last screenshot: FILE-first.png,
# FILE-second.png, FILE-result.png.
crop_main() {
  crop_control "$main" "${MAIN_FIRST[@]}" "$1-first.png"
  crop_control "$main" "${MAIN_SECOND[@]}" "$1-second.png"
  crop_control "$main" "${MAIN_RESULT[@]}" "$1-result.png"
}

# A menu label of the main window leads to window CAPTION (client W x H, outline OW x OH); its
# close label CLOSE leads back to a fresh main window.
menu_round_trip() {
  local label=$1 caption=$2 w=$3 h=$4 ow=$5 oh=$6 close=$7 win
  local -n at=$8 back=$close
  fill MAIN_FIRST "Ann"
  fill MAIN_SECOND "Bob"
  click_on "$main" "${at[@]}"
  win=$(win_wait "$caption" 10)
  note "$win"
  shot
  check @menus "$label replaces the main window with '$caption'" is_mapped "$caption" "$win"
  check @menus "  ... the main window is no longer mapped" is_gone Amorix-Nimbus
  check "  ... '$caption' stands centred, ${w}x$h" is_centred "$w" "$h"
  check "  ... its outline is a ${ow}x$oh rounded rectangle, the desktop showing at the corners" \
    eval 'is_shaped $ow $oh && rounded_over_desktop "$E2E_WORK/shot.png"'
  crop_control "$win" "${back[@]}" "$W/closer.png"
  point_on "$win" "${back[@]}"
  shot
  crop_control "$win" "${back[@]}" "$W/closer-lit.png"
  check "  ... its close label '0' dark red, bright red under the pointer" \
    eval 'has_colour "$W/closer.png" $DARK_RED 20 500 && has_colour "$W/closer.png" $BRIGHT_RED 0 0 &&
      has_colour "$W/closer-lit.png" $BRIGHT_RED 20 500 && has_colour "$W/closer-lit.png" $DARK_RED 0 0'
  click_on "$win" "${back[@]}"
  main=$(win_wait Amorix-Nimbus 10)
  note "$main"
  shot
  crop_main "$W/back"
  check @menus "  ... its close label closes it and shows the main window again" \
    eval 'is_mapped Amorix-Nimbus "$main" && is_gone "$caption"'
  check @menus "  ... the main window is fresh: centred again, both name boxes and the score empty" \
    eval 'is_centred 611 358 && look_same "$W/back-first.png" "$W/blank-first.png" $CARET &&
      look_same "$W/back-second.png" "$W/blank-second.png" $CARET &&
      look_same "$W/back-result.png" "$W/blank-result.png"'
}

# Calculate clicked; the score read off the result label is checked against WANT.
scores() {
  click_on "$main" "${MAIN_CALCULATE[@]}"
  shot
  crop_control "$main" "${MAIN_RESULT[@]}" "$W/scored.png"
  reads "$W/scored.png" "$1"
}

# Both names pasted (FIRST, SECOND), then the score checked against WANT. A box's limit counts
# UTF-16 units, emoji two each. A character that would straddle the limit is refused whole.
pasted_score() {
  local box
  for box in MAIN_FIRST MAIN_SECOND; do
    fill "$box" ""
    paste_text "$1"
    shift
  done
  scores "$1"
}

# The first name typed a key at a time (CHARACTERS), the second kept, then the score checked
# against WANT. A character beyond the Basic Multilingual Plane comes to a Windows program as two
# character messages, one for each of its UTF-16 units.
typed_score() {
  fill MAIN_FIRST "$1"
  scores "$2"
}

# --- setting up -------------------------------------------------------------------------------

# One line per shared check meant for every program; one that no check here took part in fails.
shared_checks() {
  local id where what result
  while read -r id where what; do
    [[ -z $id || $id == '#'* || ($where != all && $where != native) ]] && continue
    if [ -z "${SHARED_RUN[$id]:-}" ]; then
      FAILED=$((FAILED + 1))
      result="FAIL: [$id] $what: not implemented by this suite"
    elif [ -n "${SHARED_FAILED[$id]:-}" ]; then
      result="FAIL: [$id] $what"
    else
      result="PASS: [$id] $what"
    fi
    echo "$result"
  done <"$E2E_ROOT/tests/e2e/checks.txt"
}

finish() {
  shared_checks
  if [ "$FAILED" -gt 0 ] && [ -f "${E2E_WORK:-}/program.log" ]; then
    mkdir -p "$FAILURES" && cp "$E2E_WORK/program.log" "$FAILURES/"
  fi
  e2e_teardown
  trap - EXIT
  echo "suite time: $(elapsed "$SUITE_START" "$(now)") s"
  echo "$AMORIX_BACKEND: $PASSED passed, $FAILED failed"
  [ "$FAILED" -eq 0 ]
  exit
}

trap 'e2e_teardown' EXIT
if ! e2e_setup; then
  echo "FAIL: setting up the program ($AMORIX_BACKEND)"
  FAILED=1
  finish
fi
W=$E2E_WORK

# --- first run: start-up, hover, the score, the reminder, the menu, the help window's codes ---

amx_start
splash=$(win_wait Amorix 30)
t_splash=$(now)
paint_desktop
note "$splash"
shot "$W/splash.png"
main=$(win_wait Amorix-Nimbus 10)
t_main=$(now)
splash_left=$(win_find Amorix)
waited=$(elapsed "$t_splash" "$t_main")

check @splash "start-up shows the splash window 'Amorix'" is_mapped Amorix "$splash"
check @splash "  ... centred on the screen, 368x298" is_centred 368 298
check "  ... its outline a 350x281 rounded rectangle, the desktop showing at the corners" \
  eval 'is_shaped 350 281 && rounded_over_desktop "$W/splash.png"'
check @splash "the main window follows the splash after 2.5-5 s (${waited} s)" took_between "$waited" 2.5 5
check @splash "  ... and the splash is gone" is_empty "the splash is still mapped" "$splash_left"

note "$main"
shot
crop_main "$W/blank"
crop_control "$main" "${MAIN_CLOSE[@]}" "$W/close.png"
check @main-centred "the main window 'Amorix-Nimbus' stands centred, 611x358" is_centred 611 358
check @corners "  ... its outline a 600x342 rounded rectangle, the desktop showing at the corners" \
  eval 'is_shaped 600 342 && rounded_over_desktop "$W/shot.png"'
check @corners "  ... and where the outline cuts the client area away" \
  shows "$W/shot.png" desktop 605,170 300,350 610,357 window 595,170 300,338
check "the close label '0' is bright red after load" has_colour "$W/close.png" $BRIGHT_RED 30 625

point_on "$main" "${MAIN_PANEL[@]}"
shot
crop_control "$main" "${MAIN_CLOSE[@]}" "$W/close.png"
check "  ... dark red after a move over the background" \
  eval 'has_colour "$W/close.png" $DARK_RED 30 625 && has_colour "$W/close.png" $BRIGHT_RED 0 0'
point_on "$main" "${MAIN_CLOSE[@]}"
shot
crop_control "$main" "${MAIN_CLOSE[@]}" "$W/close.png"
check "  ... bright red again under the pointer" \
  eval 'has_colour "$W/close.png" $BRIGHT_RED 30 625 && has_colour "$W/close.png" $DARK_RED 0 0'

point_on "$main" "${MAIN_CREDIT[@]}"
shot
crop_control "$main" "${MAIN_CREDIT[@]}" "$W/credit.png"
crop_control "$main" "${MAIN_TERMS[@]}" "$W/terms.png"
check "CREDIT under the pointer is lit: a dark red band" has_colour "$W/credit.png" $DARK_RED 500 1105
check "  ... while TERMS stays unlit" has_colour "$W/terms.png" $DARK_RED 0 0
point_on "$main" "${MAIN_PANEL[@]}"
shot
crop_control "$main" "${MAIN_CREDIT[@]}" "$W/credit.png"
check "  ... and a move over the background unlights it" has_colour "$W/credit.png" $DARK_RED 0 0

# The focus starts in the first name box: typing before any click fills it.
type_text Ann
shot
crop_main "$W/typed"
check "typing at once fills the first name box, not the second" \
  eval 'look_different "$W/typed-first.png" "$W/blank-first.png" $CARET &&
    look_same "$W/typed-second.png" "$W/blank-second.png" $CARET'

calculate Ann Bob "$W/66.png"
check @score "Ann and Bob score 66" reads "$W/66.png" 66
calculate "Mary Ann" Bob "$W/71.png"
check "Mary Ann and Bob score 71, drawn unlike 66" \
  eval 'reads "$W/71.png" 71 && look_different "$W/71.png" "$W/66.png" 50'
calculate Zoe Max "$W/66-again.png"
check "Zoe and Max show the very picture of Ann and Bob's 66" look_same "$W/66-again.png" "$W/66.png"
calculate A b "$W/62.png"
check "one character each scores 62" reads "$W/62.png" 62

fill MAIN_FIRST "abcdefghijklmnopqrst"
shot
crop_control "$main" "${MAIN_FIRST[@]}" "$W/twenty.png"
type_text u
shot
crop_control "$main" "${MAIN_FIRST[@]}" "$W/twenty-one.png"
check @max-length "a 21st character typed into a name box is refused" \
  look_same "$W/twenty-one.png" "$W/twenty.png" $CARET
fill MAIN_SECOND "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
click_on "$main" "${MAIN_CALCULATE[@]}"
shot
crop_control "$main" "${MAIN_RESULT[@]}" "$W/100.png"
check "twenty characters each (six more typed and refused) score 100" reads "$W/100.png" 100
emoji=$(printf '\U1F600') emoji25=$(printf '\U1F600%.0s' $(seq 25))
check @emoji "twenty-five emoji pasted into each box score 100" pasted_score "$emoji25" "$emoji25" 100
check @emoji "nineteen letters and an emoji, and Bob, score 82" \
  pasted_score "abcdefghijklmnopqrs$emoji" Bob 82
# The second name stays "Bob".
check @emoji-typed "two emoji typed, and Bob, score 67" typed_score "$emoji$emoji" 67
check @emoji-typed "a, an emoji and b typed, and Bob, score 67" typed_score "a${emoji}b" 67
check @emoji-typed "U+20BB7 U+7530 typed, and Bob, score 66" typed_score "$(printf '\U20BB7\u7530')" 66
check @emoji-typed "nineteen letters and an emoji typed, and Bob, score 82" \
  typed_score "abcdefghijklmnopqrs$emoji" 82

# A drag with the right button: wine's move loop follows the pointer until Return ends it.
note "$main"
from_x=$GX from_y=$GY
drag_window "$main" 3 100 110 -150 -120
point_on "$main" "${MAIN_PANEL[@]}"
note "$main"
check @drag "a drag with the right button moves the main window by -150,-120" \
  stands_at $((from_x - 150)) $((from_y - 120))
sleep 0.3
note "$main"
check @drag "  ... and it stays there after the move" stands_at $((from_x - 150)) $((from_y - 120))
moved_x=$GX moved_y=$GY

# The input reminder: a missing name hides the main window; closing the reminder brings it back.
fill MAIN_SECOND ""
click_on "$main" "${MAIN_FIRST[@]}"
shot
crop_main "$W/before"
click_on "$main" "${MAIN_CALCULATE[@]}"
reminder=$(win_wait Information 10)
note "$reminder"
shot
crop_window "$reminder" "$W/reminder.png"
check @reminder "Calculate with the second name missing shows the reminder 'Information'" \
  is_mapped Information "$reminder"
check @reminder "  ... and hides the main window" is_gone Amorix-Nimbus
check "  ... the reminder stands centred, 280x159" is_centred 280 159
check "  ... its outline a 245x122 rounded rectangle, the desktop showing at the corners" \
  eval 'is_shaped 245 122 && rounded_over_desktop "$W/shot.png"'
point_on "$reminder" "${REMINDER_QUESTION[@]}"
point_on "$reminder" "${REMINDER_PANEL[@]}"
shot
crop_window "$reminder" "$W/explained.png"
check "  ... the pointer over '?' brings up the explanation" \
  look_different "$W/explained.png" "$W/reminder.png" 300
click_on "$reminder" "${REMINDER_CLOSE[@]}"
main=$(win_wait Amorix-Nimbus 10)
note "$main"
point_on "$main" "${MAIN_PANEL[@]}"
click_on "$main" "${MAIN_FIRST[@]}"
shot
crop_main "$W/after"
check @reminder "its close label closes the reminder and shows the main window again" \
  eval 'is_mapped Amorix-Nimbus "$main" && is_gone Information'
check "  ... where it had been dragged to" stands_at "$moved_x" "$moved_y"
check @reminder "  ... with the names as typed" \
  eval 'look_same "$W/after-first.png" "$W/before-first.png" $CARET &&
    look_same "$W/after-second.png" "$W/before-second.png" $CARET'
check @reminder "  ... and the score cleared" look_same "$W/after-result.png" "$W/blank-result.png"

menu_round_trip CREDIT Credit 448 270 431 257 CREDIT_CLOSE MAIN_CREDIT
menu_round_trip TERMS Terms 443 276 429 257 TERMS_CLOSE MAIN_TERMS
menu_round_trip HELP Help 435 268 427 258 HELP_CLOSE MAIN_HELP

# A link label hands its address to the browser; the help window stays.
click_on "$main" "${MAIN_HELP[@]}"
help=$(win_wait Help 10)
click_on "$help" "${HELP_HOME_LINK[@]}"
for _ in $(seq 50); do [ -n "$(links_opened)" ] && break; sleep 0.1; done
check @links "a link of the help window opens its address in the browser, the window staying" \
  eval '[ "$(links_opened)" = https://www.quillon.example.com/ ] && is_mapped Help "$(win_find Help)" ||
    { echo "the browser was given: $(links_opened | tr "\n" " ")"; false; }'

# The help window's two codes, typed into its hidden code box.
type_text 730481
formation=$(win_wait 'SW. Formation' 10)
note "$formation"
check @help-codes "730481 typed in the help window shows 'SW. Formation'" \
  is_mapped 'SW. Formation' "$formation"
check @help-codes "  ... the help window staying open" is_mapped Help "$(win_find Help)"
check "  ... the formation window stands centred, 340x267" is_centred 340 267
check "  ... its outline exactly the 320x250 picture" is_shaped 320 250 exact
drag_window "$formation" 1 100 100 -$((GX - 2)) -$((GY - 5))
point_at "$formation" 100 100
note "$formation"
shot
check @drag "  ... square-cornered: dragged clear of the help window, its corners hide the desktop" \
  eval 'stands_at 2 5 && shows "$W/shot.png" window 0,0 0,249 319,0 desktop 0,250 320,0'
click_on "$formation" "${FORMATION_CLOSE[@]}"
check "its close label closes the formation window only" \
  eval 'is_gone "SW. Formation" && is_mapped Help "$(win_find Help)"'
click_on "$help" "${HELP_PANEL[@]}"
press BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
type_text 730418
amx_wait_exit 10
check @help-codes "730418 typed in the help window ends the program with status 0, every window gone" \
  ended_well "$AMX_STATUS"
amx_kill

# --- second run: the exit confirmation --------------------------------------------------------

amx_start
win_wait Amorix 30 >/dev/null && paint_desktop
main=$(win_wait Amorix-Nimbus 10)
fill MAIN_FIRST "Ann"
click_on "$main" "${MAIN_CLOSE[@]}"
confirmation=$(win_wait Confirmation 10)
note "$confirmation"
check "the close label shows 'Confirmation'" is_mapped Confirmation "$confirmation"
check "  ... the main window staying open" is_mapped Amorix-Nimbus "$(win_find Amorix-Nimbus)"
check "  ... the confirmation centred, 315x131, its outline a 245x121 rounded rectangle" \
  eval 'is_centred 315 131 && is_shaped 245 121'
click_on "$confirmation" "${CONFIRM_NO[@]}"
check @no-yes "'No' closes the confirmation only" \
  eval 'is_gone Confirmation && is_mapped Amorix-Nimbus "$(win_find Amorix-Nimbus)"'
click_on "$main" "${MAIN_CLOSE[@]}"
confirmation=$(win_wait Confirmation 10)
click_on "$confirmation" "${CONFIRM_YES[@]}"
amx_wait_exit 10
check @no-yes "'Yes' ends the program with status 0, every window gone" ended_well "$AMX_STATUS"

# --- more pixels per inch: the window, its picture, outline and controls grow as one ----------

for dpi in 120 144 192; do
  amx_set_dpi "$dpi"
  amx_start
  win_wait Amorix 30 >/dev/null && paint_desktop
  main=$(win_wait Amorix-Nimbus 10)
  note "$main"
  shot
  width=$(to_pixels 9165) height=$(to_pixels 5370) pw=$(to_pixels 9000) ph=$(to_pixels 5130)
  check @dpi "at $dpi pixels per inch the main window stands centred, ${width}x$height" \
    is_centred "$width" "$height"
  check @dpi "  ... its outline ${pw}x$ph, the desktop showing at the corners" \
    eval 'is_shaped $pw $ph && rounded_over_desktop "$W/shot.png"'
  check @dpi "  ... the picture filling it to its bottom-right corner and its right edge" \
    eval 'shows_dark_red "$W/shot.png" $((pw - 16)) $((ph - 4)) &&
      shows_dark_red "$W/shot.png" $((pw - 3)) $((ph / 2))'
  calculate Ann Bob "$W/66-$dpi.png"
  check @dpi "  ... Ann and Bob score 66" reads "$W/66-$dpi.png" 66
  amx_kill
done
amx_set_dpi 96

finish
