#!/usr/bin/env bash
# The C++ sources git tracks against .clang-format, with the clang-format the set-up installs
# (Debian 12's, version 14: another version may lay out the same file differently).
#   scripts/format.sh         fails naming each file that is not formatted (the lint tier)
#   scripts/format.sh --fix   formats them in place
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$tool" ] || { echo "clang-format is not installed (scripts/install-deps.sh check)"; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! "$tool" --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "$f: not formatted (scripts/format.sh --fix)"
    bad=1
  fi
done
exit $bad
