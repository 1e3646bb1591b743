#!/usr/bin/env bash
# make bench: Tintel and a plain Qt clock measured side by side in one private X server, watched
# from outside by bench/observer.cpp. The samples go to build/bench/samples.txt, and the table
# that scripts/benchstats.py makes of them to stdout and build/bench/results.md.
#
# BENCH_SECONDS shortens the tick runs while working on this script; the table is only worth
# quoting at the default 120 s, on a quiet machine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build/default
TINTEL=$BUILD/app/tintel
BENCH_BIN=${BENCH_BIN:-$BUILD/bench}
OBSERVER=$BENCH_BIN/tintel_bench_observer
BASELINE=$BENCH_BIN/tintel_bench_baseline
OUT_DIR=$ROOT/build/bench
RUN_SECONDS=${BENCH_SECONDS:-120}
STARTS=5
ALARMS=3
for f in "$TINTEL" "$OBSERVER" "$BASELINE"; do
  [[ -x $f ]] || { echo "missing $f: run 'make build' first" >&2; exit 1; }
done
mkdir -p "$OUT_DIR"

source "$ROOT/scripts/xsession.sh"

# One measure a line: its name, the program it is of where it has one, its values.
SAMPLES=$OUT_DIR/samples.txt
: >"$SAMPLES"
record() { echo "$*" >>"$SAMPLES"; }

# The load average as the run starts goes into the table: a busy machine makes every figure
# worse, the baseline's as much as Tintel's, but not always by the same amount.
load_at_start=$(cut -d' ' -f1 /proc/loadavg)
record started "$(date '+%Y-%m-%d %H:%M:%S %Z')"
record cores "$(nproc)"
record load "$load_at_start"
record run_seconds "$RUN_SECONDS"

# The kernel writes it with two decimals.
if ((10#${load_at_start/./} >= 50)); then
  echo "warning: load average $load_at_start; the figures are only worth quoting on a quiet machine" >&2
fi
start_display
echo "display $DISPLAY, load average $load_at_start"

# --- start-up -----------------------------------------------------------------------------
# From fork+exec to the first window being mapped, timed by the observer that starts the program.
# A first start of each writes Tintel's settings and fills the page cache; it is not counted.
launch() { "$OBSERVER" launch --timeout 20 --title "$@"; }
launch Tintel -- "$TINTEL" >/dev/null
launch "Baseline clock" -- "$BASELINE" >/dev/null
tintel_starts=()
baseline_starts=()
for _ in $(seq "$STARTS"); do
  sleep 0.5
  tintel_starts+=("$(launch Tintel -- "$TINTEL")")
  sleep 0.5
  baseline_starts+=("$(launch "Baseline clock" -- "$BASELINE")")
done
record starts tintel "${tintel_starts[@]}"
record starts baseline "${baseline_starts[@]}"
echo "start-up ms: tintel ${tintel_starts[*]} / baseline ${baseline_starts[*]}"

# --- tick phase, CPU and memory -------------------------------------------------------------
# Tintel counts down to an alarm far enough away not to fire during the runs, on the real clock.
now=$(date +%s)
alarm_at=$((now + 1800))
if [[ $(date -d "@$alarm_at" +%F) != $(date -d "@$now" +%F) ]]; then
  # Past midnight the entry would be a question about tomorrow; the last minute of today is
  # still far enough unless the day is nearly over, and then the new day is waited for.
  if (($(date -d "@$now" +%H%M) >= 2350)); then
    sleep $(($(date -d 'tomorrow 00:00:05' +%s) - now))
    alarm_at=$(($(date +%s) + 1800))
  else
    alarm_at=$(date -d "$(date +%F) 23:59" +%s)
  fi
fi
start_tintel ticks
countdown=$(set_alarm "$(date -d "@$alarm_at" +%H:%M)" "Banc essai")
tintel_pid=$TINTEL_PID

"$BASELINE" >"$WORK/baseline.log" 2>&1 &
baseline_pid=$!
PIDS+=("$baseline_pid")
baseline_window=$(wait_window "Baseline clock" 10)
sleep 2

# utime + stime, all threads, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# The same CPU time to the nanosecond, from the scheduler, summed over the threads alive: the figure
# the table uses, since a program idle for 120 s spends only a few of the 10 ms ticks above.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
hwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

tintel_cpu0=$(cpu_ticks "$tintel_pid")
baseline_cpu0=$(cpu_ticks "$baseline_pid")
tintel_ns0=$(cpu_ns "$tintel_pid")
baseline_ns0=$(cpu_ns "$baseline_pid")
idle=$("$OBSERVER" ticks --seconds "$RUN_SECONDS" --out "$OUT_DIR/ticks-idle.txt" \
  tintel="$countdown" baseline="$baseline_window")
record cpu_ticks tintel $(($(cpu_ticks "$tintel_pid") - tintel_cpu0))
record cpu_ticks baseline $(($(cpu_ticks "$baseline_pid") - baseline_cpu0))
record cpu_ns tintel $(($(cpu_ns "$tintel_pid") - tintel_ns0))
record cpu_ns baseline $(($(cpu_ns "$baseline_pid") - baseline_ns0))
echo "$idle"
sed 's/^/idle /' <<<"$idle" >>"$SAMPLES"

# Two busy loops, one per core, at the programs' own priority.
busy=()
for _ in 1 2; do
  sh -c 'while :; do :; done' &
  busy+=($!)
  PIDS+=($!)
done
loaded=$("$OBSERVER" ticks --seconds "$RUN_SECONDS" --out "$OUT_DIR/ticks-loaded.txt" \
  tintel="$countdown" baseline="$baseline_window")
kill "${busy[@]}"
wait "${busy[@]}" 2>/dev/null || true
echo "$loaded"
sed 's/^/loaded /' <<<"$loaded" >>"$SAMPLES"

record hwm_kib tintel "$(hwm_kib "$tintel_pid")"
record hwm_kib baseline "$(hwm_kib "$baseline_pid")"
kill "$baseline_pid" "$tintel_pid"
wait_exit "$tintel_pid"
wait_exit "$baseline_pid"

# --- firing latency -----------------------------------------------------------------------
# Waiting for a real whole minute three times would cost three minutes. Instead Tintel runs on a
# clock a whole number of seconds ahead of the real one (libfaketime's relative offset; the
# monotonic clock its timers use stays real), chosen so that a fake whole minute comes about 14 s
# after the start. The alarm instant on the real clock is that fake minute minus the offset, to
# the nanosecond, and the observer times the message window on the real clock.
latencies=()
for n in $(seq "$ALARMS"); do
  now=$(date +%s)
  offset=$(((46 - now % 60 + 60) % 60))
  minute=$((now + offset - 46 + 60))
  # A fake minute at midnight would be taken for tomorrow's.
  if [[ $(date -d "@$minute" +%H%M) == 0000 ]]; then
    offset=$((offset + 60))
    minute=$((minute + 60))
  fi
  start_faked "fire$n" "+$offset"
  hhmm=$(date -d "@$minute" +%H:%M)
  set_alarm "$hhmm" "Banc essai $n" >/dev/null
  rm -f "$WORK/ready"
  "$OBSERVER" waitmap --title "votre message de $hhmm:00" --timeout 30 --ready "$WORK/ready" \
    >"$WORK/mapped" &
  waiter=$!
  for _ in $(seq 100); do
    [[ -s $WORK/ready ]] && break
    sleep 0.02
  done
  wait "$waiter" || fail "no message window for alarm $n"
  alarm_real_ms=$(((minute - offset) * 1000))
  latencies+=("$(python3 "$ROOT/scripts/benchstats.py" latency "$(cat "$WORK/mapped")" "$alarm_real_ms")")
  press "$(wait_window "votre message de $hhmm:00" 2)" Return
  stop_tintel
done
echo "firing latency ms: ${latencies[*]}"
record latencies "${latencies[@]}"

python3 "$ROOT/scripts/benchstats.py" table "$SAMPLES" >"$OUT_DIR/results.md"
echo
cat "$OUT_DIR/results.md"
