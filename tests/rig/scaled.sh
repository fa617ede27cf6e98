#!/usr/bin/env bash
# The scaling tests, at 96, 144 and 192 DPI in the fixture's prefix (96 first: it stores
# the figures the others are held to). The scale is a setting of the whole prefix that
# Wine reads when its server starts, so the server is ended around each change, and 96 is
# put back however this ends: the tests after this one expect it.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
# The server is let end by itself once reg has: it saves the registry on its way out, where a
# kill gives it ten seconds to do so and then ends it, the new scale unsaved.
scale() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  wineserver -w 2>/dev/null
}
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; scale 96' EXIT  # what an interrupted test left, first
trap 'exit 1' INT TERM
rc=0
for dpi in 96 144 192; do
  scale "$dpi"
  for t in brindle/viewer_window_test.exe:Viewer.PaintsLinksAndGrowsWithTheDisplayScale \
           quillet/manager_strip_test.exe:ManagerOnTheStrip.GrowsWithTheDisplayScaleAndShowsItsToolTip; do
    echo "== $dpi DPI: ${t#*:}"
    "$here/run.sh" "$QB_WIN_BUILD_DIR/tests/${t%%:*}" --gtest_filter="${t#*:}" || rc=1
  done
done
exit $rc
