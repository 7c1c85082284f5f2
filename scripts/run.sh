#!/usr/bin/env bash
# Starts the program: natively on Windows, under wine in the build's private prefix elsewhere.
# Usage: run.sh EXE PREFIX
set -euo pipefail
exe=$1 prefix=$2
case "$(uname -s)" in
  MINGW* | MSYS* | CYGWIN*) exec "$exe" ;;
esac
if [ -z "${DISPLAY:-}" ]; then
  echo "make run: no display (DISPLAY is not set); start an X session or run 'make test' instead." >&2
  exit 1
fi
exec "$(dirname "$0")/wine-exec.sh" "$prefix" "$exe"
