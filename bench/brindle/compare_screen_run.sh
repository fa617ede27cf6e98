#!/usr/bin/env bash
# The comparison as the user waits for it: two exports of the same generated registry (UTF-16
# with its mark), the newer with a few hundred changes scattered over it, compared in the
# viewer's own windows under Wine (viewer_bench.exe compare, which links the viewer's library:
# Brindle.exe carries no measuring code) from the start to the result painted. Printed beside
# the baseline measured in the same run, the viewer loading and painting the newer export alone:
#   - both times (best of three each; the files are in the page cache for both) and their ratio;
#   - the comparison's peak memory (peak working set, Wine's own share included) beside the
#     two files' size together.
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
need_disk "$data" $((2 * mb))
# The same files as the native benchmark of the comparison (compare_run.sh).
older="$data/export-$mb-utf16.reg" newer="$data/export-$mb-utf16-changed.reg"
[ -s "$older" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$older"
[ -s "$newer" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$newer" --changes "$changes"

export QB_RIG_DIR="$host/bench-rig" QB_WIN_BUILD_DIR="$win"
"$src/tests/rig/setup.sh" >/dev/null
trap '"$src/tests/rig/cleanup.sh" >/dev/null 2>&1 || true' EXIT
. "$src/tests/rig/env.sh"

value() { sed -n "s/^$1=//p" "$2"; }
# Best of three runs of `viewer_bench $@`, each in a fresh process; its report stays in $report.
best_of_3() {
  local key=$1; shift
  local best="" out="$host/bench-report-screen.run"
  for _ in 1 2 3; do
    cat "$older" "$newer" >/dev/null
    timeout 1200 wine "$exe" "$@" 2>/dev/null | tr -d '\r' >"$out" || true
    wineserver -w 2>/dev/null || true
    local t
    t=$(value "$key" "$out")
    [ -n "$t" ] || continue
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; mv "$out" "$report"; fi
  done
  rm -f "$out"
  echo "$best"
}

report="$host/bench-report-screen-load-$mb.txt"
load_ms=$(best_of_3 load_to_paint_ms load "$(winepath -w "$newer")")
report="$host/bench-report-screen-compare-$mb.txt"
compare_ms=$(best_of_3 compare_to_paint_ms compare "$(winepath -w "$older")" "$(winepath -w "$newer")")
[ -n "$load_ms" ] && [ -n "$compare_ms" ] || { echo "$mb MB: the viewer did not finish (load '$load_ms', compare '$compare_ms')"; exit 1; }
bytes=$(( $(stat -c %s "$older") + $(stat -c %s "$newer") ))
printf '%-8s %12s %15s %7s %9s %10s %7s %9s\n' MB "newer alone" "comparison" ratio "peak MB" "files MB" "x files" "result KB"
awk -v mb="$mb" -v l="$load_ms" -v c="$compare_ms" -v peak="$(value peak_working_set "$report")" -v bytes="$bytes" \
    -v units="$(value result_units "$report")" 'BEGIN {
  printf "%-8s %10.1fms %13.1fms %7.2f %9.1f %10.1f %7.2f %9.1f\n", mb, l, c, c / l, peak / 1048576, bytes / 1048576,
         peak / bytes, units * 2 / 1024
}'
echo "goals: the comparison on screen within 2x the newer export alone (stretch 1.2x); peak at most the two files' size."
