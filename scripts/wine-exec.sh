#!/usr/bin/env bash
# Runs a Windows program under wine in the given private prefix, making the prefix first if needed.
# Usage: wine-exec.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
here=$(dirname "$0")
prefix=$(realpath -m "$1")
shift
"$here/wine-prefix.sh" "$prefix"
debug=${WINEDEBUG:-}  # the caller's, when it asks for wine's debugging output
. "$here/wine-env.sh"
export WINEPREFIX=$prefix WINEDEBUG=${debug:-$WINEDEBUG}
exec wine "$@"
