#!/usr/bin/env bash
# A countdown window out of sight, minimised by its own button or by the window manager, or
# covered by a window above every other, still rings at its second, once, and the message stands
# on its own. $TINTEL_COVER is the program that covers a rectangle of the screen.
source "$(dirname "$0")/lib.sh"
start_display

is_iconic() { xprop -id "$1" WM_STATE | grep -q 'state: Iconic'; }

for how in button manager; do
  start_faked "$how" "2026-06-01 11:59:48"
  tintel=$(set_alarm 12:00 "Cachee")
  eventually in_corner "$tintel" || fail "$how: the countdown is not in its corner"
  if [[ $how == button ]]; then
    # cmdReduire sits at 116,52 (9 x 13) in the client area.
    xdotool mousemove --window "$tintel" 120 58 click 1
  else
    xdotool windowminimize "$tintel"
  fi
  minimised=$(wait_title "Tintel: 12:00 (Cachee)" 4)
  eventually is_iconic "$minimised" || fail "$how: the countdown was not minimised"
  expect_one_firing "votre message de 12:00:00" 20 "$how"
  stop_tintel
done

# The countdown keeps itself on top: only a window that the window manager does not stack covers
# it. Uncovered, it shows the time at once and goes on ticking.
TINTEL_COVER=${TINTEL_COVER:-$(dirname "$TINTEL")/../bench/tintel_bench_floor}
[[ -x $TINTEL_COVER ]] || fail "no covering program at $TINTEL_COVER"
shot() { import -window "$1" "$WORK/$2.png"; }
same() { [[ $(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1) == 0 ]]; }
# Whoever selects them on the window: here only the program does.
hears_of_cover() { xwininfo -id "$1" -events | grep -q VisibilityChange; }
start_faked covered "2026-06-01 11:58:00"
tintel=$(set_alarm 12:00 "Cachee")
hears_of_cover "$tintel" || fail "covered: the countdown does not ask to hear of being covered"
# Qt writes the window's event mask afresh when its on-top state changes. cmdOnTop sits at
# 128,52 (9 x 13).
for state in off on; do
  xdotool mousemove --window "$tintel" 132 58 click 1
  eventually eval '[[ $(always_on_top "$tintel" && echo on || echo off) == "$state" ]]' ||
    fail "covered: the button did not turn on top $state"
  hears_of_cover "$tintel" || fail "covered: on top $state, the countdown no longer hears of being covered"
done
always_on_top "$tintel" || fail "covered: the countdown is not on top again"
# A countdown that did not catch up would show, until its next tick, the picture it had as the
# cover came: the same as just before it, unless a tick fell in between. Three rounds, so that
# such a tick cannot hide the fault.
for round in 1 2 3; do
  shot "$tintel" before
  cover "$tintel" "$TINTEL_COVER"
  # Ticks go by under the cover.
  sleep 2.2
  uncover
  sleep 0.1
  shot "$tintel" uncovered
  same before uncovered && fail "covered: round $round, the countdown showed its picture of before the cover"
done
# A tick later.
sleep 1.1
shot "$tintel" later
same uncovered later && fail "covered: the countdown stood still once uncovered"
# Minimised under the cover and restored once uncovered: the same, whatever it heard meanwhile.
cover "$tintel" "$TINTEL_COVER"
xdotool windowminimize --sync "$tintel"
# Ticks go by out of sight.
sleep 1.5
uncover
xdotool windowactivate --sync "$tintel"
# Shown, it paints in its own time, which nothing on the screen tells.
sleep 0.3
shot "$tintel" restored
# A tick later.
sleep 1.1
shot "$tintel" restored_later
same later restored && fail "covered: the countdown showed an old picture once restored"
same restored restored_later && fail "covered: the countdown stood still once restored"
cover "$tintel" "$TINTEL_COVER"
echo "@2026-06-01 11:59:57" >"$WORK/faketime"
# Short of the alarm second.
sleep 1.5
[[ $(count_windows "votre message de 12:00:00") -eq 0 ]] || fail "covered: the alarm rang early"
message=$(wait_window "votre message de 12:00:00" 5)
[[ $(count_windows "votre message de 12:00:00") -eq 1 ]] || fail "covered: more than one message window"
uncover
answer "$message" "votre message de 12:00:00" Return
wait_window "Nouvelle alarme" 5 >/dev/null
# A second firing would come within two seconds.
sleep 2
[[ $(count_windows "votre message de 12:00:00") -eq 0 ]] || fail "covered: the alarm fired again"
stop_tintel
echo PASS
