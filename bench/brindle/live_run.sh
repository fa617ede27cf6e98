#!/usr/bin/env bash
# The comparison of an export with the registry as it is now, as the user waits for it: a
# branch of some 200,000 keys imported once into the benchmark's prefix by Wine's own registry
# editor, exported by it (FILE), then 300 changes made to the branch; then, each timed from
# outside and best of three, beside each other:
#   - the baseline: Wine's `regedit /e` of the same branch alone;
#   - `viewer_bench.exe live FILE` (the viewer's own windows and code, as `Brindle.exe /compare
#     FILE` runs, ending once the result is painted): the reading of the registry, the
#     comparison and the result on screen.
#
#   bench/brindle/live_run.sh WINBUILD HOSTBUILD [keys, default 200000] [changes, default 300]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
win=$(cd "$1" && pwd)
host=$(mkdir -p "$2" && cd "$2" && pwd)
keys=${3:-200000}
changes=${4:-300}
exe="$win/bench/brindle/viewer_bench.exe"
[ -f "$exe" ] || { echo "no measuring program at $exe (make win first)"; exit 1; }

data="$host/bench-data/live"
mkdir -p "$data"
branch='HKEY_CURRENT_USER\Software\QbBench'
# The branch: 400 keys of 500 keys each below it, each with a string, a dword and binary data;
# and the changes: values set and added, keys added and deleted, spread over the branch.
python3 - "$data" "$keys" "$changes" <<'PY'
import random, sys
out, keys, changes = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
head = "Windows Registry Editor Version 5.00\r\n\r\n"
top = "HKEY_CURRENT_USER\\Software\\QbBench"
per = 500
groups = max(1, keys // per)
with open(out + "/branch.reg", "w", encoding="utf-16", newline="") as f:
    f.write(head)
    for g in range(groups):
        f.write("[%s\\Group%03d]\r\n\"kind\"=\"group\"\r\n\r\n" % (top, g))
        for k in range(per):
            f.write("[%s\\Group%03d\\Key%03d]\r\n\"name\"=\"value %d.%d\"\r\n\"n\"=dword:%08x\r\n"
                    "\"b\"=hex:%02x,%02x,%02x,%02x\r\n\r\n" % (top, g, k, g, k, g * per + k, g, k & 255, 1, 2))
rng = random.Random(7)
with open(out + "/changes.reg", "w", encoding="utf-16", newline="") as f:
    f.write(head)
    for i in range(changes):
        g, k = rng.randrange(groups), rng.randrange(per)
        key = "%s\\Group%03d\\Key%03d" % (top, g, k)
        kind = i % 4
        if kind == 0: f.write("[%s]\r\n\"name\"=\"changed %d\"\r\n\r\n" % (key, i))
        elif kind == 1: f.write("[%s]\r\n\"added\"=dword:%08x\r\n\r\n" % (key, i))
        elif kind == 2: f.write("[%s\\New%d]\r\n\"v\"=\"new\"\r\n\r\n" % (key, i))
        else: f.write("[-%s]\r\n\r\n" % key)
PY

export QB_RIG_DIR="$host/bench-rig-live" QB_WIN_BUILD_DIR="$win"
"$src/tests/rig/setup.sh" >/dev/null
trap '"$src/tests/rig/cleanup.sh" >/dev/null 2>&1 || true' EXIT
. "$src/tests/rig/env.sh"
regedit() { wine wineregedit.exe "$@"; }
w() { winepath -w "$1"; }

echo "importing the branch ($keys keys) and exporting it..."
regedit /s "$(w "$data/branch.reg")"
regedit /e "$(w "$data/file.reg")" "$branch"
regedit /s "$(w "$data/changes.reg")"
wineserver -w 2>/dev/null || true

# Best of three runs of a command, timed from outside in ms; every run a fresh process.
best_of_3() {
  local best=""
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s%N); "$@" >"$data/run.out" 2>/dev/null || true; t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
export_ms=$(best_of_3 regedit /e "$(w "$data/again.reg")" "$branch")
live_ms=$(best_of_3 wine "$exe" live "$(w "$data/file.reg")")
tr -d '\r' <"$data/run.out" | grep -q '^compare_to_paint_ms=' || { echo "the viewer did not finish"; cat "$data/run.out"; exit 1; }
printf '%-8s %8s %18s %22s %7s\n' keys changes "regedit /e alone" "compare FILE on screen" ratio
awk -v k="$keys" -v c="$changes" -v e="$export_ms" -v l="$live_ms" \
    'BEGIN { printf "%-8d %8d %16dms %20dms %7.2f\n", k, c, e, l, l / e }'
echo "goal: the comparison with the registry on screen within 1.25x regedit /e of the branch alone (stretch 1.0x)."
