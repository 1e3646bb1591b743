#!/usr/bin/env bash
# Without a display, the program and `make run` say so in one sentence and fail.
set -uo pipefail
TINTEL=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$TINTEL" 2>&1)
rc=$?
[[ $rc -ne 0 ]] || { echo "FAIL: exit status 0"; exit 1; }
[[ $(printf '%s\n' "$out" | wc -l) -eq 1 && $out == *display* ]] || { echo "FAIL: $out"; exit 1; }
out=$(env -u DISPLAY -u WAYLAND_DISPLAY bash "$ROOT/scripts/run.sh" 2>&1)
rc=$?
[[ $rc -ne 0 && $(printf '%s\n' "$out" | wc -l) -eq 1 && $out == *display* ]] || { echo "FAIL: make run said: $out"; exit 1; }
echo PASS
