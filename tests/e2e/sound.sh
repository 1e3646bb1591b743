#!/usr/bin/env bash
# The alarm's beep as the desktop's sound server hears it: a private PulseAudio with a null sink
# whose monitor is recorded while the real program fires an alarm.
source "$(dirname "$0")/lib.sh"

skip() {
  echo "SKIP: $*"
  exit 77
}
for tool in pulseaudio pactl parecord python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
plays_desktop_sound || skip "the program was built without libcanberra"

RATE=48000
mkdir -p "$WORK/pulse" "$WORK/home"
chmod 700 "$WORK/pulse"
export PULSE_RUNTIME_PATH=$WORK/pulse HOME=$WORK/home PULSE_SERVER=unix:$WORK/pulse/native
cat >"$WORK/pulse.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=tintel_null rate=$RATE channels=1
set-default-sink tintel_null
PA
# As root, PulseAudio warns and runs; -n leaves out the machine's own configuration. Each server
# logs to its own file: $1.log.
start_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -F "$WORK/pulse.pa" --log-level=info --log-target=file:"$WORK/$1.log" &
  SERVER=$!
  PIDS+=($SERVER)
  eventually -t 5 eval 'pactl info >/dev/null 2>&1' && return 0
  cat "$WORK/$1.log" >&2 || true
  return 1
}
start_server first || skip "no PulseAudio server could be started here"

start_display

# A desktop whose settings daemon names a sound theme of the user's own, which has a bell.
THEME=tintel-e2e
export XDG_DATA_HOME=$WORK/data
mkdir -p "$XDG_DATA_HOME/sounds/$THEME/stereo"
printf '[Sound Theme]\nName=%s\nDirectories=stereo\n\n[stereo]\nOutputProfile=stereo\n' "$THEME" \
  >"$XDG_DATA_HOME/sounds/$THEME/index.theme"
cp /usr/share/sounds/freedesktop/stereo/bell.oga "$XDG_DATA_HOME/sounds/$THEME/stereo/"
python3 - "$THEME" "$WORK/xsettings.ready" <<'PY' &
import ctypes as c, struct, sys, time
x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XDefaultRootWindow.argtypes = [c.c_void_p]
x.XDefaultRootWindow.restype = c.c_ulong
x.XCreateSimpleWindow.argtypes = [c.c_void_p, c.c_ulong] + [c.c_int] * 2 + [c.c_uint] * 3 + [c.c_ulong] * 2
x.XCreateSimpleWindow.restype = c.c_ulong
x.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]
x.XInternAtom.restype = c.c_ulong
x.XSetSelectionOwner.argtypes = [c.c_void_p, c.c_ulong, c.c_ulong, c.c_ulong]
x.XChangeProperty.argtypes = [c.c_void_p] + [c.c_ulong] * 3 + [c.c_int] * 2 + [c.c_char_p, c.c_int]
x.XSync.argtypes = [c.c_void_p, c.c_int]
pad = lambda b: b + bytes(-len(b) % 4)
name, value = b"Net/SoundThemeName", sys.argv[1].encode()
blob = (struct.pack("<B3xII", 0, 1, 1) + struct.pack("<BxH", 1, len(name)) + pad(name)
        + struct.pack("<II", 0, len(value)) + pad(value))
d = x.XOpenDisplay(None)
w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)
settings = x.XInternAtom(d, b"_XSETTINGS_SETTINGS", 0)
x.XChangeProperty(d, w, settings, settings, 8, 0, blob, len(blob))
x.XSetSelectionOwner(d, x.XInternAtom(d, b"_XSETTINGS_S0", 0), w, 0)
x.XSync(d, 0)
open(sys.argv[2], "w").close()
time.sleep(3600)
PY
PIDS+=($!)
eventually -t 5 test -e "$WORK/xsettings.ready" || fail "the stand-in settings daemon did not start"

# The monitor recorded with the arrival time of every read: a sample's position then tells when
# it was heard, to the few milliseconds of the recording's latency.
start_recorder() {
  python3 - "$WORK/rec" "$RATE" <<'PY' &
import os, signal, subprocess, sys, time
path, rate = sys.argv[1], sys.argv[2]
rec = subprocess.Popen(["parecord", "--raw", "--latency-msec=20", "-d", "tintel_null.monitor",
                        "--format=s16le", "--rate=" + rate, "--channels=1"], stdout=subprocess.PIPE)
signal.signal(signal.SIGTERM, lambda *_: (rec.kill(), sys.exit(0)))
total = 0
with open(path + ".raw", "wb") as raw, open(path + ".times", "w") as times:
    while chunk := os.read(rec.stdout.fileno(), 65536):
        now = time.time()
        total += len(chunk)
        raw.write(chunk)
        times.write(f"{now:.6f} {total}\n")
        raw.flush()
        times.flush()
PY
  RECORDER=$!
  PIDS+=($RECORDER)
}

# Onsets of the sounds recorded, in ms after the real instant $1.
onsets() {
  python3 - "$WORK/rec" "$RATE" "$1" <<'PY'
import array, sys
path, rate, alarm = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
samples = array.array("h", open(path + ".raw", "rb").read())
start = min(t - n / 2 / rate for t, n in (map(float, l.split()) for l in open(path + ".times")))
window = rate // 200  # 5 ms
loud = [i for i in range(0, len(samples) - window, window)
        if max(map(abs, samples[i:i + window])) > 1000]
bursts, last = [], None
for i in loud:  # sounds less than 200 ms apart are one burst
    if last is None or i - last > rate // 5:
        bursts.append(start + i / rate - alarm)
    last = i
print(" ".join(f"{b * 1000:.0f}" for b in bursts))
PY
}

sound_loaded() { grep -qE '/libcanberra\.so|/libpulse\.so' "/proc/$TINTEL_PID/maps"; }

# Fires an alarm in a fresh program; with "restart", the sound server is replaced while the alarm
# counts down, as after a crash or a user's session restart.
fire() {
  local round=$1 log=first
  # The faked clock runs a whole number of seconds off the real one, so the alarm second is
  # known on the real clock to the microsecond.
  local alarm_fake offset alarm_real
  alarm_fake=$(date -d "2026-06-01 12:00:00" +%s)
  offset=$((alarm_fake - $(date +%s) - 12))
  alarm_real=$((alarm_fake - offset))
  start_faked "$round" "$(printf %+d "$offset")"
  local message
  # The sound libraries wait for the alarm to draw near.
  wait_window "Nouvelle alarme" 10 >/dev/null
  sound_loaded && fail "$round: the sound libraries are loaded before any alarm"
  set_alarm 12:00 "Bip" >/dev/null
  if [[ $round == restart ]]; then
    # The program reaches the server some ten seconds before the alarm: the one it reaches then
    # goes away under it.
    eventually -t 5 eval 'pactl list clients 2>/dev/null | grep -qF "application.name = \"Tintel\""' ||
      fail "$round: the program did not reach the sound server before its alarm"
    kill "$SERVER"
    wait "$SERVER" 2>/dev/null || true
    log=second
    start_server $log || fail "the sound server did not start again"
  fi
  start_recorder
  message=$(wait_window "votre message de 12:00:00" 12)
  sound_loaded || fail "$round: the alarm rang without the sound libraries"
  # The beep is recorded whole.
  sleep 2
  answer "$message" "votre message de 12:00:00" Return
  wait_window "Nouvelle alarme" 5 >/dev/null
  kill "$RECORDER"
  wait "$RECORDER" 2>/dev/null || true
  stop_tintel

  local bursts
  bursts=$(onsets "$alarm_real")
  echo "$round: sound bursts at ms after the alarm second: ${bursts:-none}"
  read -ra bursts <<<"$bursts"
  [[ ${#bursts[@]} -eq 1 ]] || fail "$round: expected one sound burst, heard ${#bursts[@]}"
  # The null sink renders up to one 20 ms block ahead of the clock, so a sample can reach the
  # recorder a little before its time.
  ((bursts[0] >= -25 && bursts[0] <= 150)) ||
    fail "$round: the beep came ${bursts[0]} ms after the alarm second"

  # PulseAudio logs every playing stream with its properties.
  local inputs props prop
  inputs=$(grep -c 'Created input' "$WORK/$log.log" || true)
  [[ $inputs -eq 1 ]] || fail "$round: expected one playing stream, the server saw $inputs"
  props=$(sed -n '/Created input/,/Created\|Freeing/p' "$WORK/$log.log")
  for prop in 'application.name = "Tintel"' 'media.role = "event"' \
    'application.id = "org.example.tintel"' 'application.icon_name = "tintel"' \
    "media.filename = \"$XDG_DATA_HOME/sounds/$THEME/stereo/bell.oga\""; do
    grep -qF "$prop" <<<"$props" || fail "$round: the stream lacks $prop: $props"
  done
}

fire plain
fire restart

# A server that takes the connection and never answers holds nothing up: the message comes, and
# the program ends as its last window closes, leaving the way free for a new copy.
python3 -c 'import socket, sys, time; s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])
s.listen(8); held = s.accept(); open(sys.argv[1] + ".reached", "w"); time.sleep(600)' "$WORK/stuck" &
PIDS+=($!)
PULSE_SERVER=unix:$WORK/stuck start_faked stuck "2026-06-01 11:59:48"
set_alarm 12:00 "Bip" >/dev/null
message=$(wait_window "votre message de 12:00:00" 15)
[[ -e $WORK/stuck.reached ]] || fail "stuck: the program never reached the silent server"
answer "$message" "votre message de 12:00:00" Return
wmctrl -i -c "$(wait_window "Nouvelle alarme" 5)"
wait_exit "$TINTEL_PID" 2
start_tintel next
wait_window "Nouvelle alarme" 8 >/dev/null
stop_tintel
echo PASS
