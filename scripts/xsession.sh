# The X session that the end-to-end tests, `make demo` and `make bench` drive the real program
# in: a private X server with a window manager, or GNOME's or KDE's compositor on X11 or Wayland,
# private settings and runtime folders, the program started plainly or on a clock of its own, and
# its windows found and driven with xdotool.
#
# Set TINTEL to the program before sourcing this file. A script may define on_fail: it runs after
# a failure is reported, before the exit (the demo keeps a picture of the screen).
set -euo pipefail
: "${TINTEL:?set TINTEL to the program before sourcing xsession.sh}"

# The program recognises its running copy by an abstract socket, which every process of one
# network namespace sees: each session runs in a namespace of its own, so that sessions of two
# build trees running at once on one machine never take each other for a running copy. X and
# sound use socket files, which still work there. XSESSION_NETWORK=host keeps the machine's
# network. The script that sourced this file runs again, whole, inside the namespace.
if [[ ${XSESSION_NETWORK:-} != host && -z ${XSESSION_ISOLATED:-} ]]; then
  export XSESSION_ISOLATED=1
  if [[ $(id -u) -eq 0 ]] && unshare --net --mount true 2>/dev/null; then
    # The X server's socket folder is private too, so its display number is the namespace's
    # own and needs no lock file in the shared /tmp: a server of another namespace would see the
    # lock, find the display's sockets free in its own namespace, and die after announcing it.
    export XSESSION_PRIVATE_X=1
    mkdir -p /tmp/.X11-unix
    exec unshare --net --mount -- bash -c 'mount -t tmpfs -o mode=1777 tintel-x11 /tmp/.X11-unix &&
      exec bash "$@"' bash "$0" "$@"
  elif unshare --user --map-current-user --net true 2>/dev/null; then
    exec unshare --user --map-current-user --net -- bash "$0" "$@"
  fi
  echo "note: no network namespace here; a copy of the program started elsewhere may interfere" >&2
fi
WORK=$(mktemp -d)
export XDG_CONFIG_HOME=$WORK/config
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export LANG=C.UTF-8
# The window manager's title bars, and so every frame the tests measure, are drawn in the default
# sans face: pinned to DejaVu Sans, whatever other fonts the machine has.
cat >"$WORK/fonts.conf" <<'FONTS'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="pattern">
    <test name="family"><string>sans-serif</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>DejaVu Sans</string></edit>
  </match>
</fontconfig>
FONTS
export FONTCONFIG_FILE=$WORK/fonts.conf
# Nothing beeps through the desktop's sound server, nor starts one of its own by accident.
export PULSE_SERVER=unix:$WORK/no-sound-server
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
PIDS=()
# Failures are reported on the session's own stderr, even from a step whose chatter goes to a log.
exec {XSESSION_STDERR}>&2
# xdotool's pause between typed keys, in ms.
TYPING_DELAY=20

cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  # Without a process namespace, what a desktop forks off (its session bus) outlives it, and
  # would hold the test's output open: it is known by the session folder it names.
  pkill -9 -f -- "$WORK/" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  {
    echo "FAIL: $*"
    local log
    for log in "$WORK"/tintel.*.log; do
      [[ -s $log ]] && { echo "--- ${log##*/}"; tail -n 20 "$log"; }
    done
    if declare -F on_fail >/dev/null; then on_fail "$*" || true; fi
  } >&"$XSESSION_STDERR" 2>&1
  exit 1
}

# Starts a desktop on a free display and waits until its window manager answers: Xvfb with a
# window manager (openbox unless $1 names another: metacity, xfwm4, i3, awesome), or GNOME's or
# KDE's compositor ($1 gnome-x11, kde-x11 on Xvfb; gnome-wayland, kde-wayland headless, with
# XWayland for the program), or sway headless with XWayland. $2 sets the screen size, 1280x1024
# by default; RandR can later shrink an Xvfb screen within that size.
start_display() {
  local wm_name=${1:-openbox} size=${2:-1280x1024} wm_command
  # The check window comes before the manager handles map requests (openbox still reads its
  # theme then), and a short-lived window such as the splash could come and go unseen; the work
  # area is set once it manages windows. kwin_x11, i3, awesome and sway never set one.
  local ready=(_NET_SUPPORTING_WM_CHECK _NET_WORKAREA)
  case $wm_name in kde-* | i3 | awesome | sway) ready=(_NET_SUPPORTING_WM_CHECK) ;; esac
  export XSESSION_DESKTOP=$wm_name
  case $wm_name in
    openbox) wm_command=(openbox --sm-disable) ;;
    metacity)
      # metacity honours the program's no-button hints. Its settings come from GSettings, kept
      # in memory here; no compositor, which Xvfb serves poorly.
      wm_command=(env GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 metacity --sm-disable
        --no-composite)
      ;;
    gnome-x11)
      desktop_environment
      wm_command=(desktop_stack mutter --x11 --replace --sm-disable)
      ;;
    kde-x11)
      desktop_environment
      wm_command=(desktop_stack kwin_x11 --replace)
      ;;
    xfwm4)
      # xfwm4 will not start without a session bus, and takes its key bindings from the xfconf
      # daemon that the bus starts: without it, no Alt+F4.
      desktop_environment
      wm_command=(desktop_stack xfwm4 --compositor=off --sm-client-disable)
      ;;
    i3)
      i3_config >"$WORK/i3.config"
      wm_command=(i3 -c "$WORK/i3.config")
      ;;
    awesome)
      # Its cache folder, made at every start, stays in the session.
      export XDG_CACHE_HOME=$WORK/cache
      wm_command=(awesome)
      ;;
    gnome-wayland | kde-wayland | sway)
      start_wayland "$wm_name" "$size" "${ready[@]}"
      return 0
      ;;
    *) fail "unknown window manager $wm_name" ;;
  esac
  local fifo=$WORK/displayfd
  # No reset when the last client leaves: the polling below connects and leaves many times, and
  # a window manager connecting during a reset fails.
  local lock=()
  [[ -n ${XSESSION_PRIVATE_X:-} ]] && lock=(-nolock)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset "${lock[@]}" 3>"$fifo" &
  PIDS+=($!)
  eventually -t 5 test -s "$fifo" || fail "the X server did not start"
  export DISPLAY=:$(head -n1 "$fifo")
  # A window manager that loses a race with the server's start-up is started again, once.
  local attempt wm
  for attempt in 1 2; do
    "${wm_command[@]}" >"$WORK/$wm_name.$attempt.log" 2>&1 &
    wm=$!
    XSESSION_WM_PID=$wm
    PIDS+=($wm)
    wm_ready "$wm" "${ready[@]}" && return 0
    kill -9 "$wm" 2>/dev/null || true
  done
  cat "$WORK/$wm_name".*.log >&2
  fail "the window manager did not start on $DISPLAY"
}

# A user's i3 configuration: the stock focus and close keys, no bar, and the countdown kept
# floating on every workspace, which i3 would otherwise tile.
i3_config() {
  cat <<'CONFIG'
font pango:monospace 8
floating_modifier Mod1
bindsym Mod1+Shift+q kill
bindsym Mod1+j focus left
bindsym Mod1+k focus down
bindsym Mod1+l focus up
bindsym Mod1+semicolon focus right
bindsym Mod1+Left focus left
bindsym Mod1+Down focus down
bindsym Mod1+Up focus up
bindsym Mod1+Right focus right
bindsym Mod1+space focus mode_toggle
bindsym Mod1+Shift+space floating toggle
for_window [title="^Tintel journalière$"] floating enable, sticky enable
CONFIG
}

# Waits for the root window properties $2... that say the window manager is ready, while its
# process $1 lives.
wm_ready() {
  local wm=$1 marks=("${@:2}")
  eventually -t 15 eval 'root_marked "${marks[@]}" || ! kill -0 "$wm" 2>/dev/null' &&
    root_marked "${marks[@]}"
}
root_marked() { [[ $(xprop -root "$@" 2>/dev/null | grep -cE 'id #|= ' || true) -eq $# ]]; }

# Runs a desktop's compositor ($@) with a session bus of its own, in a mount and process namespace
# of its own: the bus, XWayland and whatever the bus starts end with it, and the display lock
# files it writes into /tmp stay there, so that displays taken by other sessions of the machine
# never count against it (KWin on Wayland tries :0 to :99 only, mutter about 50). The X socket
# folder and $WORK are still the session's.
desktop_stack() {
  local private=(unshare --mount --pid --fork --kill-child --mount-proc --)
  "${private[@]}" true 2>/dev/null || private=()
  WORK=$WORK exec "${private[@]}" bash -c '
    set -e
    if [[ $$ -eq 1 ]]; then
      exec 7</tmp
      mount -t tmpfs -o mode=1777 tintel-tmp /tmp
      for kept in .X11-unix "${WORK#/tmp/}"; do
        if [[ $kept != /* && -d /proc/self/fd/7/$kept ]]; then
          mkdir -p "/tmp/$kept"
          mount --no-canonicalize --bind "/proc/self/fd/7/$kept" "/tmp/$kept"
        fi
      done
      exec 7<&-
    fi
    dbus-daemon --session --fork --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null
    "$@"' desktop "$@"
}

# The caches and state that the compositors and their toolkits write stay in the session too.
desktop_environment() {
  export XDG_CACHE_HOME=$WORK/cache XDG_DATA_HOME=$WORK/data XDG_STATE_HOME=$WORK/state
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
}

# GNOME's or KDE's compositor or sway ($1) on Wayland, headless, with a screen of $2 and XWayland,
# which the program runs on; ready once the root window has the properties $3... The compositor
# tells its X display (and sway its IPC socket) through a command it starts, which then waits for
# the session to end.
start_wayland() {
  local name=$1 size=$2 compositor kwin=kwin_wayland status=0
  shift 2
  local report="echo \"\$DISPLAY \$WAYLAND_DISPLAY \${XAUTHORITY:--} \${SWAYSOCK:--}\" \
    >$WORK/desktop.env; exec tail -f $WORK/desktop.env"
  case $name in
    gnome-wayland)
      compositor=(mutter --wayland --headless --virtual-monitor "$size" --sm-disable -- sh -c "$report")
      ;;
    kde-wayland)
      # The package gives kwin_wayland a file capability that a container may refuse to grant,
      # failing every start: a copy runs without it. Fake input lets the tests press keys and
      # click through the compositor.
      kwin_wayland --help >/dev/null 2>&1 || status=$?
      if [[ $status -eq 126 ]]; then
        cp "$(command -v kwin_wayland)" "$WORK/kwin_wayland"
        kwin=$WORK/kwin_wayland
      fi
      compositor=(env KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$kwin" --virtual --xwayland --no-lockscreen
        --width "${size%x*}" --height "${size#*x}" "sh -c '$report'")
      ;;
    sway)
      echo "$report" >"$WORK/report.sh"
      sway_config "$size" "sh $WORK/report.sh" >"$WORK/sway.config"
      compositor=(env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
        sway -c "$WORK/sway.config")
      # sway will not run as root: there it runs as a user of a namespace of its own, which
      # owns the session's files as root does outside.
      [[ $(id -u) -ne 0 ]] ||
        compositor=(unshare --user --map-user=1000 --map-group=1000 -- "${compositor[@]}")
      ;;
  esac
  desktop_environment
  (unset DISPLAY WAYLAND_DISPLAY && desktop_stack "${compositor[@]}") >"$WORK/$name.log" 2>&1 &
  local stack=$!
  PIDS+=($stack)
  eventually -t 15 eval '[[ -s $WORK/desktop.env ]] || ! kill -0 "$stack" 2>/dev/null' &&
    [[ -s $WORK/desktop.env ]] || { cat "$WORK/$name.log" >&2; fail "$name did not start"; }
  read -r DISPLAY WAYLAND_DISPLAY XAUTHORITY SWAYSOCK <"$WORK/desktop.env"
  export DISPLAY WAYLAND_DISPLAY XDG_SESSION_TYPE=wayland
  if [[ $XAUTHORITY == - ]]; then unset XAUTHORITY; else export XAUTHORITY; fi
  if [[ $SWAYSOCK == - ]]; then unset SWAYSOCK; else export SWAYSOCK; fi
  wm_ready "$stack" "$@" || { cat "$WORK/$name.log" >&2; fail "$name manages no X window on $DISPLAY"; }
  # The compositor's first process, through which a program joins its namespaces to be seen as
  # one of the desktop's own.
  DESKTOP_PID=$(cat "/proc/$stack/task/$stack/children" 2>/dev/null || true)
  DESKTOP_PID=${DESKTOP_PID%% *}
}

# A user's sway configuration on a screen of $1, which runs $2 once started: the stock focus and
# close keys, and the countdown kept floating on every workspace in the top right corner, its
# 2-pixel border included. sway centres a floating X window whatever position it asks for.
sway_config() {
  local width=${1%x*} countdown_width=141 border=2
  cat <<CONFIG
output HEADLESS-1 mode $1
xwayland enable
set \$mod Mod4
floating_modifier \$mod normal
bindsym \$mod+Shift+q kill
bindsym \$mod+Left focus left
bindsym \$mod+Down focus down
bindsym \$mod+Up focus up
bindsym \$mod+Right focus right
bindsym \$mod+Shift+space floating toggle
bindsym \$mod+space focus mode_toggle
for_window [title="^Tintel journalière\$"] floating enable, sticky enable, move position $((width - countdown_width - 2 * border)) 0
exec $2
CONFIG
}

# Runs $@ as one of the desktop's own processes: KWin on Wayland trusts a client only once the
# program that its /proc names can be read at that path, and it reads both in its own process and
# mount namespaces (under a chroot, a program outside them is named by its path from the machine's
# root). Files under /tmp other than the session's are out of sight there, the working folder
# included: it runs from /, and a script comes on stdin.
in_desktop() {
  if [[ -n ${DESKTOP_PID:-} ]]; then
    nsenter --target "$DESKTOP_PID" --pid --mount --root -- env --chdir=/ "$@"
  else
    "$@"
  fi
}

# Starts the program ($2, or $TINTEL) in the background, its output in $WORK/tintel.$1.log; its
# pid lands in TINTEL_PID.
start_tintel() {
  "${2:-$TINTEL}" >"$WORK/tintel.${1:-main}.log" 2>&1 &
  TINTEL_PID=$!
  PIDS+=($TINTEL_PID)
}

# Starts the program on a clock of its own: "@YYYY-MM-DD hh:mm:ss" in $WORK/faketime, which it
# reads afresh at every reading, so a script moves the wall clock by rewriting the file while the
# monotonic clock of the timers runs on. A start of "+N" or "-N" sets the clock N seconds off the
# real one for good instead, for timing the program from outside.
FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
start_faked() {
  local name=$1 start=$2 clock
  case $start in
    [+-]*) clock=(FAKETIME="$start") ;;
    *)
      echo "@$start" >"$WORK/faketime"
      clock=(FAKETIME_TIMESTAMP_FILE="$WORK/faketime" FAKETIME_NO_CACHE=1)
      ;;
  esac
  env LD_PRELOAD=$FAKETIME_LIB "${clock[@]}" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
    "$TINTEL" >"$WORK/tintel.$name.log" 2>&1 &
  TINTEL_PID=$!
  PIDS+=($TINTEL_PID)
}

# Whether the program plays the desktop's bell sound: it opens libcanberra by name when built to.
plays_desktop_sound() { grep -qaF libcanberra.so.0 "$TINTEL"; }

# Stops the program, waiting for it to end.
stop_tintel() {
  kill "$TINTEL_PID" 2>/dev/null || true
  wait_exit "$TINTEL_PID"
}

wait_exit() {
  eventually -t "${2:-10}" not kill -0 "$1" 2>/dev/null ||
    fail "process $1 still running after ${2:-10}s"
}

# xdotool matches titles as regular expressions: "Que voulez-vous faire?" must be taken literally.
# The pattern goes to PATTERN, made in the shell as the waits below poll it: every process a test
# starts costs the tests beside it.
title_pattern() {
  local title=$1 char i
  PATTERN="^"
  for ((i = 0; i < ${#title}; i++)); do
    char=${title:i:1}
    [[ $char != [][\(\).*?+^\$\|\\{}] ]] || PATTERN+=\\
    PATTERN+=$char
  done
  PATTERN+="$"
}

# The ids of the windows whose title is exactly $1, into the array TITLED; further arguments go to
# xdotool search. A window destroyed while xdotool walks the tree stops it with an X error before
# it has listed anything, which would read as no window at all: the walk is then made again.
titled() {
  local ids i
  title_pattern "$1"
  shift
  TITLED=()
  for i in 1 2 3 4 5; do
    if ids=$(command xdotool search "$@" --name "$PATTERN" 2>"$WORK/search.err"); then
      [[ -z $ids ]] || mapfile -t TITLED <<<"$ids"
      return 0
    fi
    [[ $(<"$WORK/search.err") == *"X Error"* ]] || return 0
    pause 0.02
  done
}
# As titled, one id a line.
search_titles() {
  titled "$@"
  ((${#TITLED[@]} == 0)) || printf '%s\n' "${TITLED[@]}"
}

# A pause without a process: a read that times out on a pipe that no one writes.
exec {XSESSION_PAUSE_FD}<> <(:)
pause() { read -rt "$1" -u "$XSESSION_PAUSE_FD" || true; }

# Runs a command until it succeeds, up to 3 s or -t SECONDS times XSESSION_PATIENCE, counted in
# the pauses between tries: the tests, on a machine busy with each other, wait only to catch a hang.
# The pauses grow from 20 to 200 ms: most waits end at once, and a long one need not keep the
# machine that its neighbours share busy.
eventually() {
  local limit=3 waited=0 step=20 seconds
  [[ $1 != -t ]] || { limit=$2; shift 2; }
  limit=$((limit * 1000 * ${XSESSION_PATIENCE:-1}))
  until "$@"; do
    ((waited < limit)) || return 1
    printf -v seconds '0.%03d' "$step"
    pause "$seconds"
    waited=$((waited + step))
    step=$((step * 2 > 200 ? 200 : step * 2))
  done
}
not() { ! "$@"; }

# Waits for a window whose title is exactly $2 (visible only, unless $1 is "any"); prints its id.
find_window() {
  local which=$1 title=$2 timeout=${3:-10} visible=(--onlyvisible)
  [[ $which == any ]] && visible=()
  eventually -t "$timeout" first_titled "$title" "${visible[@]}" ||
    fail "no window titled '$title' within $((timeout * ${XSESSION_PATIENCE:-1}))s"
}
first_titled() {
  titled "$@"
  ((${#TITLED[@]} > 0)) && echo "${TITLED[0]}"
}

wait_window() { find_window visible "$@"; }

# As wait_window, for a window that may be minimised (unmapped) at the time.
wait_title() { find_window any "$@"; }

count_windows() {
  titled "$1" --onlyvisible
  echo ${#TITLED[@]}
}

wait_gone() {
  eventually -t "${2:-10}" window_gone "$1" ||
    fail "window '$1' still there after $((${2:-10} * ${XSESSION_PATIENCE:-1}))s"
}
window_gone() {
  titled "$1" --onlyvisible
  ((${#TITLED[@]} == 0))
}

# xdotool's --sync waits for ever for a change that a busy or unwilling window manager may never
# make: bounded, a step that does not happen fails with its name instead of hanging the test.
xdotool() {
  [[ " $* " == *" --sync "* ]] || {
    command xdotool "$@"
    return
  }
  local status=0
  timeout "$((5 * ${XSESSION_PATIENCE:-1}))" xdotool "$@" || status=$?
  ((status != 124)) || echo "FAIL: xdotool $* still waiting" >&2
  return "$status"
}

press() {
  local window=$1
  shift
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers "$@"
}

# Types a time and a message into the new-alarm window, each line of the message after the first
# on a line of its own (Ctrl+Enter), and leaves the alarm unconfirmed.
type_alarm() {
  local window=$1 time=$2 message=$3 line first=1
  xdotool windowactivate --sync "$window"
  xdotool type --delay "$TYPING_DELAY" "$time"
  xdotool key Tab
  while IFS= read -r line; do
    ((first)) || xdotool key ctrl+Return
    first=0
    xdotool type --delay "$TYPING_DELAY" "$line"
  done <<<"$message"
}

# As type_alarm, then Enter.
enter_alarm() {
  type_alarm "$@"
  xdotool key Return
}

# Waits for the new-alarm window, enters the alarm $1 with message $2, and waits for the
# countdown window; prints its id.
set_alarm() {
  local nouveau
  nouveau=$(wait_window "Nouvelle alarme" 15)
  enter_alarm "$nouveau" "$1" "$2"
  wait_window "Tintel journalière" 10
}

# The client area of a window: x y width height in screen pixels.
client_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# Outer frame of a window, title bar included: left top right bottom, in screen pixels. xdotool's
# geometry counts the frame twice under openbox; xwininfo gives the client area, and the window
# manager's _NET_FRAME_EXTENTS the border around it (none for the splash). A window manager that
# publishes no extents shows its frame by the window's ancestor under the root (i3), or, drawing
# it on the Wayland side, in its own tree (sway).
outer_frame() {
  local id=$1 x y w h l=0 r=0 t=0 b=0 extents frame root parent
  read -r x y w h < <(client_geometry "$id")
  extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null || true)
  if [[ $extents == *=* ]]; then
    extents=${extents#*= }
    read -r l r t b <<<"${extents//,/}"
  elif [[ $XSESSION_DESKTOP == sway ]]; then
    swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("window") == int(sys.argv[1]):
        # The title bar lies above the rest of the frame.
        r = node["rect"]
        print(r["x"], r["y"] - node["deco_rect"]["height"], r["x"] + r["width"], r["y"] + r["height"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$id"
    return 0
  else
    frame=$id
    root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
    while :; do
      parent=$(xwininfo -children -id "$frame" | awk '/Parent window id:/ { print $4 }')
      [[ -n $parent && $((parent)) -ne $((root)) ]] || break
      frame=$parent
    done
    if [[ $frame != "$id" ]]; then
      xwininfo -id "$frame" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } /Border width/ { b = $NF }
        END { print x - b, y - b, x + w + b, y + h + b }'
      return 0
    fi
  fi
  echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}

# Lays a window that no window manager stacks (the floor program $2 in its cover mode) over the
# whole frame of window $1: the countdown keeps itself above every managed window, so only such a
# window covers it. Its pid lands in COVER_PID; uncover takes it away.
cover() {
  local left top right bottom
  read -r left top right bottom < <(outer_frame "$1")
  "$2" --cover "$left" "$top" $((right - left)) $((bottom - top)) &
  COVER_PID=$!
  PIDS+=("$COVER_PID")
  wait_title "Floor cover" 5 >/dev/null
}
uncover() {
  kill "$COVER_PID"
  wait "$COVER_PID" 2>/dev/null || true
}
