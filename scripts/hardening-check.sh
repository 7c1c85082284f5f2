#!/usr/bin/env bash
# Checks that the programs we ship are hardened. A Linux program goes through Debian's
# hardening-check: a position-independent executable, the stack protector, fortified functions,
# read-only relocations bound at start-up (its guess at stack clash protection is shown, not
# judged, and so is control-flow protection: the program is marked only when the C library's
# start-up files are, and the build itself proves all code of ours marked). A Windows executable through its PE header: relocatable at a
# high-entropy base, not executable as data, aware of terminal servers; and the stack
# protector's canary checks in its code (a stripped, static executable names no function: the
# check is the compiler's epilogue, the canary subtracted from the saved copy and a jump to the
# failure handler when they differ).
# One row per binary and flag, then "hardening: N passed, M failed"; exit status 1 on a failure.
# Usage: hardening-check.sh [BINARY...]   (by default the native and the Windows program)
set -uo pipefail
export LC_ALL=C # the tools' reports, read here, in English
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/linux/amorix" "$root/build/windows/Quillon Amorix.exe"
passed=0 failed=0
row() { # BINARY FLAG VERDICT PASSED
  if [ "$4" = yes ]; then passed=$((passed + 1)) && mark=ok; else failed=$((failed + 1)) && mark=FAIL; fi
  printf '%-4s  %-20s  %-32s  %s\n' "$mark" "${1##*/}" "$2" "$3"
}
elf() {
  local report status name verdict before=$failed
  report=$(hardening-check --nocfprotection "$1")
  status=$?
  while IFS=: read -r name verdict; do
    name=${name# } verdict=${verdict# }
    case $name in
      "Stack clash protection" | "Control flow integrity") printf '%-4s  %-20s  %-32s  %s\n' "" "${1##*/}" "$name" "$verdict" ;;
      *) row "$1" "$name" "$verdict" "$([ "${verdict%% *}" = yes ] && echo yes)" ;;
    esac
  done < <(tail -n +2 <<<"$report")
  [ "$status" = 0 ] || [ "$failed" -gt "$before" ] || row "$1" "hardening-check" "exit status $status" no
}
pe() {
  local header canaries flag
  header=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p')
  # objdump's name for TERMINAL_SERVER_AWARE.
  for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT TERMINAL_SERVICE_AWARE; do
    if grep -qw "$flag" <<<"$header"; then row "$1" "$flag" yes yes; else row "$1" "$flag" "not set" no; fi
  done
  canaries=$(x86_64-w64-mingw32-objdump -d --no-show-raw-insn "$1" | cut -f2 |
    awk 'previous ~ /^sub +\(%r[0-9a-z]+\),%r[0-9a-z]+$/ && /^jne/ { n++ } { previous = $0 } END { print n + 0 }')
  row "$1" "Stack protected" "$canaries canary checks" "$([ "$canaries" -gt 0 ] && echo yes)"
}
for binary in "$@"; do
  if [ ! -f "$binary" ]; then
    row "$binary" "(the file)" missing no
  elif [ "$(head -c 2 "$binary")" = MZ ]; then
    pe "$binary"
  else
    elf "$binary"
  fi
done
echo "hardening: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
