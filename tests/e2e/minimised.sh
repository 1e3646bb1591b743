#!/usr/bin/env bash
# A countdown window out of sight, minimised by its own button or by the window manager, still
# rings at its second, once, and the message stands on its own.
source "$(dirname "$0")/lib.sh"
start_display

is_iconic() { xprop -id "$1" WM_STATE | grep -q 'state: Iconic'; }

for how in button manager; do
  start_faked "$how" "2026-06-01 11:59:48"
  tintel=$(set_alarm 12:00 "Cachee")
  sleep 0.5
  if [[ $how == button ]]; then
    # cmdReduire sits at 116,52 (9 x 13) in the client area.
    xdotool mousemove --window "$tintel" 120 58 click 1
  else
    xdotool windowminimize "$tintel"
  fi
  minimised=$(xdotool search --name "^Tintel: 12:00 \\(Cachee\\)\$" | head -n1)
  for _ in $(seq 40); do
    [[ -n $minimised ]] && is_iconic "$minimised" && break
    sleep 0.1
    minimised=$(xdotool search --name "^Tintel: 12:00 \\(Cachee\\)\$" | head -n1)
  done
  [[ -n $minimised ]] && is_iconic "$minimised" || fail "$how: the countdown was not minimised"
  message=$(wait_window "votre message de 12:00:00" 20)
  [[ $(count_windows "votre message de 12:00:00") -eq 1 ]] || fail "$how: more than one message window"
  press "$message" Return
  wait_window "Nouvelle alarme" 5 >/dev/null
  sleep 2
  [[ $(count_windows "votre message de 12:00:00") -eq 0 ]] || fail "$how: the alarm fired again"
  stop_tintel
done
echo PASS
