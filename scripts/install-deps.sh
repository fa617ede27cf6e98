#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks.
# Usage: install-deps.sh [check]
#   check: only what the fast tier needs (native build, lint, fuzzers; no Wine)
set -euo pipefail
want=(cmake make clang libclang-rt-14-dev googletest libgtest-dev cppcheck clang-format git python3)
if [ "${1:-}" != check ]; then
  want+=(g++ locales mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth fonts-wqy-zenhei
         x11-utils xdotool imagemagick zip fonts-wine)
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
