#!/usr/bin/env bash
# The alarm road under metacity, which, unlike openbox, draws only the title-bar buttons a window
# asks for: the window manager must offer no action that the program's windows refuse.
source "$(dirname "$0")/lib.sh"
start_display metacity

# Fails when the window manager offers window $1 (named $2) any of the actions that follow.
offers_none() {
  local id=$1 name=$2 actions="" action i
  shift 2
  for i in $(seq 40); do
    actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS 2>/dev/null || true)
    [[ $actions == *_NET_WM_ACTION_MOVE* ]] && break
    sleep 0.05
  done
  [[ $actions == *_NET_WM_ACTION_MOVE* ]] || fail "$name: the window manager set no actions: $actions"
  for action in "$@"; do
    [[ $actions != *"_NET_WM_ACTION_$action"* ]] || fail "$name offers $action: ${actions#*= }"
  done
  echo "$name: ${actions#*= }"
}

start_faked road "2026-06-01 09:59:00"
tintel=$(set_alarm 10:00 "Second")
offers_none "$tintel" "the countdown window" CLOSE MINIMIZE MAXIMIZE

# The alarm time fills the black box at 4,4 (133 x 45) of the client area.
sleep 0.5
xdotool mousemove --window "$tintel" 60 25 click 1
question=$(wait_window "Que voulez-vous faire?" 5)
offers_none "$question" "the what-next dialog" CLOSE MINIMIZE MAXIMIZE
press "$question" Down Return
wait_gone "Que voulez-vous faire?" 3

press "$tintel" F2
about=$(wait_window "À propos de Tintel" 5)
offers_none "$about" "the about window" MINIMIZE MAXIMIZE
press "$about" Escape
wait_gone "À propos de Tintel" 3

# The alarm comes while the user types in another program, which keeps every key.
typist=$(start_typist)
echo "@2026-06-01 09:59:58" >"$WORK/faketime"
message=$(type_through "$typist" "votre message de 10:00:00")
offers_none "$message" "the message window" MINIMIZE MAXIMIZE
press "$message" Return
wait_window "Nouvelle alarme" 5 >/dev/null
wait_gone "Tintel journalière" 3
echo PASS
