#!/usr/bin/env bash
# Replays the planted faults of tests/README.md, one at a time: each one-line change is made
# in the product, both builds are brought up to date, the CTest entries named for the fault
# run, and the file is put back. A fault is "caught" when those entries fail.
#
#   scripts/plant-faults.sh [name-regex]   e.g. scripts/plant-faults.sh 'picker|favorites'
#   scripts/plant-faults.sh --table        prints the README's table: each fault, what catches it
#   scripts/plant-faults.sh --readme       writes that table into tests/README.md
#   scripts/plant-faults.sh --check        no build: each fault's text still stands, once, in its
#                                          file; each line has its seven fields; the entries
#                                          named as catching it are tests of the tree that its
#                                          regex selects; the README holds the table the list
#                                          gives (the lint entry lint.planted_faults)
#
# Needs build/win and build/host made once (make win host). Not part of make test: a tool for
# whoever trims or adds tests. The faults: scripts/planted-faults.txt, one a line,
#   name <TAB> file <TAB> text as it is <TAB> text planted <TAB> ctest regex
#   <TAB> what goes wrong <TAB> caught by
# (texts taken literally; the text as it is must occur exactly once in the file).
set -uo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
--check | --table | --readme)
  exec python3 - "$1" <<'PY'
import glob, re, sys
LIST, README = "scripts/planted-faults.txt", "tests/README.md"
HEADER = ["| Fault (name in the list) | File | Caught by (CTest entry: test) |", "|---|---|---|"]
# An entry is <tier>.<its file's stem>[.<a second run's difference>].
ENTRY = re.compile(r"\b(?:native|fuzz|wine)\.([a-z0-9_]+)(?:\.[a-z0-9_]+)?\b")
mode, problems, faults = sys.argv[1], [], []
for number, line in enumerate(open(LIST, encoding="utf-8"), 1):
    if not line.strip() or line.startswith("#"):
        continue
    fields = line.rstrip("\n").split("\t")
    where = "%s:%d: %s" % (LIST, number, fields[0])
    if len(fields) != 7 or not all(f.strip() for f in fields):
        problems.append("%s: wants seven fields, none empty" % where)
        continue
    faults.append(fields)
    name, path, old, _, regex, _, caught = fields
    try:
        count = open(path, encoding="utf-8").read().count(old)
    except OSError:
        count = 0
    if count != 1:
        problems.append("%s: its text occurs %d times in %s" % (where, count, path))
    named = [(m.group(0), m.group(1)) for m in ENTRY.finditer(caught)]
    if not named:
        problems.append("%s: names no CTest entry as catching it" % where)
    for entry, stem in named:
        if not glob.glob("tests/*/%s.*" % stem):
            problems.append("%s: %s is no test of the tree" % (where, entry))
        if not re.search(regex, entry):
            problems.append("%s: its regex does not select %s" % (where, entry))
names = [f[0] for f in faults]
problems += ["%s: %s listed twice" % (LIST, n) for n in sorted(set(n for n in names if names.count(n) > 1))]

def cell(text):
    return text.replace("|", "\\|")

table = HEADER + ["| %s (`%s`) | %s | %s |" % (cell(what), name, path, cell(caught))
                  for name, path, _, _, _, what, caught in faults]
readme = open(README, encoding="utf-8").read().split("\n")
if HEADER[0] not in readme:
    sys.exit("%s: no line %s" % (README, HEADER[0]))
first = last = readme.index(HEADER[0])
while last < len(readme) and readme[last].startswith("|"):
    last += 1
if mode == "--table":
    print("\n".join(table))
    sys.exit(0)
if mode == "--readme":
    open(README, "w", encoding="utf-8").write("\n".join(readme[:first] + table + readme[last:]))
elif readme[first:last] != table:
    problems.append("%s: its table is not the one the list gives (scripts/plant-faults.sh --readme)" % README)
print("\n".join(problems), end="\n" if problems else "")
sys.exit(1 if problems else 0)
PY
  ;;
esac
root=$PWD
jobs=${JOBS:-2}
filter=${1:-.}
rebuild() { cmake --build build/win -j "$jobs" >/dev/null && cmake --build build/host -j "$jobs" >/dev/null; }
caught=0 missed=0 broken=0
while IFS=$'\t' read -r name file from to regex _; do
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
