#!/usr/bin/env bash
# The AT-SPI tour of the native program (screen_reader.py), on a virtual display and a session
# bus of its own, where D-Bus starts the accessibility bus and its registry when the program asks.
# The buses' own chatter is left out.
set -euo pipefail
cd "$(dirname "$0")/../.."
chatter='^(dbus-daemon\[|SpiRegistry daemon)'
scripts/with-xvfb.sh dbus-run-session -- /usr/bin/python3 tests/gtk/screen_reader.py \
  2> >(grep -Ev "$chatter" >&2) | grep -Ev "$chatter"
