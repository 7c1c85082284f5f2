#!/usr/bin/env bash
# Makes a private wine prefix ready for Amorix, once: no Mono or Gecko installer, no crash dialog,
# the faces the windows name mapped to Debian's fonts (resources/faces.txt), and windows
# unmanaged (no window manager runs under a virtual display, and managed mode makes every hide
# wait for one) or, with
# AMORIX_WINE_MANAGED=1 for a desktop with a window manager, in the manager's hands. A prefix
# keeps the mode it was made with: use one prefix per mode.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "$1")
here=$(dirname "$0")
. "$here/wine-env.sh"
export WINEPREFIX=$prefix
ready=$prefix/.amorix-ready
[ -f "$ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && exit 0

wineboot -i >/dev/null 2>&1 </dev/null
reg() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 </dev/null; }
reg 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ "$([ -n "${AMORIX_WINE_MANAGED:-}" ] && echo Y || echo N)"
reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
# The face table's faces that wine lacks, each mapped to its free family.
while IFS='|' read -r face family; do
  reg 'HKCU\Software\Wine\Fonts\Replacements' "$face" REG_SZ "$family"
done < <(awk -F '  +' '!/^#/ && $5 == "map" && !seen[$1]++ { print $1 "|" $4 }' \
  "$here/../resources/faces.txt")
wineserver -w
touch "$ready"
