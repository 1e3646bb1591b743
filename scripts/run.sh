#!/usr/bin/env bash
# Starts the freshly built Tintel on the user's desktop.
set -euo pipefail
binary="$(dirname "$0")/../build/default/app/tintel"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "make run: no graphical display found (DISPLAY and WAYLAND_DISPLAY are unset); run it from a desktop session." >&2
  exit 1
fi
exec "$binary"
