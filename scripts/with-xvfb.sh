#!/usr/bin/env bash
# Runs a command on a private virtual display: an Xvfb of our own on a free display number, which
# is stopped, by its PID, when the command ends. The command's exit status is ours. The screen is
# 1024x768 with 24-bit colour unless AMORIX_XVFB_SCREEN gives another (WIDTHxHEIGHTxDEPTH).
# Usage: with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${AMORIX_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
DISPLAY=":$(head -n1 "$displayfile")" "$@"
