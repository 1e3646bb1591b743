#!/usr/bin/env bash
# make bench: Tintel, a plain Qt clock and a bare xcb clock (the floor) measured side by side in
# one private X server, watched from outside by bench/observer.cpp. The samples go to
# build/bench/samples.txt, and the table that scripts/benchstats.py makes of them to stdout and
# build/bench/results.md.
#
# BENCH_SECONDS shortens the tick runs, BENCH_HIDDEN_SECONDS the runs of the countdown shown,
# minimised and covered, and BENCH_DESKTOP_SECONDS and BENCH_DESKTOP_ROUNDS each program's runs
# under mutter, while working on this script; the table is only worth quoting at the defaults
# (120 s, 60 s, 30 s, 5 rounds), on a quiet machine.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build/default
TINTEL=$BUILD/app/tintel
BENCH_BIN=${BENCH_BIN:-$BUILD/bench}
OBSERVER=$BENCH_BIN/tintel_bench_observer
BASELINE=$BENCH_BIN/tintel_bench_baseline
FLOOR=$BENCH_BIN/tintel_bench_floor
OUT_DIR=$ROOT/build/bench
RUN_SECONDS=${BENCH_SECONDS:-120}
HIDDEN_SECONDS=${BENCH_HIDDEN_SECONDS:-60}
DESKTOP_SECONDS=${BENCH_DESKTOP_SECONDS:-30}
DESKTOP_ROUNDS=${BENCH_DESKTOP_ROUNDS:-5}
STARTS=15
ALARMS=5
for f in "$TINTEL" "$OBSERVER" "$BASELINE" "$FLOOR"; do
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
record hidden_seconds "$HIDDEN_SECONDS"

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
launch "Floor clock" -- "$FLOOR" >/dev/null
tintel_starts=()
baseline_starts=()
floor_starts=()
for _ in $(seq "$STARTS"); do
  sleep 0.5
  tintel_starts+=("$(launch Tintel -- "$TINTEL")")
  sleep 0.5
  baseline_starts+=("$(launch "Baseline clock" -- "$BASELINE")")
  sleep 0.5
  floor_starts+=("$(launch "Floor clock" -- "$FLOOR")")
done
record starts tintel "${tintel_starts[@]}"
record starts baseline "${baseline_starts[@]}"
record starts floor "${floor_starts[@]}"
echo "start-up ms: tintel ${tintel_starts[*]} / baseline ${baseline_starts[*]}" \
  "/ floor ${floor_starts[*]}"

# --- tick phase, CPU and memory -------------------------------------------------------------
# Tintel counts down to an alarm far enough away not to fire during a run, on the real clock.
far_alarm() {
  local now alarm_at
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
  date -d "@$alarm_at" +%H:%M
}
start_tintel ticks
countdown=$(set_alarm "$(far_alarm)" "Banc essai")
tintel_pid=$TINTEL_PID

"$BASELINE" >"$WORK/baseline.log" 2>&1 &
baseline_pid=$!
PIDS+=("$baseline_pid")
baseline_window=$(wait_window "Baseline clock" 10)
"$FLOOR" >"$WORK/floor.log" 2>&1 &
floor_pid=$!
PIDS+=("$floor_pid")
floor_window=$(wait_window "Floor clock" 10)
sleep 2

# utime + stime, all threads, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# The same CPU time to the nanosecond, from the scheduler, summed over the threads alive: the figure
# the table uses, since a program idle for 120 s spends only a few of the 10 ms ticks above.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
hwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
# Context switches of each thread alive, as TID:VOLUNTARY:INVOLUNTARY: benchstats.py matches the
# threads of two readings, since one born in between counts from zero.
switches() {
  local status tid
  for status in /proc/"$1"/task/*/status; do
    tid=${status%/status}
    awk -v tid="${tid##*/}" '/^voluntary_ctxt_switches:/ { v = $2 }
      /^nonvoluntary_ctxt_switches:/ { n = $2 }
      END { if (v != "") printf "%s:%s:%s\n", tid, v, n }' "$status" 2>/dev/null || true
  done | paste -sd' '
}

declare -A pid_of=([tintel]=$tintel_pid [baseline]=$baseline_pid [floor]=$floor_pid)
declare -A cpu0 ns0
for who in tintel baseline floor; do
  cpu0[$who]=$(cpu_ticks "${pid_of[$who]}")
  ns0[$who]=$(cpu_ns "${pid_of[$who]}")
  record switches_before "$who" "$(switches "${pid_of[$who]}")"
done
idle=$("$OBSERVER" ticks --seconds "$RUN_SECONDS" --out "$OUT_DIR/ticks-idle.txt" \
  tintel="$countdown" baseline="$baseline_window" floor="$floor_window")
for who in tintel baseline floor; do
  record switches_after "$who" "$(switches "${pid_of[$who]}")"
  record cpu_ticks "$who" $(($(cpu_ticks "${pid_of[$who]}") - cpu0[$who]))
  record cpu_ns "$who" $(($(cpu_ns "${pid_of[$who]}") - ns0[$who]))
done
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
  tintel="$countdown" baseline="$baseline_window" floor="$floor_window")
kill "${busy[@]}"
wait "${busy[@]}" 2>/dev/null || true
echo "$loaded"
sed 's/^/loaded /' <<<"$loaded" >>"$SAMPLES"

for who in tintel baseline floor; do
  record hwm_kib "$who" "$(hwm_kib "${pid_of[$who]}")"
done
kill "$baseline_pid" "$floor_pid"
wait_exit "$baseline_pid"
wait_exit "$floor_pid"

# --- the countdown shown, covered, minimised ------------------------------------------------
# Tintel alone, the same countdown: a window nobody sees should cost less than one on screen.
hide() {
  case $2 in
    covered) cover "$1" "$FLOOR" ;;
    minimised)
      xdotool windowminimize --sync "$1"
      [[ $(xprop -id "$1" WM_STATE) == *Iconic* ]] || fail "the countdown window did not minimise"
      ;;
  esac
}
unhide() {
  if [[ $1 == covered ]]; then uncover; fi
}
for how in shown covered minimised; do
  hide "$countdown" "$how"
  sleep 1
  ns_before=$(cpu_ns "$tintel_pid")
  record "switches_before_$how" tintel "$(switches "$tintel_pid")"
  sleep "$HIDDEN_SECONDS"
  record "switches_after_$how" tintel "$(switches "$tintel_pid")"
  record "cpu_ns_$how" tintel $(($(cpu_ns "$tintel_pid") - ns_before))
  unhide "$how"
done
echo "countdown shown, covered, minimised: done"
kill "$tintel_pid"
wait_exit "$tintel_pid"

# --- the desktop sound ------------------------------------------------------------------------
# The firing runs get a private sound server with a null sink, and the moment it creates the
# stream of the bell sound is stamped on the real clock as pactl reports it. Without PulseAudio,
# or with a program built without libcanberra, the sound goes unmeasured.
SOUND_EVENTS=$WORK/sound-events
start_sound_server() {
  local tool i
  for tool in pulseaudio pactl stdbuf; do
    command -v "$tool" >/dev/null || return 1
  done
  plays_desktop_sound || return 1
  mkdir -p "$WORK/pulse" "$WORK/home"
  chmod 700 "$WORK/pulse"
  printf '%s\n' "load-module module-native-protocol-unix auth-anonymous=1" \
    "load-module module-null-sink sink_name=bench_null" "set-default-sink bench_null" \
    >"$WORK/pulse.pa"
  # -n leaves out the machine's own configuration; as root PulseAudio warns and runs.
  PULSE_RUNTIME_PATH=$WORK/pulse HOME=$WORK/home pulseaudio -n --daemonize=no \
    --exit-idle-time=-1 --disallow-exit --use-pid-file=no -F "$WORK/pulse.pa" \
    --log-target=file:"$WORK/pulse.log" &
  PIDS+=($!)
  export PULSE_SERVER=unix:$WORK/pulse/native
  for i in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
  done
  pactl info >/dev/null 2>&1 || return 1
  stdbuf -oL pactl subscribe 2>/dev/null | python3 -u -c 'import sys, time
for line in sys.stdin:
    print(f"{time.time() * 1000:.3f} {line.strip()}", flush=True)' >"$SOUND_EVENTS" &
  PIDS+=($!)
}
sound=no
if start_sound_server; then
  sound=yes
else
  export PULSE_SERVER=unix:$WORK/no-sound-server
  echo "note: no sound server; the desktop sound is not measured" >&2
fi
# The instant (ms) of the first stream the sound server created after line $1 of its events.
sound_started() {
  local from=$1 i at
  for i in $(seq 40); do
    at=$(tail -n +$((from + 1)) "$SOUND_EVENTS" | awk "/'new' on sink-input/ { print \$1; exit }")
    [[ -n $at ]] && { echo "$at"; return 0; }
    sleep 0.05
  done
  echo none
}

# --- firing latency -----------------------------------------------------------------------
# Waiting for a real whole minute for each alarm would cost minutes. Instead Tintel runs on a
# clock a whole number of seconds ahead of the real one (libfaketime's relative offset; the
# monotonic clock its timers use stays real), chosen so that a fake whole minute comes about 14 s
# after the start. The alarm instant on the real clock is that fake minute minus the offset, to
# the nanosecond, and the observer times the message window and the X bell on the real clock.
# Sets FIRED, RANG and SOUNDED, the latencies of the window, of the X bell and of the desktop
# sound in ms; $2 hides the countdown first.
fire() {
  local n=$1 how=$2 now offset minute hhmm countdown waiter alarm_real_ms mapped bell events=0
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
  countdown=$(set_alarm "$hhmm" "Banc essai $n")
  hide "$countdown" "$how"
  [[ $sound == yes ]] && events=$(wc -l <"$SOUND_EVENTS")
  rm -f "$WORK/ready"
  "$OBSERVER" waitmap --title "votre message de $hhmm:00" --timeout 30 --ready "$WORK/ready" \
    --bell >"$WORK/mapped" &
  waiter=$!
  for _ in $(seq 100); do
    [[ -s $WORK/ready ]] && break
    sleep 0.02
  done
  wait "$waiter" || fail "no message window for alarm $n ($how)"
  alarm_real_ms=$(((minute - offset) * 1000))
  read -r mapped bell <"$WORK/mapped"
  FIRED=$(python3 "$ROOT/scripts/benchstats.py" latency "$mapped" "$alarm_real_ms")
  RANG=$bell
  [[ $bell == none ]] ||
    RANG=$(python3 "$ROOT/scripts/benchstats.py" latency "$bell" "$alarm_real_ms")
  SOUNDED=none
  if [[ $sound == yes ]]; then
    SOUNDED=$(sound_started "$events")
    [[ $SOUNDED == none ]] ||
      SOUNDED=$(python3 "$ROOT/scripts/benchstats.py" latency "$SOUNDED" "$alarm_real_ms")
  fi
  press "$(wait_window "votre message de $hhmm:00" 2)" Return
  unhide "$how"
  stop_tintel
}
latencies=()
bells=()
sounds=()
for n in $(seq "$ALARMS"); do
  fire "$n" shown
  latencies+=("$FIRED")
  bells+=("$RANG")
  sounds+=("$SOUNDED")
done
echo "firing latency ms: ${latencies[*]}; X bell ms: ${bells[*]}; desktop sound ms: ${sounds[*]}"
record latencies "${latencies[@]}"
record bells "${bells[@]}"
[[ $sound == yes ]] && record sounds "${sounds[@]}"
for how in minimised covered; do
  fire "$how" "$how"
  echo "firing latency, countdown $how, ms: $FIRED"
  record "latency_$how" "$FIRED"
done

# --- the whole desktop, under mutter -----------------------------------------------------------
# On a compositing desktop every second's picture also costs the X server and the compositor.
# GNOME's compositor on Wayland, headless, with XWayland: each program alone in turn, its clock
# shown, and the CPU of the program, of XWayland and of mutter over the same time, in rounds one
# after the other, of which the median counts: now and then mutter spends a second or more
# redrawing (never with no window shown), and its cost drifts by a tenth over minutes.
start_display gnome-wayland 1280x800
xwayland_pid=$(pgrep -P "$DESKTOP_PID" -x Xwayland)
record desktop "$(mutter --version | head -n1)"
record desktop_seconds "$DESKTOP_SECONDS"
declare -A desktop_spent
desktop_run() {
  local who=$1 pid=$2 p before=() spent=()
  sleep 2
  for p in "$pid" "$xwayland_pid" "$DESKTOP_PID"; do before+=("$(cpu_ns "$p")"); done
  sleep "$DESKTOP_SECONDS"
  for p in "$pid" "$xwayland_pid" "$DESKTOP_PID"; do
    spent+=($(($(cpu_ns "$p") - before[${#spent[@]}])))
  done
  desktop_spent[$who]+=" ${spent[*]}"
  kill "$pid"
  wait_exit "$pid"
}
declare -A clock_program=([baseline]=$BASELINE [floor]=$FLOOR)
declare -A clock_title=([baseline]="Baseline clock" [floor]="Floor clock")
for _ in $(seq "$DESKTOP_ROUNDS"); do
  start_tintel desktop
  set_alarm "$(far_alarm)" "Banc essai" >/dev/null
  desktop_run tintel "$TINTEL_PID"
  for who in baseline floor; do
    "${clock_program[$who]}" >"$WORK/$who.desktop.log" 2>&1 &
    clock_pid=$!
    PIDS+=("$clock_pid")
    wait_window "${clock_title[$who]}" 10 >/dev/null
    desktop_run "$who" "$clock_pid"
  done
done
for who in tintel baseline floor; do
  record desktop_cpu_ns "$who" ${desktop_spent[$who]}
done
echo "under mutter: done"

python3 "$ROOT/scripts/benchstats.py" table "$SAMPLES" >"$OUT_DIR/results.md"
echo
cat "$OUT_DIR/results.md"
