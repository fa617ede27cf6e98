#!/usr/bin/env bash
# Brindle only reads the registry, shown from outside: compare_window_test's command-line case
# (Brindle.exe /compare FILE against the registry, /compare of a patch whose preview is taken,
# /preview FILE) runs under WINEDEBUG=+pid,+reg, and on every thread of each Brindle that
# opened the branch the trace holds no call that creates, sets, deletes,
# renames, saves or loads, and every key opened with KEY_READ | KEY_WOW64_64KEY (0x20119).
# Wine opens a predefined root itself inside the first call that names it (NtCreateKey of
# "\Registry\...", MAXIMUM_ALLOWED): that one is Wine's own and allowed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$QB_SOURCE_DIR/tests/rig/env.sh"
exe="$QB_WIN_BUILD_DIR/tests/brindle/compare_window_test.exe"
mkdir -p "$QB_RIG_DIR/logs"
log=$(mktemp "$QB_RIG_DIR/logs/live_trace.XXXXXX")
WINEDEBUG=+pid,+reg wine "$exe" --gtest_filter='Compare.TheRegistrySinceAnExport*' >"$log" 2>&1
rc=$?
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
grep -q '^\[  PASSED  \] 1 test' "$log" || { grep -v ':trace:' "$log"; echo "live_trace.sh: the test did not pass (rc $rc)"; rm -f "$log"; exit 1; }
pids=$(sed -n 's/^brindle pid \([0-9a-f]*\).*/\1/p' "$log" | tr '\n' ' ')
[ "$(wc -w <<<"$pids")" -eq 3 ] || { echo "live_trace.sh: not three Brindle processes named: $pids"; rm -f "$log"; exit 1; }
awk -v pids="$pids" '
  BEGIN { n = split(pids, p, " "); for (i = 1; i <= n; ++i) brindle[p[i] ":"] = 1 }
  (substr($0, 1, 5) in brindle) && /:trace:reg:/ { n = split($0, f, ":"); tid = f[2]; line[++count] = $0; who[count] = tid
    if (/NtOpenKeyEx \(/ && index($0, "L\"Software\\\\QbTests\\\\Live\"")) reader[tid] = 1 }
  END {
    for (i = 1; i <= count; ++i) {
      if (!(who[i] in reader)) continue
      l = line[i]
      if (l ~ /Nt(SetValue|Delete|DeleteValue|Rename|SetInformation|Save|Restore|Load|Unload|Replace|Flush)Key/) { print "changes: " l; bad = 1 }
      if (l ~ /NtCreateKey \(/ && !index(l, "L\"\\\\Registry\\\\")) { print "creates: " l; bad = 1 }
      if (l ~ /NtOpenKeyEx \(/) { opened++; if (l !~ /",20119,/) { print "opens for more than reading: " l; bad = 1 } }
    }
    if (length(reader) < 3) { print "not every Brindle read the branch: " length(reader) " threads"; bad = 1 }
    if (opened < 3) { print "too few keys opened: " opened; bad = 1 }
    if (!bad) printf "live_trace.sh: %d keys opened for reading only, nothing changed\n", opened
    exit bad }' "$log"
rc=$?
rm -f "$log"
exit $rc
