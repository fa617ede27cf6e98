#!/usr/bin/env bash
# Runs one Windows test program in the fixture's prefix and display. It passes only when the
# program ends with 0 AND reports GoogleTest tests that ran and passed: an exit code of 0
# from a program that printed no verdict (ended before its tests ran) is no pass. The
# prefix's processes are ended afterwards so that a test cannot leave a registry editor or
# a message box behind for the next one.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
exe=$1; shift
[ -f "$exe" ] || { echo "missing test program $exe"; exit 1; }
# Into a file, not a pipe: programs the test starts inherit the output and may outlive it.
mkdir -p "$QB_RIG_DIR/logs"
log=$(mktemp "$QB_RIG_DIR/logs/$(basename "$exe" .exe).XXXXXX")
start=$(date +%s%N)
wine "$exe" "$@" >"$log" 2>&1
rc=$?
cat "$log"
# End what the test left running (editors, Explorer windows, message boxes).
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
if [ $rc -eq 0 ]; then
  ran=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
  if [ -z "$ran" ] || [ "$ran" -eq 0 ] || grep -q '^\[  FAILED  \]' "$log"; then
    echo "run.sh: $(basename "$exe") ended with 0 after $(( ($(date +%s%N) - start) / 1000000 )) ms" \
         "but reported no tests that ran and passed"
    rc=1
  fi
fi
rm -f "$log"
exit $rc
