#!/usr/bin/env bash
# Starts the program: natively on Windows, under wine in the build's private prefix elsewhere.
# Usage: run.sh EXE PREFIX
set -euo pipefail
exe=$1 prefix=$2
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) exec "$exe" ;;
esac
if [ -z "${DISPLAY:-}" ]; then
  # No screen to show it on: take the scripted tour on a virtual display and keep its pictures.
  AMORIX_EXE=$exe "$(dirname "$0")/../tests/e2e/demo.sh" >/dev/null
  echo "make run: no display here; the tour's pictures are in build/demo/"
  exit 0
fi
exec "$(dirname "$0")/wine-exec.sh" "$prefix" "$exe"
