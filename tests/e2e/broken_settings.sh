#!/usr/bin/env bash
# A settings store that cannot be written, holds garbage or is a named pipe costs nothing but its
# values; a bus that takes a connection and never answers costs the screen reader, not the start.
source "$(dirname "$0")/lib.sh"
start_display

check_starts() {
  start_tintel "$1"
  wait_window Tintel 2 >/dev/null
  wait_window "Nouvelle alarme" 8 >/dev/null
  kill -0 "$TINTEL_PID" || fail "$1: the program ended"
  [[ $(xdotool search --onlyvisible --pid "$TINTEL_PID" 2>/dev/null | wc -l) -ge 1 ]] || fail "$1: no window"
  for title in Pensez-Y Erreur... TINTEL; do
    [[ $(count_windows "$title") -eq 0 ]] || fail "$1: a '$title' box appeared"
  done
  kill "$TINTEL_PID"
  wait_exit "$TINTEL_PID"
}

touch "$WORK/plainfile"
XDG_CONFIG_HOME=$WORK/plainfile/config check_starts unwritable

mkdir -p "$XDG_CONFIG_HOME"
head -c 4096 /dev/urandom >"$XDG_CONFIG_HOME/tintel.ini"
check_starts corrupt

rm "$XDG_CONFIG_HOME/tintel.ini" && mkfifo "$XDG_CONFIG_HOME/tintel.ini"
check_starts fifo
rm "$XDG_CONFIG_HOME/tintel.ini"

# Accepted into the backlog, never read.
python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(64); time.sleep(3600)' \
  "$WORK/silent" &
PIDS+=($!)
eventually test -S "$WORK/silent" || fail "no silent bus"
AT_SPI_BUS_ADDRESS=unix:path=$WORK/silent check_starts silent-accessibility-bus
DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/silent check_starts silent-session-bus
# A session bus that answers, where the accessibility service has the name and is frozen.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null 2>&1 &
PIDS+=($!)
eventually test -S "$WORK/bus" || fail "no session bus"
/usr/bin/python3 -c 'import os, signal
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
              GLib.Variant("(su)", ("org.a11y.Bus", 0)), None, 0, -1)
print(flush=True)
os.kill(os.getpid(), signal.SIGSTOP)' >"$WORK/frozen" &
PIDS+=($!)
eventually grep -q '^$' "$WORK/frozen" || fail "the accessibility service did not take its name"
check_starts frozen-accessibility-service
grep -q "did not answer" "$WORK/tintel.frozen-accessibility-service.log" ||
  fail "no word of the silent bus: $(cat "$WORK/tintel.frozen-accessibility-service.log")"
echo PASS
