#!/usr/bin/env bash
# Fixture clean-up: end the prefix's processes and our own Xvfb (by the pid we saved).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${QB_RIG_DIR:?}"
if [ -d "$QB_RIG_DIR/prefix" ]; then
  ( . "$here/env.sh"; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null ) || true
fi
if [ -f "$QB_RIG_DIR/xvfb.pid" ]; then
  kill "$(cat "$QB_RIG_DIR/xvfb.pid")" 2>/dev/null || true
  rm -f "$QB_RIG_DIR/xvfb.pid"
fi
rm -f "$QB_RIG_DIR/display"
exit 0
