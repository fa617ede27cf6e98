#!/usr/bin/env bash
# Runs the file-reading tests with a real export (QB_REAL_EXPORT) written by Wine's own
# registry editor. Made from here: inside the prefix the stand-in editor has the real one's
# place, and only a start from outside can ask for the built-in one (regedit.exe=b).
set -uo pipefail
rig="$(cd "$(dirname "$0")" && pwd)/../rig"
. "$rig/env.sh"
parent='HKEY_CURRENT_USER\Software\QbTests\导出'
key="$parent"'\子键'
out="$QB_RIG_DIR/scratch/real-export.reg"
mkdir -p "$QB_RIG_DIR/scratch" && rm -f "$out"
wine reg.exe add "$key" /v '数值' /d '中文数据' /f >/dev/null
wine reg.exe add "$key" /v Blob /t REG_BINARY /d "$(printf '%02x' $(seq 1 60))" /f >/dev/null
wine reg.exe add "$key"'\Deeper' /ve /d 'C:\Windows\notepad.exe' /f >/dev/null
WINEDLLOVERRIDES="mscoree,mshtml=;regedit.exe=b" wine regedit.exe /e "$(winepath -w "$out")" "$parent"
wine reg.exe delete "$parent" /f >/dev/null
wineserver -w
[ -s "$out" ] || echo "warning: the registry editor wrote no export"
QB_REAL_EXPORT="$(winepath -w "$out")" exec "$rig/run.sh" "$@"
