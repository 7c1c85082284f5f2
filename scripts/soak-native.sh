#!/usr/bin/env bash
# `make soak-native`: the native program built with AddressSanitizer and UndefinedBehaviorSanitizer
# (the linux-asan preset) through the GTK end-to-end checks once (the screen reader's tour among
# them), then under the seeded monkey (tests/e2e/monkey.py) for SECONDS, 600 unless given. Any
# sanitizer report fails them; a report makes the program end with status 86. Leaks are checked as
# the program ends, the quick exit included; tests/gtk/lsan.supp holds the only suppressions.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
exe=$(realpath build/linux-asan/amorix)
export ASAN_OPTIONS=exitcode=86:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/gtk/lsan.supp:print_suppressions=0
export AMORIX_GTK_EXE=$exe
/usr/bin/python3 -m pytest tests/e2e --program gtk
/usr/bin/python3 tests/e2e/monkey.py "$seconds"
