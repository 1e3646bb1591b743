#!/usr/bin/env bash
# The program as a screen-reader user meets it: every window's controls by name on the
# accessibility bus, the countdown and the alarm driven from there, and the alarm message among
# what Orca says, whoever has the keyboard.
source "$(dirname "$0")/lib.sh"
start_display
start_screen_reader
walk() { WORK=$WORK /usr/bin/python3 "$E2E_DIR/screen_reader.py" "$@" || fail "walking ${*@Q}"; }

# The splash shows for two seconds: it is looked for from before the start.
walk Tintel &
splash=$!
start_faked reader "2026-06-01 08:58:00"
wait "$splash" || exit 1
nouveau=$(wait_window "Nouvelle alarme" 8)
walk "Nouvelle alarme"
press "$nouveau" F2
walk "À propos de Tintel"
press "$(wait_window "À propos de Tintel")" Escape
enter_alarm "$nouveau" 10:00 "Appeler le garage"
walk countdown
walk message 10:00 alert

nouveau=$(wait_window "Nouvelle alarme" 5)
press "$nouveau" Escape
walk TINTEL
press "$(wait_window TINTEL)" alt+n
wait_gone TINTEL 3

# The alarm comes while the user types in another program.
enter_alarm "$nouveau" 10:01 "Appeler le garage"
wait_window "Tintel journalière" 5 >/dev/null
start_typist >/dev/null
walk message 10:01 notification
echo PASS
