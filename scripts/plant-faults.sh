#!/usr/bin/env bash
# Replays the planted faults of tests/README.md, one at a time: each one-line change is made
# in the product, both builds are brought up to date, the CTest entries named for the fault
# run, and the file is put back. A fault is "caught" when those entries fail.
#
#   scripts/plant-faults.sh [name-regex]     e.g. scripts/plant-faults.sh 'picker|favorites'
#   scripts/plant-faults.sh --check          only that every fault's text still stands, once, in
#                                            its file (the lint entry lint.planted_faults; no build)
#
# Needs build/win and build/host made once (make win host). Not part of make test: a tool for
# whoever trims or adds tests. The faults: scripts/planted-faults.txt, one a line,
#   name <TAB> file <TAB> text as it is <TAB> text planted <TAB> ctest regex
# (texts taken literally; the text as it is must occur exactly once in the file).
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --check ]; then
  exec python3 - <<'PY'
import sys
stale = 0
for number, line in enumerate(open("scripts/planted-faults.txt", encoding="utf-8"), 1):
    if not line.strip() or line.startswith("#"):
        continue
    name, path, old = line.rstrip("\n").split("\t")[:3]
    try:
        count = open(path, encoding="utf-8").read().count(old)
    except OSError:
        count = 0
    if count != 1:
        stale += 1
        print("planted-faults.txt:%d: %s: its text occurs %d times in %s" % (number, name, count, path))
sys.exit(1 if stale else 0)
PY
fi
root=$PWD
jobs=${JOBS:-2}
filter=${1:-.}
rebuild() { cmake --build build/win -j "$jobs" >/dev/null && cmake --build build/host -j "$jobs" >/dev/null; }
caught=0 missed=0 broken=0
while IFS=$'\t' read -r name file from to regex; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  [[ "$name" =~ $filter ]] || continue
  saved=$(mktemp)
  cp "$file" "$saved"
  if ! python3 - "$file" "$from" "$to" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit("%s: the text to replace occurs %d times" % (path, text.count(old)))
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
  then verdict=STALE; broken=$((broken + 1))
  elif ! rebuild; then verdict="DOES NOT BUILD"; broken=$((broken + 1))
  elif (cd build/host && ctest -R "$regex" --timeout 900 --output-on-failure >"$root/build/plant-$name.log" 2>&1); then
    verdict="MISSED (the tests passed)"; missed=$((missed + 1))
  else
    verdict="caught by $(grep -oE '\*\*\*Failed|[0-9]+ - [^ ]+ \((Failed|Timeout|SEGFAULT|Subprocess aborted)\)' \
      "build/plant-$name.log" | grep -oE '[^ ]+ \([A-Za-z ]+\)$' | tr '\n' ' ')"
    caught=$((caught + 1))
  fi
  cp "$saved" "$file"  # a fresh time stamp: the next build compiles it again
  rm -f "$saved"
  printf '%-28s %s\n' "$name" "$verdict"
done < scripts/planted-faults.txt
rebuild || echo "rebuilding the product as it is failed"
echo "caught $caught, missed $missed, not applicable $broken"
[ "$missed" -eq 0 ] && [ "$broken" -eq 0 ]
