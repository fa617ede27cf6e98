#!/usr/bin/env bash
# Fixture set-up, once per test run: a zh_CN locale, an Xvfb display of our own and a
# fresh Wine prefix with the stand-in registry editor installed as C:\windows\regedit.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${QB_RIG_DIR:?}" "${QB_WIN_BUILD_DIR:?}"

# A previous run that was interrupted may have left its server and display behind.
if [ -f "$QB_RIG_DIR/display" ] || [ -d "$QB_RIG_DIR/prefix" ]; then
  "$here/cleanup.sh" || true
fi
rm -rf "$QB_RIG_DIR"
mkdir -p "$QB_RIG_DIR/locale" "$QB_RIG_DIR/shots"

localedef -i zh_CN -f UTF-8 "$QB_RIG_DIR/locale/zh_CN.UTF-8"

# Xvfb picks a free display and tells us its number through -displayfd.
exec 3>"$QB_RIG_DIR/display"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$QB_RIG_DIR/xvfb.log" 2>&1 &
echo $! >"$QB_RIG_DIR/xvfb.pid"
exec 3>&-
# Waited for, not timed: a busy machine may take a while; a minute decides that it failed.
for _ in $(seq 600); do
  [ -s "$QB_RIG_DIR/display" ] && break
  sleep 0.1
done
[ -s "$QB_RIG_DIR/display" ] || { echo "Xvfb did not start"; cat "$QB_RIG_DIR/xvfb.log"; exit 1; }

. "$here/env.sh"
echo "display $DISPLAY, prefix $WINEPREFIX"
wineboot -i >"$QB_RIG_DIR/wineboot.log" 2>&1 || { cat "$QB_RIG_DIR/wineboot.log"; exit 1; }
wineserver -w
# A crashing test program must fail its test, not wait for someone to close Wine's crash
# dialog: winedbg then only prints the backtrace into the test's output.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
# There is no window manager on the display: unmanaged windows spare every hide and destroy
# of a captioned window a 2 s wait for one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

fixture="$QB_WIN_BUILD_DIR/tests/fixtures/regedit.exe"
# Wine's own registry editor stays at hand under a name of its own, for the tests that import
# and export with it from a Windows program (whose children take no DLL overrides).
cp "$WINEPREFIX/drive_c/windows/regedit.exe" "$WINEPREFIX/drive_c/windows/system32/wineregedit.exe"
if [ -f "$fixture" ]; then
  cp "$fixture" "$WINEPREFIX/drive_c/windows/regedit.exe"
else
  echo "warning: stand-in registry editor $fixture not built"
fi
echo "rig ready"
