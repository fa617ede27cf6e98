#!/usr/bin/env bash
# Runs one Windows test program in the fixture's prefix and display; its exit code is the
# test's verdict. The prefix's processes are ended afterwards so that a test cannot
# leave a registry editor or a message box behind for the next one.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
exe=$1; shift
[ -f "$exe" ] || { echo "missing test program $exe"; exit 1; }
wine "$exe" "$@"
rc=$?
# End what the test left running (editors, Explorer windows, message boxes).
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
exit $rc
