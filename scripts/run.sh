#!/usr/bin/env bash
# Starts Quillet or Brindle under Wine, the way a user would meet them.
#
#   scripts/run.sh <windows build folder> quillet     (make run)
#   scripts/run.sh <windows build folder> brindle     (make run-brindle)
#   scripts/run.sh <windows build folder> compare     (make run-compare)
#   scripts/run.sh <windows build folder> live        (make run-live)
#   scripts/run.sh <windows build folder> preview     (make run-preview)
#
# - The programs run from <build>/run (QB_RUN_DIR overrides it), so Quillet's shortcut file
#   (Quillet.ini beside the program) survives rebuilds and lives between runs there.
# - Wine gets a prefix of its own under <run>/prefix, made once, and the zh_CN locale
#   (ANSI code page 936) from a locale folder made once with localedef, as the test rig does.
# - The registry editor the programs drive is the tests' stand-in (tests/fixtures, laid out
#   like the Windows editor), installed as the prefix's regedit.exe: Wine's own editor nests
#   its tree one level deeper and ignores type-ahead sent the Windows way, so a pick would
#   open it but never reach the key.
# - Brindle shows an export of the prefix's registry, made by Wine's own regedit (/e); with
#   `compare`, the comparison of two exports of HKEY_CURRENT_USER\Software a few changes
#   apart (Brindle.exe /compare OLD NEW); with `live`, the first of them against the registry
#   as the same changes leave it (Brindle.exe /compare FILE); with `preview`, what importing a
#   patch would change in that registry (Brindle.exe /preview FILE).
# - QB_RUN_DPI=144 shows the programs at 150% display scaling (192: 200%); 96 otherwise.
#   QB_RUN_FRAMES=1: Wine draws the windows' frames itself (a display without a window manager).
# - With an X display (DISPLAY set and answering) the window appears there. Without one a
#   virtual display (Xvfb) is started; the script prints its number and how to look at it,
#   and keeps running until the program ends (Quillet's close button, Brindle's window) or
#   Ctrl-C.
set -euo pipefail

winbuild=${1:?usage: run.sh <windows build folder> quillet|brindle|compare|live|preview}
program=${2:-quillet}
winbuild=$(cd "$winbuild" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
case "$program" in
  quillet) exe="$winbuild/quillet/Quillet.exe" ;;
  brindle|compare|live|preview) exe="$winbuild/brindle/Brindle.exe" ;;
  *) echo "usage: run.sh <windows build folder> quillet|brindle|compare|live|preview"; exit 2 ;;
esac
standin="$winbuild/tests/fixtures/regedit.exe"
for f in "$exe" "$standin"; do
  [ -f "$f" ] || { echo "$f not found (run make win first)"; exit 1; }
done

run=${QB_RUN_DIR:-"$(dirname "$winbuild")/run"}
mkdir -p "$run"
run=$(cd "$run" && pwd)
cp -f "$exe" "$run/"

if [ ! -d "$run/locale/zh_CN.UTF-8" ]; then
  mkdir -p "$run/locale"
  localedef -i zh_CN -f UTF-8 "$run/locale/zh_CN.UTF-8"
fi
export LOCPATH="$run/locale"
export WINEPREFIX="$run/prefix"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installers; regedit.exe is the file in C:\windows (the stand-in).
export WINEDLLOVERRIDES="mscoree,mshtml=;regedit.exe=n"

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
  cat <<MSG
No X display found: the program runs on the virtual display $DISPLAY.
  look at it:   DISPLAY=$DISPLAY import -window root screen-now.png
  or live:      x11vnc -display $DISPLAY  (then a VNC viewer)
Press Ctrl-C here to end it.
MSG
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX (once, up to a minute)..."
  wenv wineboot -i >"$run/wineboot.log" 2>&1 || { cat "$run/wineboot.log"; exit 1; }
  wenv wineserver -w
fi
cp -f "$standin" "$WINEPREFIX/drive_c/windows/regedit.exe"
# Wine draws the title-bar buttons with the Marlett font of fonts-wine, which this Wine does
# not find in its own data folder: without the copy they come out as the letters "0 1 r".
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# QB_RUN_DPI (e.g. 144 for 150%) sets the prefix's display scale and QB_RUN_FRAMES=1 has
# Wine draw the windows' frames itself, as no window manager does on a virtual display (the
# README's pictures use both). Wine reads them when its server starts, hence the restart.
wenv wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d "$([ "${QB_RUN_FRAMES:-}" = 1 ] && echo N || echo Y)" \
  /f >/dev/null
wenv wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${QB_RUN_DPI:-96}" /f >/dev/null
wenv wineserver -k 2>/dev/null || true
wenv wineserver -w

cd "$run"
if [ "$program" = quillet ]; then
  # A first run starts with the starter list of well-known keys; the program itself does
  # not need it, and a list the user already has is never replaced.
  if [ ! -f "$run/Quillet.ini" ]; then
    python3 "$top/scripts/make-starter.py" "$top/release/starter-shortcuts.txt" "$run/Quillet.ini"
  fi
  echo "starting $run/Quillet.exe on $DISPLAY (shortcut file: $run/Quillet.ini)"
  args=()
elif [ "$program" = brindle ]; then
  echo "exporting the prefix's registry with Wine's own regedit..."
  WINEDLLOVERRIDES="mscoree,mshtml=;regedit.exe=b" wenv wine regedit /e 'C:\registry.reg'
  echo "starting $run/Brindle.exe on $DISPLAY with C:\\registry.reg"
  args=('C:\registry.reg')
else
  # A few changes as an installer makes them, between two exports of the same branch.
  echo "exporting HKEY_CURRENT_USER\\Software twice, a few changes apart, with Wine's own regedit..."
  regedit() { WINEDLLOVERRIDES="mscoree,mshtml=;regedit.exe=b" wenv wine regedit "$@"; }
  reg_file() { { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n%s' "$1" | iconv -t UTF-16LE; } >"$WINEPREFIX/drive_c/changes.reg"; }
  reg_file $'[-HKEY_CURRENT_USER\\Software\\示例程序]\r\n[HKEY_CURRENT_USER\\Software\\示例程序\\旧设置]\r\n"版本"="1.0"\r\n"临时"=dword:00000001\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"示例"=dword:00000001\r\n'
  regedit /s 'C:\changes.reg'
  regedit /e 'C:\before.reg' 'HKEY_CURRENT_USER\Software'
  reg_file $'[-HKEY_CURRENT_USER\\Software\\示例程序\\旧设置]\r\n[HKEY_CURRENT_USER\\Software\\示例程序\\新设置]\r\n"版本"="2.0"\r\n"路径"=hex(2):43,00,3a,00,5c,00,44,00,65,00,6d,00,6f,00,00,00\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"示例"=dword:00000002\r\n'
  regedit /s 'C:\changes.reg'
  if [ "$program" = preview ]; then
    # A patch as an update ships it: values changed and deleted, a key made with its parent,
    # a line that changes nothing.
    reg_file $'[HKEY_CURRENT_USER\\Software\\示例程序\\新设置]\r\n"版本"="3.0"\r\n"路径"=-\r\n[HKEY_CURRENT_USER\\Software\\示例程序\\插件\\格式]\r\n"启用"=dword:00000001\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"示例"=dword:00000002\r\n'
    cp "$WINEPREFIX/drive_c/changes.reg" "$WINEPREFIX/drive_c/patch.reg"
    echo "starting $run/Brindle.exe on $DISPLAY with /preview C:\\patch.reg (against the registry)"
    args=(/preview 'C:\patch.reg')
  elif [ "$program" = live ]; then
    echo "starting $run/Brindle.exe on $DISPLAY with /compare C:\\before.reg (against the registry)"
    args=(/compare 'C:\before.reg')
  else
    regedit /e 'C:\after.reg' 'HKEY_CURRENT_USER\Software'
    echo "starting $run/Brindle.exe on $DISPLAY with /compare C:\\before.reg C:\\after.reg"
    args=(/compare 'C:\before.reg' 'C:\after.reg')
  fi
fi
# In the background and waited for, so that Ctrl-C reaches the traps above at once (a Wine
# program ignores it); the program's own end ends the wait as well.
wenv wine "$run/$(basename "$exe")" "${args[@]}" &
wait $!
