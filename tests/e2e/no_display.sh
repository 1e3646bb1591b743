#!/usr/bin/env bash
# Without a display it can use, the program says so in its own words, French then English, and
# fails; so does `make run` without any display.
set -uo pipefail
TINTEL=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# Fails unless the program, in the environment given after the words it must say, says them and
# ends with status 2: no abort, no core. A forced xcb, the platform it runs on anyway, changes
# nothing.
says() {
  local said=$1 out rc platform
  shift
  for platform in "" xcb; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE \
      ${platform:+QT_QPA_PLATFORM=$platform} "$@" "$TINTEL" 2>&1)
    rc=$?
    [[ $rc -eq 2 && $out == "$said" ]] || { echo "FAIL ($platform $*): status $rc: $out"; exit 1; }
  done
}
says "Tintel a besoin d'un bureau graphique : aucun affichage n'est disponible.
Tintel needs a graphical desktop, and no display was found (DISPLAY and WAYLAND_DISPLAY are not set)."
says "Tintel a besoin de X11 pour garder son compte à rebours au premier plan, et cette session Wayland n'a pas XWayland (DISPLAY n'est pas défini).
Tintel needs X11 to keep its countdown on top, and this Wayland session has no XWayland (DISPLAY is not set)." \
  WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
# A display whose server is gone: nothing listens on display 4095.
says "Tintel a besoin d'un bureau graphique : l'affichage :4095 ne répond pas.
Tintel needs a graphical desktop, and the display :4095 does not answer." DISPLAY=:4095
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
