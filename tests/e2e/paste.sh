#!/usr/bin/env bash
# Text pasted into the time box goes through the filter whatever the road; a huge message in
# several scripts and with every kind of line break still reaches the message window.
source "$(dirname "$0")/lib.sh"
start_display

# Client-area points of the new-alarm window's boxes.
TIME_BOX="30 34"
MESSAGE_BOX="200 60"

click_at() { xdotool mousemove --window "$1" "${@:3}" click "$2"; }

# With a message present, Enter on an empty time box says the time is missing; a time that got
# in would be accepted or refused as not valid instead.
expect_time_box_empty() {
  press "$1" Return
  local box
  box=$(wait_window "Donnée manquante" 5)
  press "$box" Return
  wait_gone "Donnée manquante" 3
}

start_faked paste "2026-06-01 09:59:00"
nouveau=$(wait_window "Nouvelle alarme" 8)
eventually has_keyboard "$nouveau" || fail "the new-alarm window has not the keyboard"
click_at "$nouveau" 1 $MESSAGE_BOX
xdotool type --delay 20 "msg"

for road in middle-click ctrl+v shift+Insert; do
  if [[ $road == middle-click ]]; then
    printf '12:3a' | xclip -selection primary
    click_at "$nouveau" 2 $TIME_BOX
  else
    printf '12:3a' | xclip -selection clipboard
    click_at "$nouveau" 1 $TIME_BOX
    xdotool key "$road"
  fi
  box=$(wait_window "Donnée non valide" 5) || fail "$road: no refusal"
  press "$box" Return
  wait_gone "Donnée non valide" 3
  expect_time_box_empty "$nouveau"
done

# Accepted text goes in whole: the alarm is then set for 10:30.
printf '10:30' | xclip -selection primary
click_at "$nouveau" 2 $TIME_BOX
xdotool key Return
tintel=$(wait_window "Tintel journalière" 10)
eventually in_corner "$tintel" || fail "the countdown is not in its corner"
xdotool mousemove --window "$tintel" 120 58 click 1
wait_title "Tintel: 10:30 (msg)" 5 >/dev/null
pkill -P $$ xclip 2>/dev/null || true
stop_tintel

# A message of one megabyte, in several scripts and with every kind of line break.
line=$'Réunion — 会议 — اجتماع — встреча — 🔔\r\nsuite\rpuis\nencore\u2028et\u2029fin. '
message=$line
while ((${#message} < 1048576)); do message+=$message; done
message=${message:0:1048576}
printf '%s' "$message" | xclip -selection clipboard
start_faked huge "2026-06-01 09:59:40"
nouveau=$(wait_window "Nouvelle alarme" 8)
eventually has_keyboard "$nouveau" || fail "the new-alarm window has not the keyboard"
click_at "$nouveau" 1 $MESSAGE_BOX
xdotool key ctrl+v
click_at "$nouveau" 1 $TIME_BOX
xdotool type --delay 20 "10:00"
xdotool key Return
wait_window "Tintel journalière" 10 >/dev/null
shown=$(wait_window "votre message de 10:00:00" 30)
kill -0 "$TINTEL_PID" || fail "the program died with the big message"
answer "$shown" "votre message de 10:00:00" Return
wait_window "Nouvelle alarme" 10 >/dev/null
echo PASS
