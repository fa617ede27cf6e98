#!/usr/bin/env bash
# Builds the release zip: both programs, the starter shortcut file and the user guide.
# Usage: make-dist.sh WINBUILD OUTDIR
set -euo pipefail
win=$1 out=$2
top=$(cd "$(dirname "$0")/.." && pwd)
stage="$out/stage/QuilletBrindle"
rm -rf "$out/stage"
mkdir -p "$stage"
for exe in quillet/Quillet.exe brindle/Brindle.exe; do
  [ -f "$win/$exe" ] || { echo "missing $win/$exe"; exit 1; }
  cp "$win/$exe" "$stage/"
done
# Statically linked: nothing but system DLLs may be imported.
for exe in "$stage"/*.exe; do
  if x86_64-w64-mingw32-objdump -p "$exe" | grep -i 'DLL Name' | grep -qiE 'libstdc|libgcc|libwinpthread'; then
    echo "$exe needs mingw runtime DLLs"; exit 1
  fi
done
python3 "$top/scripts/make-starter.py" "$top/release/starter-shortcuts.txt" "$stage/Quillet.ini"
# The guide as UTF-8 with a byte-order mark and CR LF, which Notepad shows correctly.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$top/release/guide-zh.txt"; } >"$stage/README-zh.txt"
rm -f "$out/QuilletBrindle.zip"
(cd "$out/stage" && zip -q -r -X ../QuilletBrindle.zip QuilletBrindle)
rm -rf "$out/stage"
echo "$out/QuilletBrindle.zip"
unzip -l "$out/QuilletBrindle.zip"
