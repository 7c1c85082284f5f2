#!/usr/bin/env bash
# A scripted tour of the program on a virtual display of its own: every window, a calculated
# score, a lit label. Each step leaves one picture of the window it shows, cut to the window's
# outline, in build/demo/ (or the folder given).
# Usage: tests/e2e/demo.sh [FOLDER]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_own_display "$@"

out=$(realpath -m "${1:-$E2E_ROOT/build/demo}")
mkdir -p "$out"
rm -f "$out"/*.png
trap 'e2e_teardown' EXIT
e2e_setup

# picture NAME CAPTION: the window CAPTION as it stands now, into NAME.png.
picture() {
  local id
  id=$(win_wait "$2" 10) || { echo "demo: no window '$2' to show" >&2; exit 1; }
  sleep 0.2
  shot
  crop_window "$id" "$out/$1.png"
  echo "${out#"$E2E_ROOT"/}/$1.png"
}

window() { win_wait "$1" 10 || { echo "demo: no window '$1'" >&2; exit 1; }; }

amx_start
window Amorix >/dev/null
paint_desktop
picture 01-splash Amorix
main=$(win_wait Amorix-Nimbus 10)
point_at "$main" 100 110
picture 02-main Amorix-Nimbus

point_on "$main" 5280 960 975 255 # CREDIT
picture 03-main-lit-label Amorix-Nimbus

click_on "$main" 720 2160 3015 495
type_text "Mary Ann"
click_on "$main" 5040 2160 3015 495
type_text "Bob"
click_on "$main" 3480 3240 1935 375 # Calculate
point_at "$main" 100 110
picture 04-main-score Amorix-Nimbus

click_on "$main" 5040 2160 3015 495
press ctrl+a BackSpace
click_on "$main" 3480 3240 1935 375
reminder=$(window Information)
point_at "$reminder" 40 110
picture 05-reminder Information
point_on "$reminder" 1440 840 615 615 # the "?"
point_at "$reminder" 40 110
picture 06-reminder-explained Information
click_on "$reminder" 3360 0 255 255

main=$(window Amorix-Nimbus)
click_on "$main" 5280 960 975 255
credit=$(window Credit)
picture 07-credit Credit
click_on "$credit" 6120 30 255 375

main=$(window Amorix-Nimbus)
click_on "$main" 6480 960 975 255
terms=$(window Terms)
picture 08-terms Terms
click_on "$terms" 6120 0 255 375

main=$(window Amorix-Nimbus)
click_on "$main" 7560 960 975 255
help=$(window Help)
picture 09-help Help
type_text 730481
formation=$(window 'SW. Formation')
picture 10-formation 'SW. Formation'
click_on "$formation" 2280 3360 255 255
click_on "$help" 6120 45 255 375

main=$(window Amorix-Nimbus)
click_on "$main" 8520 120 375 375
confirmation=$(window Confirmation)
picture 11-confirmation Confirmation
click_on "$confirmation" 1920 480 615 255 # "Yes"
amx_wait_exit 10 || true
