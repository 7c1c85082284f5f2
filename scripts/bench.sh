#!/usr/bin/env bash
# The performance benchmark: the program against a bare Win32 window built with the same flags
# (tests/bench/bare_window.cpp), both under one private wine prefix on the current display, in
# runs that alternate program and bare window, so that whatever else loads the machine loads both
# alike. Prints the tables and writes them, with every run, to build/bench/results.md, and
# docs/performance.md whole: when and on what it was measured, the tables and the notes that
# explain them (tests/bench/performance.md).
#
#   start-up          launch to the splash window mapped in the X server (tests/bench/map_wait.c)
#   first paint       the splash's tick to the end of the main window's first paint, as the
#                     program reports it (AMORIX_STATS_FILE); the bare window does the same, and
#                     so does a second one whose new window holds three edit controls
#   peak working set  as each process reports it on the way out, and where the difference lies:
#                     each process's mappings (/proc/PID/smaps, 500 ms after the main window, or
#                     the bare window's second one, came up), and what the program reports of its
#                     own (pictures, paint buffer, fonts, the working set at each step of a run)
#   hover, handles    the Windows tests PaintWorkTest and HandleGrowthTest, which print figures
#   BuildOutline      Google Benchmark on the host build
#   the web build     its download size and its paints in headless Chromium (web_bench.py)
#
# Environment: AMORIX_BENCH_RUNS (runs of each, 10), AMORIX_BENCH_TRIPS (round trips of each
# kind for the handle count, 1000). Usage: with-xvfb.sh scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${AMORIX_BENCH_RUNS:-10}
trips=${AMORIX_BENCH_TRIPS:-1000}
out=build/bench
exe="build/windows/Quillon Amorix.exe"
bare=build/bench/windows/bare_window.exe
tests=build/windows/tests/amorix_windows_tests.exe
host_bench=build/host/tests/amorix_bench
for f in "$exe" "$tests"; do
  [ -f "$f" ] || { echo "bench: $f is missing: run 'make build' first" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "bench: no display; run it through scripts/with-xvfb.sh" >&2; exit 1; }
rm -rf "$out/smaps"
mkdir -p "$out/smaps"
# The yardsticks and map_wait, a project of their own (tests/bench/CMakeLists.txt), built for
# Windows with the program's toolchain and natively.
bench_build() {
  cmake -S tests/bench -B "$out/$1" -DCMAKE_BUILD_TYPE=Release "${@:2}" >/dev/null
  cmake --build "$out/$1" -j2 >/dev/null
}
bench_build windows --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake"
bench_build linux
map_wait=$out/linux/map_wait

prefix=$(realpath -m "$out/wineprefix")
scripts/wine-prefix.sh "$prefix"
. scripts/wine-env.sh
export WINEPREFIX=$prefix
wineserver -f -p </dev/null >/dev/null 2>&1 &
server=$!
# Ends every process of this private prefix, then its server.
trap 'wineserver -k >/dev/null 2>&1 || true; wait "$server" 2>/dev/null || true' EXIT
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
stats=$(realpath -m "$out/stats.txt")
stats_wine="Z:${stats//\//\\}"
raw=$out/runs.tsv laps=$out/laps.tsv
: >"$laps"
printf 'run\tprogram\tstartup_ms\tfirst_paint_ms\tpeak_bytes\tws_first_paint\tws_prepared\tws_tick_paint\tpicture_bytes\tpaint_buffer_bytes\tfonts\n' >"$raw"

value() { sed -n "s/^$1=//p" "$stats"; }

# The launch-to-map time of a watched run (map_wait's first line), or a complaint when the run did
# not end cleanly with its figures written. Usage: startup_of WATCH_OUTPUT WHAT
startup_of() {
  if [ "$(awk '$1 == "exit" { print $2 }' <<<"$1")" != 0 ] || [ ! -s "$stats" ]; then
    echo "bench: $2 did not end cleanly: $1" >&2
    return 1
  fi
  awk 'NR == 1 { print $3 }' <<<"$1"
}

# One run: the program, the bare window, or the bare window whose new window holds three edit
# controls ("edits"), launched, watched, closed; appends a line to runs.tsv (and the program's
# laps to laps.tsv).
one_run() {
  local run=$1 which=$2 watch
  rm -f "$stats"
  if [ "$which" = amorix ]; then
    watch=$(AMORIX_STATS_FILE=$stats_wine "$map_wait" -T 40000 -m Amorix -m Amorix-Nimbus \
      -s 500 -p "$out/smaps/$which-$run" -c Amorix-Nimbus -- wine "$exe") || true
    sed -n "s/^\(lap_[^=]*\)_us=/$run\t\1\t/p" "$stats" >>"$laps"
  else
    watch=$(AMORIX_STATS_FILE=$stats_wine "$map_wait" -T 40000 -m Bare -s 4000 -m Bare \
      -p "$out/smaps/$which-$run" -c Bare -- wine "$bare" --tick \
      $([ "$which" = edits ] && echo --edits)) || true
  fi
  local startup
  startup=$(startup_of "$watch" "run $run of $which") || return 1
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$run" "$which" "$startup" \
    "$(value tick_to_first_paint_us | awk '{ printf "%.2f", $1 / 1000 }')" \
    "$(value peak_working_set_bytes)" "$(value ws_first_paint_bytes)" "$(value ws_prepared_bytes)" \
    "$(value ws_tick_paint_bytes)" "$(value picture_bytes)" "$(value paint_buffer_peak_bytes)" \
    "$(value live_fonts)" >>"$raw"
}

# Runs of the program and the bare window (or the KINDS given), alternating, after one warm-up
# run of each. Usage: alternate RUN_FUNCTION [KINDS...] (called as RUN_FUNCTION RUN KIND)
alternate() {
  local run kind kinds=("${@:2}")
  [ ${#kinds[@]} -gt 0 ] || kinds=(amorix bare)
  for run in $(seq 0 "$runs"); do
    for kind in "${kinds[@]}"; do "$1" "$run" "$kind"; done
    [ "$run" -gt 0 ] && printf '.' >&2
  done
  echo >&2
}

echo "bench: $runs runs of each, alternating, after one warm-up run of each"
alternate one_run amorix bare edits

echo "bench: hover repaint and $trips round trips of each kind (this takes a few minutes)"
tests_log=$out/windows-tests.log
AMORIX_ROUND_TRIPS=$trips wine "$tests" --gtest_filter='PaintWorkTest.*:HandleGrowthTest.*' \
  </dev/null >"$tests_log" 2>&1 || { cat "$tests_log" >&2; echo "bench: tests failed" >&2; exit 1; }
sed -i 's/\r$//' "$tests_log"  # wine's console ends lines with CR LF

# Google Benchmark's CSV wants the same counters in every row: one file per benchmark family.
outline_csv=$out/outline.csv hover_csv=$out/hover.csv
: >"$outline_csv"
: >"$hover_csv"
if [ -x "$host_bench" ]; then
  "$host_bench" --benchmark_format=csv --benchmark_min_time=0.5 \
    --benchmark_filter=BuildOutline 2>/dev/null >"$outline_csv"
  "$host_bench" --benchmark_format=csv --benchmark_filter=HoverChange 2>/dev/null >"$hover_csv"
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# --- the table ---------------------------------------------------------------------------------
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { awk -F'\t' -v w="$1" -v c="$2" 'NR > 1 && $1 > 0 && $2 == w { print $c }' "$raw"; }
ratios() {  # program / bare (or the kind given), run by run
  awk -F'\t' -v c="$1" -v d="${2:-bare}" 'NR > 1 && $1 > 0 { v[$1, $2] = $c; n[$1] = 1 }
    END { for (r in n) print v[r, "amorix"] / v[r, d] }' "$raw"
}
fmt() { awk -v v="$1" -v d="$2" 'BEGIN { printf "%." d "f", v }'; }
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "met" : "**missed**" }'; }

# The figures the yardstick rows show, from the runs in $raw: the program's against the bare
# window's and against the bare window whose new window holds boxes (the run kind BOXES).
# Usage: figures BOXES PROGRAM BARE
figures() {
  startup_a=$(field amorix 3 | median) startup_b=$(field bare 3 | median)
  startup_r=$(ratios 3 | median)
  paint_a=$(field amorix 4 | median) paint_b=$(field bare 4 | median)
  paint_r=$(ratios 4 | median)
  paint_e=$(field "$1" 4 | median) paint_er=$(ratios 4 "$1" | median)
  peak_a=$(field amorix 5 | median) peak_b=$(field bare 5 | median)
  peak_r=$(ratios 5 | median)
  size=$(stat -c %s "$2") bare_size=$(stat -c %s "$3")
}
figures edits "$exe" "$bare"
mib() { awk -v b="$1" 'BEGIN { printf "%.2f MiB", b / 1048576 }'; }

# The rows that compare a program with its bare windows, from the figures above; the peak's name
# and what the bare window's new window holds are the platform's. Usage: yardstick_rows PEAK BOXES
yardstick_rows() {
  echo "| figure | program | bare window | ratio | target | |"
  echo "|---|---|---|---|---|---|"
  echo "| start-up: launch to the splash mapped | $(fmt "$startup_a" 1) ms | $(fmt "$startup_b" 1) ms |" \
    "$(fmt "$startup_r" 2)× | ≤ 1.2× | $(verdict "$startup_r" 1.2) |"
  echo "| first paint: splash tick to the end of the main window's first paint |" \
    "$(fmt "$paint_a" 1) ms | $(fmt "$paint_b" 1) ms (its own tick to a new window painted) |" \
    "$(fmt "$paint_r" 2)× | | |"
  echo "| the same against the bare window whose new window holds $2 |" \
    "$(fmt "$paint_a" 1) ms | $(fmt "$paint_e" 1) ms | $(fmt "$paint_er" 2)× | ≤ 1.5× |" \
    "$(verdict "$paint_er" 1.5) |"
  echo "| $1 | $(mib "$peak_a") | $(mib "$peak_b") | $(fmt "$peak_r" 2)× | ≤ 1.3× |" \
    "$(verdict "$peak_r" 1.3) |"
  echo "| executable size, pictures included | $(kib "$size") | $(kib "$bare_size") | |" \
    "≤ 1.5 MiB | $(verdict "$size" 1572864) |"
}

# Every run, the warm-up's too. Usage: run_rows PEAK
run_rows() {
  echo "| run | program | start-up ms | first paint ms | $1 bytes |"
  echo "|---|---|---|---|---|"
  awk -F'\t' 'NR > 1 { printf "| %s%s | %s | %s | %s | %s |\n", $1, ($1 == 0 ? " (warm-up)" : ""), $2, $3, $4, $5 }' "$raw"
}

# The program's first tick step by step, from its laps. Usage: lap_table LAPS
lap_table() {
  echo "The program's first tick, step by step (medians; each step from the end of the one before):"
  echo
  echo "| step | ms |"
  echo "|---|---|"
  for key in $(cut -f2 "$1" | sort -u); do
    echo "| ${key#lap_??_} | $(awk -F'\t' -v k="$key" '$1 > 0 && $2 == k { print $3 / 1000 }' "$1" |
      median | awk '{ printf "%.2f", $1 }') |"
  done
}

hover_worst=$(awk '/^\[paint\]/ { for (i = 2; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] }
  r = (f["lit"] > f["unlit"] ? f["lit"] : f["unlit"]) / f["area"]; if (r > w) { w = r; l = f["label"]; a = f["area"]; p = (f["lit"] > f["unlit"] ? f["lit"] : f["unlit"]) } }
  END { printf "%s %s %s %.2f", l, a, p, w }' "$tests_log")
read -r hover_label hover_area hover_px hover_ratio <<<"$hover_worst"
handles=$(awk '/^\[handles\]/ { for (i = 3; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] }
  gsub(/->/, "→", f["gdi"]); gsub(/->/, "→", f["user"]); gsub(/->/, "→", f["windows"])
  printf "%s%s: GDI %s, USER %s, windows %s", sep, $2, f["gdi"], f["user"], f["windows"]; sep = "; " }' "$tests_log")
handle_growth=$(awk '/^\[handles\]/ { for (i = 3; i <= NF; ++i) { split($i, kv, "="); split(kv[2], ab, "->"); if (ab[2] > ab[1]) g = 1 } }
  END { print g ? "**grew**" : "met" }' "$tests_log")
outline() {
  awk -F, -v n="\"BM_BuildOutline/$1\"" '$1 == n && $5 == "ns" {
    if ($3 >= 1e6) printf "%.2f ms", $3 / 1e6; else if ($3 >= 1e3) printf "%.1f µs", $3 / 1e3
    else printf "%.0f ns", $3 }' "$outline_csv"
}
host_hover=$(awk -F, '$1 ~ /^"BM_HoverChange/ { printf "%s px (label %s px)", $NF, $(NF - 1) }' "$hover_csv")

kib() { awk -v b="$1" 'BEGIN { printf "%d KiB", b / 1024 }'; }
# Resident KiB by mapping name, one run's smaps: "name<TAB>KiB" lines.
mappings() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = "anonymous"; if (NF >= 6) { name = $6; for (i = 7; i <= NF; ++i) name = name " " $i }
         sub(/.*\//, "", name); gsub(/[][]/, "", name); next }
       /^Rss:/ { rss[name] += $2 }
       END { for (m in rss) printf "%s\t%d\n", m, rss[m] }' "$1"
}
breakdown() {
  local which f
  for which in amorix bare; do
    for f in "$out/smaps/$which"-*; do
      [ "${f##*-}" = 0 ] && continue
      mappings "$f" | sed "s/^/$which\t/"
    done
  done | awk -F'\t' -v runs="$runs" '
    { v[$1, $2, ++n[$1, $2]] = $3; names[$2] = 1 }
    function med(w, m,   k, i, j, t, a) { k = n[w, m]; for (i = 1; i <= k; ++i) a[i] = v[w, m, i]
      for (i = 1; i <= k; ++i) for (j = i + 1; j <= k; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      if (k < runs) return 0  # absent from some runs: counted as the rest
      return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
    END {
      for (m in names) { a = med("amorix", m); b = med("bare", m); ta += a; tb += b
        if (a - b >= 32 || b - a >= 32) printf "%d\t%s\t%d\t%d\n", a - b, m, a, b; else { ra += a; rb += b } }
      printf "%d\t%s\t%d\t%d\n", -1e9, "the rest", ra, rb
      printf "%d\t%s\t%d\t%d\n", -2e9, "**total**", ta, tb }' |
    sort -t$'\t' -k1,1 -rn | awk -F'\t' '{ printf "| %s | %d | %d | %+d |\n", $2, $3, $4, $3 - $4 }'
}

table=$out/results.md
{
  echo "## The Windows program under wine"
  echo
  echo "wine $(wine --version 2>/dev/null | head -1); $runs runs of each, program and bare windows" \
    "alternating, medians (ratios: the median of the run-by-run ratios)."
  echo
  yardstick_rows "peak working set" "three edit controls"
  echo "| paint per hover change (worst of the main window's 4 hover labels) |" \
    "$hover_px px for the $hover_label label of $hover_area px | | ${hover_ratio}× | ≤ 2× |" \
    "$(verdict "$hover_ratio" 2) |"
  echo "| GDI and USER objects after $trips round trips of each kind | $handles | | |" \
    "no growth | $handle_growth |"
  echo "| BuildOutline, 1 shape (host, Debug + sanitizers) | $(outline 1) | | | report | |"
  echo "| BuildOutline, 1,000 shapes (host, Debug + sanitizers) | $(outline 1000) | | | report | |"
  echo "| invalidated per hover change (host, headless platform) | $host_hover | | | | |"
  echo
  echo "GetGuiResources is a stub under wine (it answers 0): the GDI and USER counts are the"
  echo "backend's own (live handle owners, form windows, regions the behaviour holds) and the"
  echo "thread's windows, as HandleGrowthTest prints them."
  echo
  echo "## The working set next to the bare window"
  echo
  echo "Resident memory by mapping (/proc/PID/smaps), 500 ms after the main window came up (the"
  echo "bare window: its second window), medians of the runs, KiB; mappings that differ by less"
  echo "than 32 KiB are summed under \"the rest\". Private memory (\"anonymous\", \"heap\") is"
  echo "the program's own and wine's for it."
  echo
  echo "| mapping | program | bare window | difference |"
  echo "|---|---|---|---|"
  breakdown
  echo
  echo "What the program holds itself, as it reports it (medians): decoded pictures" \
    "$(kib "$(field amorix 9 | median)") (the splash's and the main window's, in the files' 24-bit" \
    "format), the paint buffer $(kib "$(field amorix 10 | median)") at its largest (freed when" \
    "idle), $(field amorix 11 | median) fonts. Its working set along a run: the splash painted" \
    "$(mib "$(field amorix 6 | median)"), the main window prepared ahead" \
    "$(mib "$(field amorix 7 | median)"), the main window painted $(mib "$(field amorix 8 | median)")," \
    "peak $(mib "$peak_a")."
  echo
  lap_table "$laps"
  echo
  run_rows "peak working set"
} >"$table"
cat "$table"

# --- the native Linux program --------------------------------------------------------------------
# The GTK build against a bare GTK window built as it is (tests/bench/bare_gtk_window.cpp), on the
# same display, alternating likewise; both without the accessibility bus or a settings service.
# A second yardstick for the first paint: the bare window whose new window holds three entries.
# The program's laps of its first tick (lap_NN_STEP_us) are tabled step by step.
native=build/linux/amorix native_bare=build/bench/linux/bare_gtk_window
if [ -x "$native" ] && [ -x "$native_bare" ]; then
  raw=$out/native-runs.tsv laps=$out/native-laps.tsv
  stats=$(realpath -m "$out/native-stats.txt")
  printf 'run\tprogram\tstartup_ms\tfirst_paint_ms\tpeak_bytes\n' >"$raw"
  : >"$laps"
  native_run() {
    local run=$1 which=$2 watch startup
    rm -f "$stats"
    export AMORIX_STATS_FILE=$stats NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
    if [ "$which" = amorix ]; then
      watch=$("$map_wait" -T 40000 -m Amorix -m Amorix-Nimbus -s 500 -c Amorix-Nimbus -- \
        "$native") || true
      sed -n "s/^\(lap_[^=]*\)_us=/$run\t\1\t/p" "$stats" >>"$laps"
    else
      watch=$("$map_wait" -T 40000 -m Bare -s 4000 -c Bare -- "$native_bare" --tick \
        $([ "$which" = entries ] && echo --entries)) || true
    fi
    unset AMORIX_STATS_FILE
    startup=$(startup_of "$watch" "native run $run of $which") || return 1
    printf '%s\t%s\t%s\t%s\t%s\n' "$run" "$which" "$startup" \
      "$(value tick_to_first_paint_us | awk '{ printf "%.2f", $1 / 1000 }')" \
      "$(value peak_working_set_bytes)" >>"$raw"
  }
  echo "bench: the native program, $runs runs of each, alternating, after one warm-up run of each"
  alternate native_run amorix bare entries
  figures entries "$native" "$native_bare"
  {
    echo
    echo "## The native Linux program (GTK $(pkg-config --modversion gtk+-3.0 2>/dev/null))"
    echo
    echo "The same figures for \`build/linux/amorix\` against a bare GTK window of the same size;"
    echo "peak memory is the peak resident set (VmHWM). $runs runs of each, medians."
    echo
    yardstick_rows "peak resident set" "three entries"
    echo
    lap_table "$laps"
    echo
    run_rows "peak resident"
  } | tee -a "$table"
fi

# --- the web build --------------------------------------------------------------------------------
# What a visitor downloads, and the splash and the first paint after the tick in headless Chromium
# on a mobile link, next to a bare page with the same pictures (tests/bench/web_bench.py).
if [ -f build/web/index.html ]; then
  echo "bench: the web build in headless Chromium"
  { echo; /usr/bin/python3 tests/bench/web_bench.py "$runs"; } | tee -a "$table"
fi

# --- docs/performance.md ---------------------------------------------------------------------------
# Written whole: when and on what it was measured, then tests/bench/performance.md (but for its
# opening comment) with the figures where it says so.
load_end=$(cut -d' ' -f1-3 /proc/loadavg)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
{
  echo "# Performance"
  echo
  echo "Written by \`make bench\` on $(date -u '+%-d %B %Y at %H:%M UTC'): $cpu, $(nproc) cores," \
    "$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) of memory, load" \
    "average $load_before as it began and $load_end as it ended."
  sed -e '1,/-->$/d' -e "/^<!-- the figures -->\$/{r $table" -e 'd}' tests/bench/performance.md
} >docs/performance.md
echo "bench: written to docs/performance.md"
