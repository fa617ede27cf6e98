#!/usr/bin/env bash
# The comparison's benchmark: two exports of the same generated registry (UTF-16 with its
# mark), the newer with a few hundred changes scattered over it, compared by the engine the
# viewer links (brindle/ExportCompare), natively, built as it ships: a Release build without
# the sanitizers, made under HOSTBUILD/bench-native. Printed beside a baseline measured in the
# same run, reading the newer file in the same pieces and splitting it into lines:
#   - the comparison's time and its ratio to the baseline (best of three each; the files are
#     in the page cache for both);
#   - its peak memory beside the two files' size together;
#   - the result's size and the counts it names.
# Then the same at 512 MB for a newer in which about 100,000 hex(2) values changed (row
# "512 h2"): each change is written with its text and its older data in comment lines. Then
# the same at 512 MB for key lines in random order (row "512 ran") and for most keys empty
# ("512 emp"), the newer with every 20,000th line changed and every 50,000th value line
# left out (gen_export.py --shape; BENCH_COMPARE_SHAPES, default "random empty",
# "" for none; twice, paths and cjk are the others gen_export.py makes),
# in UTF-16 and then in ANSI (rows "512 ran A", "512 emp A": the same keys in half the bytes).
# With BENCH_COMPARE_REFERENCE naming another build of compare_bench (an earlier engine, say),
# each row's result is compared with that one's, byte for byte (column "same").
#
#   bench/brindle/compare_run.sh HOSTBUILD [sizes in MB, default "64 512"] [changes, default 300]
#                                [hex(2) changes at 512 MB, default 100000; 0 for none]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/disk.sh"
src=$(cd "$here/../.." && pwd)
host=$(mkdir -p "$1" && cd "$1" && pwd)
sizes=${2:-"64 512"}
changes=${3:-300}
hex2=${4:-100000}

native="$host/bench-native"
CXX=clang++ CC=clang cmake -S "$src" -B "$native" -DCMAKE_BUILD_TYPE=Release -DQB_INSTRUMENT=OFF >/dev/null
cmake --build "$native" --target compare_bench -j "${JOBS:-2}" >/dev/null
exe="$native/bench/brindle/compare_bench"

data="$host/bench-data"
mkdir -p "$data"
need_mb=0
for mb in $sizes; do need_mb=$((need_mb + 2 * mb + 16)); done
[ "$hex2" = 0 ] || need_mb=$((need_mb + 512 + 16))
shapes=${BENCH_COMPARE_SHAPES-"random empty"}
for shape in $shapes; do need_mb=$((need_mb + 3 * 512 + 32)); done
need_disk "$data" "$need_mb"

value() { sed -n "s/^$1=//p" "$2"; }

reference=${BENCH_COMPARE_REFERENCE:-}
printf '%-10s %9s %10s %11s %7s %9s %10s %7s %9s %5s  %s\n' MB "lines" "split ms" "compare ms" ratio "peak MB" "files MB" "x files" "result KB" same counts
# One row: LABEL OLDER NEWER, each measured best of three.
row() {
  local label=$1 older=$2 newer=$3
  cat "$older" "$newer" >/dev/null
  local split="$host/bench-report-split-${label// /}.txt" report="$host/bench-report-compare-${label// /}.txt"
  local best_split="" best_compare="" s c
  for _ in 1 2 3; do
    "$exe" split "$newer" >"$split.run"
    "$exe" compare "$older" "$newer" >"$report.run"
    s=$(value split_ms "$split.run") c=$(value compare_ms "$report.run")
    if [ -z "$best_split" ] || awk -v a="$s" -v b="$best_split" 'BEGIN { exit !(a < b) }'; then best_split=$s; mv "$split.run" "$split"; fi
    if [ -z "$best_compare" ] || awk -v a="$c" -v b="$best_compare" 'BEGIN { exit !(a < b) }'; then best_compare=$c; mv "$report.run" "$report"; fi
  done
  rm -f "$split.run" "$report.run"
  [ "$(value ok "$report")" = 1 ] || { echo "$label MB: the comparison failed (error $(value error "$report"))"; return; }
  local same=-
  if [ -n "$reference" ]; then
    "$exe" compare "$older" "$newer" "$host/bench-result.reg" >/dev/null
    "$reference" compare "$older" "$newer" "$host/bench-result-reference.reg" >/dev/null
    same=no
    cmp -s "$host/bench-result.reg" "$host/bench-result-reference.reg" && same=yes
    rm -f "$host/bench-result.reg" "$host/bench-result-reference.reg"
  fi
  local bytes=$(( $(stat -c %s "$older") + $(stat -c %s "$newer") ))
  awk -v mb="$label" -v lines="$(value line_ends "$split")" -v s="$best_split" -v c="$best_compare" \
      -v peak="$(value peak_bytes "$report")" -v bytes="$bytes" -v units="$(value result_units "$report")" \
      -v counts="$(value counts "$report")" -v same="$same" 'BEGIN {
    printf "%-10s %9d %10.1f %11.1f %7.2f %9.1f %10.1f %7.2f %9.1f %5s  %s\n", mb, lines, s, c, c / s, peak / 1048576,
           bytes / 1048576, peak / bytes, units * 2 / 1024, same, counts
  }'
}
for mb in $sizes; do
  # The older is the viewer benchmark's export of that size (same seed), if already made.
  older="$data/export-$mb-utf16.reg" newer="$data/export-$mb-utf16-changed.reg"
  [ -s "$older" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$older"
  [ -s "$newer" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding utf16 --out "$newer" --changes "$changes"
  row "$mb" "$older" "$newer"
done
if [ "$hex2" != 0 ]; then
  older="$data/export-512-utf16.reg" newer="$data/export-512-utf16-hex2-$hex2.reg"
  [ -s "$older" ] || python3 "$here/gen_export.py" --mb 512 --encoding utf16 --out "$older"
  [ -s "$newer" ] || python3 "$here/gen_export.py" --mb 512 --encoding utf16 --out "$newer" --changes "$hex2" --hex2
  row "512 h2" "$older" "$newer"
fi
# The same keys in UTF-16 at 512 MB and in ANSI at 256 MB (rows A).
for encoding in "utf16 512" "ansi 256 A"; do
  read -r code mb suffix <<<"$encoding"
  for shape in $shapes; do
    older="$data/export-512-$code-$shape.reg" newer="$data/export-512-$code-$shape-changed.reg"
    [ -s "$older" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding "$code" --shape "$shape" --out "$older"
    [ -s "$newer" ] || python3 "$here/gen_export.py" --mb "$mb" --encoding "$code" --shape "$shape" --changed --out "$newer"
    row "512 ${shape:0:3}${suffix:+ $suffix}" "$older" "$newer"
  done
done
echo "goals at 512 MB, any shape: peak at most half the two files' size for UTF-16 (x files <= 0.5), at most their size"
echo "for ANSI (rows A: the same keys, 256 MB files); on screen within"
echo "2x (stretch 1.2x) the time the viewer takes to show the newer export alone (viewer bench: load+paint)."
