#!/usr/bin/env bash
# Makes a private wine prefix ready for Amorix, once: no Mono or Gecko installer, no crash dialog,
# the fonts the windows name mapped to Debian's fonts, and windows unmanaged (no window manager
# runs under a virtual display, and managed mode makes every hide wait for one) or, with
# AMORIX_WINE_MANAGED=1 for a desktop with a window manager, in the manager's hands. A prefix
# keeps the mode it was made with: use one prefix per mode.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "$1")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
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
reg 'HKCU\Software\Wine\Fonts\Replacements' 'Times New Roman' REG_SZ 'Liberation Serif'
reg 'HKCU\Software\Wine\Fonts\Replacements' 'Arial' REG_SZ 'Liberation Sans'
reg 'HKCU\Software\Wine\Fonts\Replacements' 'Monotype Corsiva' REG_SZ 'Z003'
wineserver -w
touch "$ready"
