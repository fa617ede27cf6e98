#!/usr/bin/env bash
# Lines of product code against lines of tests, over the files git tracks.
#   code:          .cpp .h .hpp .c .rc outside tests/ and bench/
#   all of tests/: .cpp .h .hpp .sh .py under tests/
#   tests proper:  the same without tests/fixtures, tests/rig, tests/support, tests/tour
# Goals: tests proper at most 35% of the code, all of tests/ at most 60%.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { grep -E "$1" | { xargs -r cat -- 2>/dev/null || true; } | wc -l; }
files=$(git ls-files)
code=$(grep -vE '^(tests|bench)/' <<<"$files" | lines '\.(cpp|h|hpp|c|rc)$')
tests=$(grep -E '^tests/' <<<"$files" | lines '\.(cpp|h|hpp|sh|py)$')
proper=$(grep -E '^tests/' <<<"$files" | grep -vE '^tests/(fixtures|rig|support|tour)/' | lines '\.(cpp|h|hpp|sh|py)$')
pct() { awk -v a="$1" -v b="$code" 'BEGIN { printf "%.1f%%", 100 * a / b }'; }
printf 'code           %6d\n' "$code"
printf 'tests proper   %6d  %s of code (goal: at most 35%%)\n' "$proper" "$(pct "$proper")"
printf 'all of tests/  %6d  %s of code (goal: at most 60%%)\n' "$tests" "$(pct "$tests")"
