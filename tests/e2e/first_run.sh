#!/usr/bin/env bash
# First start, later start and confirmed quit, as seen in the settings file on disk.
source "$(dirname "$0")/lib.sh"
start_display

today=$(date +%d/%m/%Y)
folder=$(cd "$(dirname "$TINTEL")" && pwd)/

start_tintel
splash=$(wait_window Tintel)
owner_mapped "$splash" "the splash"
# Everything is on disk by the time the splash shows.
[[ $(setting_keys) -eq 3 ]] || fail "expected three keys, got: $(cat "$XDG_CONFIG_HOME/tintel.ini")"
[[ $(setting "date de debut") == "$today" ]] || fail "date de debut: $(setting "date de debut")"
[[ $(setting "dossier application") == "$folder" ]] || fail "dossier: $(setting "dossier application")"
[[ $(setting etat) == actif ]] || fail "etat: $(setting etat)"

# The splash hands over to the new-alarm window after about two seconds.
nouveau=$(wait_window "Nouvelle alarme" 6)
wait_gone Tintel 3
kill -0 "$TINTEL_PID" || fail "the program ended after the splash"

# Esc asks, Enter takes the default Yes: "inactif" is on disk and the process is gone.
press "$nouveau" Escape
wait_window TINTEL 5 >/dev/null
press "$(wait_window TINTEL)" Return
wait_exit "$TINTEL_PID" 5
[[ $(setting etat) == inactif ]] || fail "etat after the confirmed quit: $(setting etat)"

# A later start keeps the first-run keys, whatever they hold, and writes only "etat".
sed -i 's|^date de debut=.*|date de debut=pas une date, "ni" ; rien|; s|^dossier application=.*|dossier application=/ailleurs/|' \
  "$XDG_CONFIG_HOME/tintel.ini"
start_tintel second
wait_window Tintel >/dev/null
[[ $(setting "date de debut") == 'pas une date, "ni" ; rien' ]] || fail "date changed: $(setting "date de debut")"
[[ $(setting "dossier application") == /ailleurs/ ]] || fail "folder changed"
[[ $(setting etat) == actif ]] || fail "etat on the later start: $(setting etat)"
kill "$TINTEL_PID"
wait_exit "$TINTEL_PID"

# The file of an earlier build, with escaped key names, is no first run; its keys become plain.
printf '[parametres]\ndate%%20de%%20debut=01/02/2025\ndossier%%20application=/avant/\netat=inactif\n' \
  >"$XDG_CONFIG_HOME/tintel.ini"
start_tintel earlier
wait_window Tintel >/dev/null
[[ $(setting "date de debut") == 01/02/2025 && $(setting "dossier application") == /avant/ &&
  $(setting etat) == actif && $(setting_keys) -eq 3 ]] ||
  fail "earlier build's file: $(cat "$XDG_CONFIG_HOME/tintel.ini")"
kill "$TINTEL_PID"

# A renamed executable is a first run under its new name; the old settings stay as they were.
before=$(cat "$XDG_CONFIG_HOME/tintel.ini")
cp "$TINTEL" "$(dirname "$TINTEL")/rappel-e2e"
trap 'rm -f "$(dirname "$TINTEL")/rappel-e2e"; cleanup' EXIT
start_tintel renamed "$(dirname "$TINTEL")/rappel-e2e"
wait_window Tintel >/dev/null
[[ $(setting "date de debut" "$XDG_CONFIG_HOME/rappel-e2e.ini") == "$today" ]] || fail "renamed: no first run"
[[ $(cat "$XDG_CONFIG_HOME/tintel.ini") == "$before" ]] || fail "the old settings changed"
echo PASS
