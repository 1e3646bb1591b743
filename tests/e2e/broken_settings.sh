#!/usr/bin/env bash
# A settings store that cannot be written, holds garbage or is a named pipe costs nothing but its
# values.
source "$(dirname "$0")/lib.sh"
start_display

check_starts() {
  start_tintel "$1"
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
echo PASS
