#!/usr/bin/env bash
# A countdown on screen costs the machine one wake-up a second: the tick. A program that waits on
# the X server while it paints, or wakes before its second, blocks two to four times as often;
# one that waits on the window manager in the alarm second, hundreds of times.
source "$(dirname "$0")/lib.sh"
start_display

# Times a thread of the program gave up the processor of its own accord, all threads summed.
voluntary_switches() {
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches:/ { s += $2 } END { print s }'
}

start_faked quiet "2026-06-01 10:00:00"
set_alarm 10:30 "Calme" >/dev/null
# The window's first seconds carry its start-up work.
sleep 2
SECONDS_WATCHED=8
before=$(voluntary_switches "$TINTEL_PID")
sleep "$SECONDS_WATCHED"
after=$(voluntary_switches "$TINTEL_PID")
per_second=$(awk -v n=$((after - before)) -v s=$SECONDS_WATCHED 'BEGIN { printf "%.2f", n / s }')
echo "wake-ups a second with the countdown shown: $per_second"
awk -v r="$per_second" 'BEGIN { exit !(r >= 0.75 && r <= 1.75) }' ||
  fail "the countdown woke $per_second times a second, not about once"
stop_tintel

# A window manager that says it tells frames, then answers nothing.
start_faked mute "2026-06-01 10:29:40"
set_alarm 10:30 "Muet" >/dev/null
kill "$XSESSION_WM_PID"
wait_exit "$XSESSION_WM_PID"
xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _NET_REQUEST_FRAME_EXTENTS
echo "@2026-06-01 10:29:52" >"$WORK/faketime"
# Ten seconds ahead, a tick asks about the message's kind of window, for a fifth of a second.
sleep 2
before=$(voluntary_switches "$TINTEL_PID")
echo "@2026-06-01 10:30:00" >"$WORK/faketime"
wait_window "votre message de 10:30:00" 5 >/dev/null
after=$(voluntary_switches "$TINTEL_PID")
echo "wake-ups from before the alarm second to its message: $((after - before))"
((after - before < 1000)) || fail "the alarm second waited on the window manager"
stop_tintel
echo PASS
