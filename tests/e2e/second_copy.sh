#!/usr/bin/env bash
# A second copy is refused and changes nothing; a killed copy does not block the next start.
source "$(dirname "$0")/lib.sh"
start_display

start_tintel first
first=$TINTEL_PID
wait_window "Nouvelle alarme" 8 >/dev/null
before=$(cat "$XDG_CONFIG_HOME/tintel.ini")

start_tintel second
second=$TINTEL_PID
box=$(wait_window Pensez-Y)
[[ $(count_windows Tintel) -eq 0 ]] || fail "the refused copy showed a splash"
answer "$box" Pensez-Y Return
wait_exit "$second" 5
kill -0 "$first" || fail "the first copy was disturbed"
[[ $(cat "$XDG_CONFIG_HOME/tintel.ini") == "$before" ]] || fail "the refused copy wrote settings"
[[ $(count_windows "Nouvelle alarme") -eq 1 ]] || fail "expected one new-alarm window"

# The running copy is found whatever runtime folder the second one is given: another one (a
# terminal, a cron job), or one that no one can write (a path through a plain file).
touch "$WORK/plainfile"
mkdir -m 700 "$WORK/runtime2"
for runtime in "$WORK/runtime2" "$WORK/plainfile/runtime"; do
  XDG_RUNTIME_DIR=$runtime start_tintel "other-runtime"
  second=$TINTEL_PID
  box=$(wait_window Pensez-Y) || fail "a copy with runtime folder $runtime was not refused"
  answer "$box" Pensez-Y Return
  wait_exit "$second" 5
  [[ $(cat "$XDG_CONFIG_HOME/tintel.ini") == "$before" ]] || fail "the refused copy wrote settings"
done
kill -0 "$first" || fail "the first copy was disturbed"

# Started at the same moment, exactly one survives.
alive() {
  local pid n=0
  for pid; do kill -0 "$pid" 2>/dev/null && n=$((n + 1)); done
  echo $n
}
kill -9 "$first"
wait_exit "$first"
for round in $(seq 20); do
  start_tintel "a$round"
  a=$TINTEL_PID
  start_tintel "b$round"
  b=$TINTEL_PID
  box=$(wait_window Pensez-Y)
  # Both refused, neither would show its splash or the new-alarm window after it.
  eventually eval '(($(count_windows Tintel) + $(count_windows "Nouvelle alarme") == 1))' &&
    [[ $(count_windows Pensez-Y) -eq 1 ]] || fail "round $round: both copies refused"
  answer "$box" Pensez-Y Return
  eventually eval '[[ $(alive $a $b) -eq 1 ]]' || fail "round $round: $(alive $a $b) copies survive"
  # A copy killed outright leaves no lock that blocks the next start.
  kill -9 "$a" "$b" 2>/dev/null || true
  wait_exit "$a"
  wait_exit "$b"
done
start_tintel last
wait_window Tintel >/dev/null
[[ $(count_windows Pensez-Y) -eq 0 ]] || fail "a killed copy blocked the next start"
echo PASS
