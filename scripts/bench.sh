#!/usr/bin/env bash
# make bench: the benchmarks under bench/, each printing its figures beside a baseline
# measured in the same run. Too slow for make test.
#   scripts/bench.sh WINBUILD HOSTBUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=${1:?WINBUILD}
host=${2:?HOSTBUILD}
echo "== Brindle: loading, memory, hit test and thumb drag on generated registry exports"
"$here/../bench/brindle/run.sh" "$win" "$host" "${BENCH_SIZES:-1 64 512}"
echo
echo "== Brindle: comparing two exports, a few hundred changes apart (the engine, natively)"
"$here/../bench/brindle/compare_run.sh" "$host" "${BENCH_COMPARE_SIZES:-64 512}"
echo
echo "== Brindle: two exports compared in the viewer under Wine, to the result on screen, against the newer alone"
"$here/../bench/brindle/compare_screen_run.sh" "$win" "$host" "${BENCH_COMPARE_SCREEN_MB:-512}"
echo
echo "== Brindle: an export compared with the registry under Wine, to the result on screen, against regedit /e of the branch"
"$here/../bench/brindle/live_run.sh" "$win" "$host" "${BENCH_LIVE_KEYS:-200000}"
echo
echo "== Quillet: start-up to a filled picker, 10,000 shortcuts against an empty file"
"$here/../bench/quillet/run.sh" "$win"
