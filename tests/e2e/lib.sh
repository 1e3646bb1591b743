# The end-to-end tests' layer over the shared X session: the binary under test is their first
# argument, and a few checks only tests make.
TINTEL=${1:?usage: $0 path/to/tintel}
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xsession.sh"

# A value of section "parametres", read straight from the file as another program would.
setting() {
  local file=${2:-$XDG_CONFIG_HOME/tintel.ini}
  [[ -f $file ]] || return 0
  awk -v key="$1" '
    /^\[/ { section = $0; next }
    section == "[parametres]" && index($0, key "=") == 1 { print substr($0, length(key) + 2) }
  ' "$file"
}

setting_keys() {
  awk '/^\[/ { section = $0; next } section == "[parametres]" && /=/ { print }' \
    "${1:-$XDG_CONFIG_HOME/tintel.ini}" | wc -l
}

# Fails unless window $1 ($2) is transient for nothing or for a window on screen.
owner_mapped() {
  local owner
  owner=$(xprop -id "$1" WM_TRANSIENT_FOR | awk '/window id/ { print $NF }')
  [[ -z $owner ]] || xwininfo -id "$owner" | grep -q IsViewable ||
    fail "$2 is transient for $owner, which is not on screen"
}

# Whether the X pointer is in window $1, by X's own reckoning.
pointer_in() { [[ $(xdotool getmouselocation | sed 's/.*window://') == "$1" ]]; }

# The X window that sway shows at x y, floating windows first; nothing over a Wayland window.
sway_window_at() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
x, y = map(int, sys.argv[1:])
def views(node):
    for child in node.get("floating_nodes", []) + node.get("nodes", []):
        yield from views(child)
    if node.get("pid") and node.get("visible"):
        yield node
for view in views(json.load(sys.stdin)):
    r = view["rect"]
    if r["x"] <= x < r["x"] + r["width"] and r["y"] <= y < r["y"] + r["height"]:
        print(view.get("window") or "")
        break' "$1" "$2"
}

has_keyboard() { [[ $(xdotool getwindowfocus) == "$1" ]]; }

always_on_top() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# A stand-in for the desktop's opener on PATH: every request lands as a line in $WORK/opened, and
# the Qt platform it was given in $WORK/opened.platform.
install_opener_standin() {
  mkdir -p "$WORK/bin"
  cat >"$WORK/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$WORK/opened"
printf '%s\n' "\${QT_QPA_PLATFORM-unset}" >>"$WORK/opened.platform"
STANDIN
  chmod +x "$WORK/bin/xdg-open"
  export PATH=$WORK/bin:$PATH
}

# Another program that takes typed text: a terminal that writes each key it gets to
# $WORK/typed, given the keyboard. Prints its window id.
start_typist() {
  xterm -geometry 60x8+0+700 -title typist -e sh -c "stty -icanon -echo; exec cat >'$WORK/typed'" \
    >"$WORK/xterm.log" 2>&1 &
  PIDS+=($!)
  local typist
  typist=$(wait_window typist 5)
  xdotool windowactivate --sync "$typist" >/dev/null
  echo "$typist"
}

# Types "a b" and Enter into window $1, which must have the keyboard, until a window titled $2
# shows, and twice more after: every key must have landed in $1 (unless $3 is "no": then the
# window manager may take the keyboard from it as the window comes), and the new window must
# still be there. Prints the new window's id.
type_through() {
  local typist=$1 title=$2 keeps=${3:-yes} id="" after=2 i
  for i in $(seq 60); do
    if ! has_keyboard "$typist"; then
      [[ -n $id ]] || id=$(search_titles "$title" --onlyvisible | head -n1)
      [[ $keeps == no && -n $id ]] || fail "window $typist lost the keyboard"
    fi
    desktop_key a space b Return
    printf 'a b\n' >>"$WORK/sent"
    if [[ -z $id ]]; then
      id=$(search_titles "$title" --onlyvisible | head -n1)
    elif ((--after == 0)); then
      break
    fi
  done
  [[ -n $id ]] || fail "no window titled '$title'"
  if [[ $keeps == no ]]; then
    # Keys that went astray may yet answer the new window: given time to.
    sleep 0.3
  else
    eventually cmp -s "$WORK/sent" "$WORK/typed" ||
      fail "typed '$(cat "$WORK/sent")', the typist got '$(cat "$WORK/typed")'"
  fi
  [[ $(count_windows "$title") -eq 1 ]] || fail "'$title' went while the user typed elsewhere"
  echo "$id"
}

hex() { printf '0x%x' "$1"; }

# Records the state changes that programs ask of the window manager, a line each in
# $WORK/requests: "0xWINDOW 1 STATE" to add, 0 to remove. What a program asks, whatever the window
# manager then makes of it: mutter never marks a window in full view as asking for attention.
watch_state_requests() {
  /usr/bin/python3 - >"$WORK/requests" <<'WATCH' &
import ctypes
from ctypes import c_char_p, c_int, c_long, c_ulong, c_void_p
x11 = ctypes.CDLL("libX11.so.6")
for name, result, *arguments in [("XOpenDisplay", c_void_p, c_char_p),
                                  ("XDefaultRootWindow", c_ulong, c_void_p),
                                  ("XSelectInput", c_int, c_void_p, c_ulong, c_long),
                                  ("XSync", c_int, c_void_p, c_int),
                                  ("XNextEvent", c_int, c_void_p, c_void_p),
                                  ("XGetAtomName", c_char_p, c_void_p, c_ulong)]:
    getattr(x11, name).restype, getattr(x11, name).argtypes = result, arguments
display = x11.XOpenDisplay(None)
# Requests go to the root window with the structure mask, which any client may listen with.
x11.XSelectInput(display, x11.XDefaultRootWindow(display), 1 << 17)
x11.XSync(display, 0)
print("ready", flush=True)
# An XEvent, as longs: a ClientMessage has its type, window, message type and data at 0, 4, 5, 7.
event = (ctypes.c_long * 24)()
while True:
    x11.XNextEvent(display, event)
    if event[0] & 0xFFFFFFFF == 33 and x11.XGetAtomName(display, event[5]) == b"_NET_WM_STATE":
        states = [x11.XGetAtomName(display, atom).decode() for atom in event[8:10] if atom]
        print(hex(event[4]), event[7], *states, flush=True)
WATCH
  PIDS+=($!)
  eventually -t 5 test -s "$WORK/requests" || fail "no watch on the window manager's requests"
}

# Whether window $1 stands above window $2 in the window manager's stacking order.
above() {
  local order upper lower
  order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
  upper=$(awk -v id="$(hex "$1")" '{ for (i = 1; i <= NF; i++) if ($i == id) print i }' <<<"$order")
  lower=$(awk -v id="$(hex "$2")" '{ for (i = 1; i <= NF; i++) if ($i == id) print i }' <<<"$order")
  [[ -n $upper && -n $lower && $upper -gt $lower ]]
}

# Whether the frame of window $1 touches the top right corner of a screen $2 pixels wide (1280
# unless told), under a panel $3 pixels high.
in_corner() {
  local frame
  frame=($(outer_frame "$1")) && ((frame[1] == ${3:-0} && frame[2] == ${2:-1280}))
}

# Keys (a chord such as alt+F4, or plain keys in turn) and clicks at x y as a user's reach the
# desktop: through its compositor. On X11 the window manager sees the X server's test input, but on
# XWayland that input stays inside XWayland, so there the compositor's own input service takes it,
# or under sway a virtual keyboard (wtype) and its own cursor.
desktop_key() {
  if [[ $XSESSION_DESKTOP == *-wayland ]]; then
    in_desktop /usr/bin/python3 - key "$@" <"$E2E_DIR/desktop_input.py"
  elif [[ $XSESSION_DESKTOP == sway ]]; then
    # Each wtype is a new keyboard, which XWayland takes up only after wtype's first keys have
    # gone by: a Shift tap and a pause go first.
    local arguments=(-k Shift_L -s 100) chord keys modifier
    for chord in "$@"; do
      IFS=+ read -ra keys <<<"$chord"
      for modifier in "${keys[@]:0:${#keys[@]}-1}"; do arguments+=(-M "${modifier/super/logo}"); done
      arguments+=(-k "${keys[-1]}")
      for modifier in "${keys[@]:0:${#keys[@]}-1}"; do arguments+=(-m "${modifier/super/logo}"); done
    done
    wtype "${arguments[@]}"
  elif [[ $1 == *+* ]]; then
    # mutter on X11 ignores a chord whose keys come as fast as xdotool sends them.
    local modifiers=${1%+*}
    xdotool keydown ${modifiers//+/ }
    sleep 0.1
    xdotool key "${1##*+}"
    sleep 0.1
    xdotool keyup ${modifiers//+/ }
  else
    xdotool key "$@"
  fi
}
desktop_click() {
  case $XSESSION_DESKTOP in
    *-wayland) in_desktop /usr/bin/python3 - click "$1" "$2" <"$E2E_DIR/desktop_input.py" ;;
    sway)
      # XWayland takes a button for the window that sway shows at the point only once it has
      # taken the pointer's entry there, which it may miss: moved again until it has.
      sway_pointer
      eventually -t 2 sway_point "$1" "$2" "$(sway_window_at "$1" "$2")" || true
      swaymsg -q seat - cursor press button1
      swaymsg -q seat - cursor release button1
      ;;
    *) xdotool mousemove "$1" "$2" click 1 ;;
  esac
}

sway_point() {
  swaymsg -q seat - cursor set "$(($1 + 1))" "$2"
  swaymsg -q seat - cursor set "$1" "$2"
  [[ -z $3 ]] || pointer_in "$3"
}

# sway's seat has a pointer, which XWayland needs for clicks, only while a pointer device exists:
# the first click brings a virtual one for the rest of the session.
sway_pointer() {
  [[ ! -e $WORK/pointer.log ]] || return 0
  /usr/bin/python3 - pointer <"$E2E_DIR/desktop_input.py" >"$WORK/pointer.log" 2>&1 &
  PIDS+=($!)
  eventually -t 5 grep -qx ready "$WORK/pointer.log" ||
    fail "no virtual pointer in sway: $(cat "$WORK/pointer.log")"
  # XWayland takes the pointer up a moment after sway offers it, out of X's sight.
  sleep 0.5
}

# The close requests a window manager offers, as a user makes them: its key (alt+F4...), the
# request another program makes, or its title-bar button; or a plain key the window answers.
close_by() {
  local window=$1 how=$2 x y w h top right
  case $how in
  *+*)
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || xdotool windowfocus --sync "$window"
    desktop_key "$how"
    ;;
  _NET_CLOSE_WINDOW) wmctrl -i -c "$window" ;;
  button)
    read -r x y w h < <(client_geometry "$window")
    read -r _ right top _ < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    xdotool mousemove $((x + w + right - 12)) $((y - top / 2)) click 1
    ;;
  *) press "$window" "$how" ;;
  esac
}

# Another program's window titled $1, shown by GTK through $2 (x11, or wayland for a native
# Wayland window): maximised, raised and given the keyboard, as a newly opened window is. Its pid
# lands in OTHER_PID.
other_program() {
  rm -f "$WORK/other.shown"
  GDK_BACKEND=$2 /usr/bin/python3 - "$1" "$WORK/other.shown" >/dev/null 2>&1 <<'PROGRAM' &
import sys
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk
window = Gtk.Window(title=sys.argv[1])
window.maximize()
window.connect("destroy", Gtk.main_quit)
window.connect("map-event", lambda *_: open(sys.argv[2], "w").close())
window.show_all()
Gtk.main()
PROGRAM
  OTHER_PID=$!
  PIDS+=($OTHER_PID)
  eventually -t 10 test -e "$WORK/other.shown" || fail "the other program's window did not show"
  # The window manager maximises, raises and focuses it in its own time, which a native Wayland
  # window does not show X.
  sleep 0.5
}

# A screen reader on a session bus of its own: the program joins the bus's accessibility bus
# whatever the desktop's flag says, and Orca speaks into nothing (speech-dispatcher's dummy module,
# libao's null driver), each line it says in $WORK/orca.log, time-stamped. The accessibility flag
# Orca turns on lives in memory and ends with the bus. Bus and Orca get process namespaces: what
# they start ends with them, and Orca, which will not start beside another of its user, sees none.
start_screen_reader() {
  local own=(unshare --pid --fork --kill-child --mount-proc --) orca=$WORK/orca
  "${own[@]}" true 2>/dev/null || own=()
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus GSETTINGS_BACKEND=memory
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  "${own[@]}" dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" \
    >"$WORK/bus.log" 2>&1 &
  PIDS+=($!)
  mkdir -p "$orca/config/speech-dispatcher" "$orca/data/orca"
  echo default_driver=null >"$orca/.libao"
  printf 'AudioOutputMethod "libao"\nAddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n' \
    >"$orca/config/speech-dispatcher/speechd.conf"
  # Written line by line, not as a buffer fills.
  echo 'from orca import debug; debug.debugFile.reconfigure(line_buffering=True)' \
    >"$orca/data/orca/orca-customizations.py"
  eventually -t 5 test -S "$WORK/bus" || fail "no session bus for the screen reader"
  HOME=$orca XDG_CONFIG_HOME=$orca/config XDG_DATA_HOME=$orca/data XDG_CACHE_HOME=$orca/cache \
    "${own[@]}" orca --debug-file "$WORK/orca.log" >"$WORK/orca.out" 2>&1 &
  PIDS+=($!)
  eventually -t 20 grep -qs "SPEECH OUTPUT: 'Screen reader on" "$WORK/orca.log" ||
    fail "Orca did not start: $(tail -n 5 "$WORK/orca.out")"
}

# Runs $2... until the window titled $1 goes: on a busy machine a key can come before the window
# takes the keyboard it was given, and a window manager can miss a request.
until_gone() {
  local i
  for i in 1 2 3 4 5; do
    window_gone "$1" && return 0
    "${@:2}" || true
    eventually window_gone "$1" && return 0
  done
  fail "window '$1' still there after ${*:2}"
}
# Presses $3 in window $1, titled $2, until that window goes.
answer() { until_gone "$2" press "$1" "$3"; }

# Answers the one message window titled $1 that comes within $2 seconds, owned by nothing or by
# a window on screen, and then sees neither a second one nor a left-over countdown window; $3,
# when given, opens what a failure says.
expect_one_firing() {
  local title=$1 timeout=$2 who=${3:+$3: } message
  message=$(wait_window "$title" "$timeout")
  [[ $(count_windows "$title") -eq 1 ]] || fail "${who}more than one message window"
  owner_mapped "$message" "${who}the message window"
  answer "$message" "$title" Return
  wait_window "Nouvelle alarme" 5 >/dev/null
  wait_gone "Tintel journalière" 3
  # A second firing would come within two seconds.
  sleep 2.5
  [[ $(count_windows "$title") -eq 0 ]] || fail "${who}the alarm fired a second time"
}
