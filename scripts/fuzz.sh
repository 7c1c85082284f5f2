#!/usr/bin/env bash
# Builds the fuzz targets with clang (preset `fuzz`) and runs the outline fuzzer for SECONDS
# (default 20), from the seed corpus kept in tests/fuzz/corpus. What the run learns goes to
# build/fuzz/corpus and a crashing input to build/fuzz/artifacts, never into the repository.
# Replay a crash with: build/fuzz/tests/fuzz/outline_fuzzer FILE
# Usage: fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus build/fuzz/artifacts
symbolizer=$(command -v llvm-symbolizer-16 || command -v llvm-symbolizer-14 || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
log=build/fuzz/outline_fuzzer.log
if build/fuzz/tests/fuzz/outline_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=build/fuzz/artifacts/ build/fuzz/corpus tests/fuzz/corpus >"$log" 2>&1; then
  grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
else
  status=$?
  grep -v -E '^#[0-9]+' "$log" | tail -n 60 >&2
  echo "outline fuzzer failed (status $status); full log in $log" >&2
  exit "$status"
fi
