#!/usr/bin/env bash
# The alarm across a year boundary, a suspended process and a clock that jumps.
source "$(dirname "$0")/lib.sh"
start_display

# An alarm for midnight, set on 31/12 after the question, fires on 01/01. Half a minute ahead: set
# after midnight on a busy machine, it would be for 02/01.
start_faked boundary "2026-12-31 23:59:30"
nouveau=$(wait_window "Nouvelle alarme" 8)
enter_alarm "$nouveau" 0:00 "Bonne annee"
question=$(wait_window Attention... 5)
press "$question" Left Return
wait_window "Tintel journalière" 5 >/dev/null
expect_one_firing "votre message de 00:00:00" 35
stop_tintel

# Suspended across the alarm second: fires once on resume.
# A minute ahead: setting the alarm may take a while on a busy machine.
start_faked suspend "2026-06-01 11:59:00"
set_alarm 12:00 "Reprise" >/dev/null
kill -STOP "$TINTEL_PID"
echo "@2026-06-01 12:00:05" >"$WORK/faketime"
# Real time passes while it is stopped, its timer's due time with it.
sleep 2
[[ $(count_windows "votre message de 12:00:00") -eq 0 ]] || fail "fired while stopped"
kill -CONT "$TINTEL_PID"
expect_one_firing "votre message de 12:00:00" 4
stop_tintel

# The wall clock jumps past the alarm: fires once, late; jumping back after it fires nothing.
start_faked jump "2026-06-01 07:00:00"
set_alarm 07:30 "Saut" >/dev/null
echo "@2026-06-01 07:31:00" >"$WORK/faketime"
message=$(wait_window "votre message de 07:30:00" 4)
echo "@2026-06-01 07:29:55" >"$WORK/faketime"
answer "$message" "votre message de 07:30:00" Return
wait_window "Nouvelle alarme" 5 >/dev/null
# Until the clock has passed 07:30 again.
sleep 7
[[ $(count_windows "votre message de 07:30:00") -eq 0 ]] || fail "fired again after the clock went back"
echo PASS
