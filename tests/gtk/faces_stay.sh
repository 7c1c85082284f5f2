#!/usr/bin/env bash
# The native program's faces stay when a font is installed while it runs. GTK then reloads
# fontconfig's configuration from files (the desktop's XSETTINGS fontconfig timestamp changes),
# which drops whatever the program had put into the configuration in memory. The program runs
# twice in a private home under an XSETTINGS manager of our own: once left alone, once with a
# font added to the home and the timestamp set meanwhile; each time it writes, as it ends, the
# family Pango resolves each face to, and both runs must resolve every face to its free family.
set -uo pipefail
export AMORIX_BACKEND=gtk
source "$(dirname "$0")/../e2e/lib.sh"
e2e_own_display "$@"

MAIN_CLOSE=(8520 120 375 375) MAIN_CALCULATE=(3480 3240 1935 375) CONFIRM_YES=(1920 480 615 255)
EXPECTED="face_MS Sans Serif=Liberation Sans
face_Monotype Corsiva=Z003
face_Times New Roman=Liberation Serif"
failed=0

trap 'stop_pid "${XSETTINGS_PID:-}"; e2e_teardown' EXIT
e2e_setup || exit 1
fonts=$HOME/.local/share/fonts
mkdir -p "$fonts"
echo "Fontconfig/Timestamp 1" >"$E2E_WORK/xsettings"
xsettingsd -c "$E2E_WORK/xsettings" >/dev/null 2>&1 &
XSETTINGS_PID=$!

# One run; with "install", a font is installed once the main window is up.
faces_of_run() {
  AMORIX_STATS_FILE=$E2E_WORK/stats amx_start
  local main
  main=$(win_wait Amorix-Nimbus 30) || { echo "no main window"; return; }
  if [ "$1" = install ]; then
    cp "$(fc-match -f '%{file}' 'DejaVu Sans Mono')" "$fonts/added.ttf"
    echo "Fontconfig/Timestamp $(date +%s)" >"$E2E_WORK/xsettings"
    kill -HUP "$XSETTINGS_PID"
    sleep 1
  fi
  type_text Ann && press Tab && type_text Bob # the score's face is opened for the score
  click_on "$main" "${MAIN_CALCULATE[@]}"
  click_on "$main" "${MAIN_CLOSE[@]}"
  click_on "$(win_wait Confirmation 10)" "${CONFIRM_YES[@]}"
  amx_wait_exit 10
  grep '^face_' "$E2E_WORK/stats" | LC_ALL=C sort -u
}

for run in alone install; do
  got=$(faces_of_run $run)
  if [ "$got" = "$EXPECTED" ]; then
    echo "PASS: the faces resolve to their free families ($run)"
  else
    echo "FAIL: the faces resolve to their free families ($run): got ${got//$'\n'/, }"
    failed=1
  fi
done
exit $failed
