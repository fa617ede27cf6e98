#!/usr/bin/env bash
# The comparison as the user waits for it: two exports of the same generated registry (UTF-16
# with its mark), the newer with a few hundred changes scattered over it, compared in the
# viewer's own windows under Wine (viewer_bench.exe compare, which links the viewer's library:
# Brindle.exe carries no measuring code) from the start to the result painted. Printed beside
# the baseline measured in the same run, the viewer loading and painting the newer export alone:
#   - both times (best of five each, taken in turns; the files are in the page cache for both)
#     and their ratio;
#   - the comparison's peak memory (peak working set, Wine's own share included) beside the
#     two files' size together.
# Then the same for key lines in random order and for most keys empty (gen_export.py --shape,
# as compare_run.sh has them; BENCH_COMPARE_SHAPES, default "random empty", "" for none;
# twice, paths and cjk are the others gen_export.py makes). Then the same keys in ANSI, code page
# 936, in half the bytes (rows "A", the files compare_run.sh makes; BENCH_SCREEN_ANSI, default
# "random empty", "" for none).
#
#   bench/brindle/compare_screen_run.sh WINBUILD HOSTBUILD [size in MB, default 512] [changes, default 300]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/disk.sh"
src=$(cd "$here/../.." && pwd)
win=$(cd "$1" && pwd)
host=$(mkdir -p "$2" && cd "$2" && pwd)
mb=${3:-512}
changes=${4:-300}
exe="$win/bench/brindle/viewer_bench.exe"
[ -f "$exe" ] || { echo "no measuring program at $exe (make win first)"; exit 1; }

data="$host/bench-data"
mkdir -p "$data"
shapes=${BENCH_COMPARE_SHAPES-"random empty"}
ansi=${BENCH_SCREEN_ANSI-"random empty"}
need_disk "$data" $((2 * mb + 1024 * $(echo $shapes | wc -w) + 512 * $(echo $ansi | wc -w)))
# The same files as the native benchmark of the comparison (compare_run.sh).
pairs=("tree $data/export-$mb-utf16.reg $data/export-$mb-utf16-changed.reg")
[ -s "$data/export-$mb-utf16.reg" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$data/export-$mb-utf16.reg"
[ -s "$data/export-$mb-utf16-changed.reg" ] ||
  python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$data/export-$mb-utf16-changed.reg" --changes "$changes"
for shape in $shapes; do
  o="$data/export-$mb-utf16-$shape.reg" n="$data/export-$mb-utf16-$shape-changed.reg"
  [ -s "$o" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --shape "$shape" --out "$o"
  [ -s "$n" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --shape "$shape" --changed --out "$n"
  pairs+=("$shape $o $n")
done
for shape in $ansi; do
  o="$data/export-$mb-ansi-$shape.reg" n="$data/export-$mb-ansi-$shape-changed.reg"
  [ -s "$o" ] || python3 "$here/gen_export.py" --mb $((mb / 2)) --encoding ansi --shape "$shape" --out "$o"
  [ -s "$n" ] || python3 "$here/gen_export.py" --mb $((mb / 2)) --encoding ansi --shape "$shape" --changed --out "$n"
  pairs+=("$shape-A $o $n")
done

export QB_RIG_DIR="$host/bench-rig" QB_WIN_BUILD_DIR="$win"
"$src/tests/rig/setup.sh" >/dev/null
trap '"$src/tests/rig/cleanup.sh" >/dev/null 2>&1 || true' EXIT
. "$src/tests/rig/env.sh"

value() { sed -n "s/^$1=//p" "$2"; }
# One run of `viewer_bench $@` in a fresh process, the files read into the page cache first;
# prints the figure named KEY and keeps the report in $1.run.
one_run() {
  local out=$1 key=$2; shift 2
  cat "$older" "$newer" >/dev/null
  timeout 1200 wine "$exe" "$@" 2>/dev/null | tr -d '\r' >"$out.run" || true
  wineserver -w 2>/dev/null || true
  value "$key" "$out.run"
}
# Best of BENCH_SCREEN_RUNS (default 5) of the newer alone and of the comparison, the two taken
# in turns, so that both see the same moods of a machine whose speed comes and goes; the best
# comparison's report stays in $compare_report.
best_pair() {
  local best_load="" best_compare="" t
  for _ in $(seq "${BENCH_SCREEN_RUNS:-5}"); do
    t=$(one_run "$host/bench-report-screen-load" load_to_paint_ms load "$(winepath -w "$newer")")
    if [ -n "$t" ] && { [ -z "$best_load" ] || awk -v a="$t" -v b="$best_load" 'BEGIN { exit !(a < b) }'; }; then best_load=$t; fi
    t=$(one_run "$host/bench-report-screen-compare" compare_to_paint_ms compare "$(winepath -w "$older")" "$(winepath -w "$newer")")
    if [ -n "$t" ] && { [ -z "$best_compare" ] || awk -v a="$t" -v b="$best_compare" 'BEGIN { exit !(a < b) }'; }; then
      best_compare=$t
      mv "$host/bench-report-screen-compare.run" "$compare_report"
    fi
  done
  rm -f "$host/bench-report-screen-load.run" "$host/bench-report-screen-compare.run"
  echo "$best_load $best_compare"
}

printf '%-8s %-6s %12s %15s %7s %9s %10s %7s %9s\n' MB shape "newer alone" "comparison" ratio "peak MB" "files MB" "x files" "result KB"
for pair in "${pairs[@]}"; do
  read -r shape older newer <<<"$pair"
  compare_report="$host/bench-report-screen-compare-$mb-$shape.txt"
  read -r load_ms compare_ms <<<"$(best_pair)"
  [ -n "$load_ms" ] && [ -n "$compare_ms" ] || { echo "$mb MB $shape: the viewer did not finish (load '$load_ms', compare '$compare_ms')"; continue; }
  bytes=$(( $(stat -c %s "$older") + $(stat -c %s "$newer") ))
  awk -v mb="$mb" -v shape="$shape" -v l="$load_ms" -v c="$compare_ms" -v peak="$(value peak_working_set "$compare_report")" \
      -v bytes="$bytes" -v units="$(value result_units "$compare_report")" 'BEGIN {
    printf "%-8s %-6s %10.1fms %13.1fms %7.2f %9.1f %10.1f %7.2f %9.1f\n", mb, shape, l, c, c / l, peak / 1048576,
           bytes / 1048576, peak / bytes, units * 2 / 1024
  }'
done
echo "goals: the comparison on screen within 2x the newer export alone (stretch 1.2x), any shape; peak at most half"
echo "the two files' size (UTF-16), at most their size (ANSI, rows A)."
