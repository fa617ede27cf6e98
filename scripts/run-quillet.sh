#!/usr/bin/env bash
# Starts Quillet under Wine, the way a user would meet it.
#
#   scripts/run-quillet.sh <windows build folder>      (make run does this)
#
# - The program runs from <build>/run/Quillet.exe, so its shortcut file (Quillet.ini beside the
#   program) survives rebuilds and lives between runs there.
# - Wine gets a prefix of its own under <build>/run/prefix, made once, and the zh_CN locale
#   (ANSI code page 936) from a locale folder made once with localedef, as the test rig does.
# - The real registry editor of Wine is used (no stand-in in this prefix).
# - With an X display (DISPLAY set and answering) the strip appears there. Without one a virtual
#   display (Xvfb) is started; the script prints its number and how to look at it, and keeps
#   running until Quillet's close button ends the program (or Ctrl-C).
set -euo pipefail

winbuild=${1:?usage: run-quillet.sh <windows build folder>}
winbuild=$(cd "$winbuild" && pwd)
exe="$winbuild/quillet/Quillet.exe"
[ -f "$exe" ] || { echo "Quillet.exe not found in $winbuild/quillet (run make win first)"; exit 1; }

run="$(dirname "$winbuild")/run"
mkdir -p "$run"
cp -f "$exe" "$run/Quillet.exe"

if [ ! -d "$run/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$run/locale"
  localedef -i zh_CN -f UTF-8 "$run/locale/zh_CN.UTF-8"
fi
export LOCPATH="$run/locale"
export WINEPREFIX="$run/prefix"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installers; the built-in registry editor stays as it is.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The zh_CN locale gives Wine the ANSI code page 936. Set per command: this shell itself
# does not need (and would only warn about) a locale from LOCPATH.
wenv() { env LC_ALL=zh_CN.UTF-8 "$@"; }

xvfb_pid=
cleanup() {
  wenv wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display_works() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

if ! display_works; then
  fifo="$run/display.$$"
  exec 3>"$fifo"
  setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  [ -s "$fifo" ] || { echo "Xvfb did not start:"; cat "$run/xvfb.log"; exit 1; }
  export DISPLAY=":$(cat "$fifo")"
  rm -f "$fifo"
  cat <<EOF
No X display found: Quillet runs on the virtual display $DISPLAY.
  look at it:   DISPLAY=$DISPLAY import -window root -crop 700x60+0+0 quillet-now.png
  or live:      x11vnc -display $DISPLAY  (then a VNC viewer)
Press Ctrl-C here to end it.
EOF
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX (once, up to a minute)..."
  wenv wineboot -i >"$run/wineboot.log" 2>&1 || { cat "$run/wineboot.log"; exit 1; }
  wenv wineserver -w
fi

# A first run starts with the starter list of well-known keys; the program itself does not
# need it, and a list the user already has is never replaced.
if [ ! -f "$run/Quillet.ini" ]; then
  top=$(cd "$(dirname "$0")/.." && pwd)
  python3 "$top/scripts/make-starter.py" "$top/release/starter-shortcuts.txt" "$run/Quillet.ini"
fi

echo "starting $run/Quillet.exe on $DISPLAY (shortcut file: $run/Quillet.ini)"
cd "$run"
# In the background and waited for, so that Ctrl-C reaches the traps above at once (a Wine
# program ignores it); the program's own close button ends the wait as well.
wenv wine "$run/Quillet.exe" &
wait $!
