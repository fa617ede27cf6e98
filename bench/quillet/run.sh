#!/usr/bin/env bash
# Runs Quillet's start-up benchmark under Wine in a throwaway prefix and display of its own
# (the test rig's set-up), then prints the figures.
#   bench/quillet/run.sh <windows build folder> [lines] [rounds]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rig=$(cd "$here/../../tests/rig" && pwd)
win=$(cd "${1:?windows build folder}" && pwd); shift
export QB_WIN_BUILD_DIR=$win
export QB_RIG_DIR=$win/bench-rig
"$rig/setup.sh" >/dev/null
trap '"$rig/cleanup.sh" >/dev/null 2>&1 || true' EXIT
program=$(. "$rig/env.sh"; winepath -w "$win/quillet/Quillet.exe" 2>/dev/null)
"$rig/run.sh" "$win/bench/quillet/quillet_startup_bench.exe" "$program" "$@"
