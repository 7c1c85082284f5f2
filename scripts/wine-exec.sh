#!/usr/bin/env bash
# Runs a Windows program under wine in the given private prefix, making the prefix first if needed.
# Usage: wine-exec.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
here=$(dirname "$0")
prefix=$(realpath -m "$1")
shift
"$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
