#!/usr/bin/env bash
# Without a display, the program and `make run` say so in one sentence and fail.
set -uo pipefail
TINTEL=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$TINTEL" 2>&1)
rc=$?
[[ $rc -ne 0 ]] || { echo "FAIL: exit status 0"; exit 1; }
said="Tintel a besoin d'un bureau graphique : aucun affichage n'est disponible.
Tintel needs a graphical desktop, and no display was found (DISPLAY and WAYLAND_DISPLAY are not set)."
[[ $out == "$said" ]] || { echo "FAIL: $out"; exit 1; }
out=$(env -u DISPLAY -u WAYLAND_DISPLAY bash "$ROOT/scripts/run.sh" 2>&1)
rc=$?
[[ $rc -ne 0 && $(printf '%s\n' "$out" | wc -l) -eq 1 && $out == *display* ]] || { echo "FAIL: make run said: $out"; exit 1; }
# A platform chosen by the user that is not X11 leaves the X11-only parts out, and the program runs.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$scratch" \
  XDG_RUNTIME_DIR="$scratch/runtime" timeout 3 "$TINTEL" >"$scratch/log" 2>&1
rc=$?
[[ $rc -eq 124 ]] || { echo "FAIL: offscreen run ended with status $rc: $(cat "$scratch/log")"; exit 1; }
echo PASS
