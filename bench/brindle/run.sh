#!/usr/bin/env bash
# The viewer's benchmark: generates registry exports of 1, 64 and 512 MB (UTF-16 with its
# mark, and ANSI), opens each in the viewer under Wine, and prints, beside `wc -l` on the
# same file measured in the same run (a read at memory speed):
#   - the time from the start of loading to the end of the first complete paint, and its
#     ratio to the baseline;
#   - the viewer's peak memory (peak working set) as a multiple of the file's size;
#   - the cost of one mouse move over the view (the hit test): the mean of a first pass of
#     some 700 moves over the visible lines, which measures each link once, and the median
#     of a second pass;
#   - where a drag of the vertical scroll thumb to three quarters of the bar ends, which
#     must be beyond 65,535 for the large files;
# and, on a one-line 50 MB .txt, the time of one full repaint at the start of the line and
# scrolled to its end (the same, when only what reaches the window is drawn).
# The figures come from viewer_bench.exe (bench/brindle/viewer_bench.cpp), which links the
# viewer's library and drives its windows: Brindle.exe itself carries no measuring code.
#
#   bench/brindle/run.sh WINBUILD HOSTBUILD [sizes in MB, default "1 64 512"]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/disk.sh"
src=$(cd "$here/../.." && pwd)
win=$(cd "$1" && pwd)
host=$(mkdir -p "$2" && cd "$2" && pwd)
sizes=${3:-"1 64 512"}
exe="$win/bench/brindle/viewer_bench.exe"
[ -f "$exe" ] || { echo "no measuring program at $exe (make win first)"; exit 1; }

data="$host/bench-data"
mkdir -p "$data"

# Room for every file (two encodings), with a margin.
need_mb=0
for mb in $sizes; do need_mb=$((need_mb + 2 * mb + 16)); done
need_disk "$data" "$need_mb"

for mb in $sizes; do
  for enc in utf16 ansi; do
    f="$data/export-$mb-$enc.reg"
    if [ ! -s "$f" ]; then
      echo "generating $f"
      python3 "$here/gen_export.py" --mb "$mb" --encoding "$enc" --out "$f"
    fi
  done
done

# A display and prefix of our own, made like the test rig's.
export QB_RIG_DIR="$host/bench-rig" QB_WIN_BUILD_DIR="$win"
"$src/tests/rig/setup.sh" >/dev/null
trap '"$src/tests/rig/cleanup.sh" >/dev/null 2>&1 || true' EXIT
. "$src/tests/rig/env.sh"

# Best of three: the file is in the page cache after the first.
best_of_3() {
  local best=""
  for _ in 1 2 3; do
    local t0 t1 dt
    t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
    dt=$(( (t1 - t0) / 1000 ))
    if [ -z "$best" ] || [ "$dt" -lt "$best" ]; then best=$dt; fi
  done
  echo "$best"
}

value() { sed -n "s/^$1=//p" "$2"; }

printf '%-22s %8s %9s %9s %11s %7s %9s %7s %10s %10s %8s %s\n' file MB lines "wc -l ms" "load+paint" ratio "peak MB" "x size" "move 1st" "move med." thumb "thumb ok"
for mb in $sizes; do
  for enc in utf16 ansi; do
    f="$data/export-$mb-$enc.reg"
    bytes=$(stat -c %s "$f")
    cat "$f" >/dev/null  # into the page cache, for both sides alike
    base_us=$(best_of_3 wc -l "$f")
    report="$host/bench-report-$mb-$enc.txt"
    rm -f "$report"
    timeout 600 wine "$exe" load "$(winepath -w "$f")" 2>/dev/null | tr -d '\r' >"$report" || true
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ ! -s "$report" ]; then
      printf '%-22s %8s  no report (the viewer did not finish)\n' "$(basename "$f")" "$mb"
      continue
    fi
    load_ms=$(value load_to_paint_ms "$report")
    peak=$(value peak_working_set "$report")
    lines=$(value lines "$report")
    thumb=$(value thumb_after "$report")
    awk -v f="$(basename "$f")" -v mb="$mb" -v lines="$lines" -v base="$base_us" -v load="$load_ms" \
        -v peak="$peak" -v bytes="$bytes" -v m1="$(value mouse_move_first_us "$report")" \
        -v m2="$(value mouse_move_repeat_us "$report")" -v thumb="$thumb" 'BEGIN {
      ok = (lines > 65536) ? ((thumb > 65535) ? "yes" : "NO") : "(small)";
      printf "%-22s %8s %9d %9.1f %11.1f %7.1f %9.1f %7.2f %8.2fus %8.2fus %8d %s\n",
             f, mb, lines, base / 1000, load, load * 1000 / base, peak / 1048576, peak / bytes, m1, m2, thumb, ok
    }'
  done
done
echo "goals at 512 MB: load+paint at most 10x wc -l (stretch 5x); peak at most 1.8x the size for UTF-16"
echo "(stretch 1.0x), 1.3x for ANSI; a mouse move costs the same at 1 MB and 512 MB."
echo "Peak memory includes Wine's own share of the process (about 20-40 MB), which the 1 MB rows show."

# One line of 50 MB (words and Chinese text, code page 936, no line end): a full repaint at
# the start of the line and scrolled to its end, beside the same paint of a short line.
long="$data/one-line-50.txt"
if [ ! -s "$long" ]; then
  python3 -c 'import sys
piece = ("HKEY_CURRENT_USER\\Software\\Tools value=0x1f 数据文本 " * 4).encode("gbk")
sys.stdout.buffer.write(piece * (50 * 1024 * 1024 // len(piece)))' >"$long"
fi
report="$host/bench-report-line.txt"
timeout 600 wine "$exe" line "$(winepath -w "$long")" 2>/dev/null | tr -d '\r' >"$report" || true
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo
if [ -s "$report" ]; then
  awk -v bytes="$(value line_bytes "$report")" -v s="$(value paint_start_ms "$report")" \
      -v e="$(value paint_end_ms "$report")" -v h="$(value hpos_end "$report")" 'BEGIN {
    printf "one line of %d bytes: a full repaint at its start %.2f ms, scrolled to its end (column %d) %.2f ms (%.1fx)\n",
           bytes, s, h, e, (s > 0) ? e / s : 0
  }'
else
  echo "one-line file: no report (the measuring program did not finish)"
fi
echo "goal: the repaint scrolled to the end of the line costs the same as at its start."

# Find on the largest UTF-16 export, whose last line holds the only match: Find Next from the
# top to the match painted, beside grep -F (-i) -c of the same text on the same file (the
# file holds twice the bytes the viewer searches); and a text found nowhere. grep takes the
# UTF-16 file for binary and is slower for it: the same grep with -a (text) is shown too.
mb=${sizes##* }
f="$data/export-$mb-utf16.reg"
python3 - "$f" <<'PY'
import sys
mark = "[HKEY_CURRENT_USER\\Software\\Brindle\\FindMe 7Q4X]\r\n".encode("utf-16-le")
with open(sys.argv[1], "r+b") as out:
    out.seek(-len(mark), 2)
    if out.read() != mark:
        out.seek(0, 2)
        out.write(mark)
PY
cat "$f" >/dev/null
grep_i_us=$(LC_ALL=C best_of_3 grep -F -i -c "findme 7q4x" "$f")
grep_us=$(LC_ALL=C best_of_3 grep -F -c "FindMe 7Q4X" "$f")
grep_ai_us=$(LC_ALL=C best_of_3 grep -a -F -i -c "findme 7q4x" "$f")
grep_a_us=$(LC_ALL=C best_of_3 grep -a -F -c "FindMe 7Q4X" "$f")
echo
printf '%-36s %10s %10s %7s %10s %7s %6s %10s %10s\n' "find in $(basename "$f")" "viewer ms" "grep ms" ratio \
  "grep -a ms" ratio found "peak load" "peak find"
for run in "findme 7q4x:blind:$grep_i_us:$grep_ai_us" "FindMe 7Q4X:case:$grep_us:$grep_a_us" \
           "nowhere 7q4x:blind:$grep_i_us:$grep_ai_us"; do
  IFS=: read -r text how base basea <<<"$run"
  report="$host/bench-report-find.txt"
  timeout 600 wine "$exe" find "$(winepath -w "$f")" "$text" "$how" 2>/dev/null | tr -d '\r' >"$report" || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ ! -s "$report" ]; then echo "\"$text\": no report"; continue; fi
  awk -v t="\"$text\" ($how)" -v ms="$(value find_ms "$report")" -v base="$base" -v basea="$basea" \
      -v found="$(value found "$report")" \
      -v line="$(value match_line "$report")" -v lines="$(value lines "$report")" \
      -v p0="$(value peak_loaded "$report")" -v p1="$(value peak_searched "$report")" 'BEGIN {
    printf "%-36s %10.1f %10.1f %7.2f %10.1f %7.2f %6s %8.1fMB %8.1fMB\n", t, ms, base / 1000, ms * 1000 / base,
           basea / 1000, ms * 1000 / basea,
           found ? (line == lines - 1 ? "last" : "line " line) : "no", p0 / 1048576, p1 / 1048576
  }'
done
report="$host/bench-report-cancel.txt"
timeout 600 wine "$exe" find "$(winepath -w "$f")" "nowhere 7q4x" cancel 2>/dev/null | tr -d '\r' >"$report" || true
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo "while a search runs: searching $(value searching_at_paint "$report"), a full repaint $(value paint_while_searching_ms "$report") ms, Esc to its end $(value esc_to_end_ms "$report") ms"
echo "goal: Find at most 2x grep (stretch 1x); peak after a search within 5% of the peak after loading."
