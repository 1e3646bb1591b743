#!/usr/bin/env bash
# Where the windows appear and stay: no window moves once mapped, the countdown window touches
# the top and right edges of its screen at every scale and after the screen changes size, and
# always-on-top is switched on the same native window.
source "$(dirname "$0")/lib.sh"
start_display openbox 1600x1200

# Screen sizes within the 1600x1200 the server started with.
xrandr --newmode 1280x1024 60 1280 1281 1282 1283 1024 1025 1026 1027 >/dev/null
xrandr --addmode screen 1280x1024
resize_screen() { xrandr --output screen --mode "$1" --fb "$1"; }
resize_screen 1280x1024

frame_of() { xwininfo -tree -id "$1" | awk '/Parent window id/ { print $4 }'; }

# Every frame the window manager maps is logged from the root window; a frame that is configured
# to another place after its first map has jumped. The log shows a root property set once xev
# listens.
start_watch() {
  local log=$WORK/events.$1
  xev -root -event substructure -event property >"$log" 2>&1 &
  WATCH_PID=$!
  PIDS+=($WATCH_PID)
  eventually eval 'xprop -root -f TINTEL_WATCH 8s -set TINTEL_WATCH 1; grep -q PropertyNotify "$log"' ||
    fail "xev does not watch the root window"
}
check_watch() {
  kill "$WATCH_PID"
  local jumps
  jumps=$(awk '
    /^[A-Za-z]+ event/ { type = $1; next }
    match($0, /window 0x[0-9a-f]+/) {
      id = substr($0, RSTART + 7, RLENGTH - 7)
      pos = match($0, /\(-?[0-9]+,-?[0-9]+\)/) ? substr($0, RSTART, RLENGTH) : ""
      if ((type == "CreateNotify" || type == "ConfigureNotify") && pos != "") {
        if (shown[id] && first[id] != pos) print id " mapped at " first[id] ", then " pos
        last[id] = pos
      }
      if (type == "MapNotify" && (id in last)) {
        if (!(id in first)) first[id] = last[id]
        else if (first[id] != last[id]) print id " mapped at " first[id] ", again at " last[id]
        shown[id] = 1
        maps++
      }
      # A frame being taken down moves back to its client: that is no jump.
      if (type == "UnmapNotify") shown[id] = 0
    }
    END { if (maps < '"$2"') print "only " maps " windows mapped" }
  ' "$WORK/events.$1")
  [[ -z $jumps ]] || fail "$1: $jumps"
}

# The road of every window at scale 1: splash, new-alarm, about, countdown, what-next, message.
start_watch road
start_faked road "2026-06-15 07:59:40"
nouveau=$(wait_window "Nouvelle alarme" 8)
press "$nouveau" F2
about=$(wait_window "À propos de Tintel" 5)
press "$about" Escape
wait_gone "À propos de Tintel" 3
enter_alarm "$nouveau" 08:00 "Placement"
tintel=$(wait_window "Tintel journalière" 5)
eventually eval '[[ $(outer_frame "$tintel") == "1137 0 1280 87" ]]' ||
  fail "countdown window at $(outer_frame "$tintel")"

# cmdOnTop at 128,52 (9 x 13) of the client area: the same window, the same frame, no remap.
frame=$(frame_of "$tintel")
for expected in off on; do
  xdotool mousemove --window "$tintel" 132 58 click 1
  if [[ $expected == on ]]; then eventually always_on_top "$tintel" || fail "not on top after two clicks"
  else eventually not always_on_top "$tintel" || fail "still on top after one click"; fi
  [[ $(search_titles "Tintel journalière" --onlyvisible) == "$tintel" ]] ||
    fail "cmdOnTop made another native window"
  [[ $(frame_of "$tintel") == "$frame" ]] || fail "cmdOnTop framed the window again"
done

xdotool mousemove --window "$tintel" 60 25 click 1
question=$(wait_window "Que voulez-vous faire?" 5)
press "$question" Down Return
wait_gone "Que voulez-vous faire?" 3
message=$(wait_window "votre message de 08:00:00" 25)
answer "$message" "votre message de 08:00:00" Return
wait_window "Nouvelle alarme" 5 >/dev/null
stop_tintel
# Splash, new-alarm twice, about, countdown, what-next, message.
check_watch road 7

# At every scale the countdown window's frame touches the top and right edges of the screen,
# from its first map on; after a change of screen size it goes back to the corner.
for scale in 1 1.25 1.5 2; do
  start_watch "scale $scale"
  QT_SCALE_FACTOR=$scale start_faked "scale$scale" "2026-06-15 07:00:00"
  tintel=$(set_alarm 08:00 "Echelle")
  eventually in_corner "$tintel" ||
    fail "at scale $scale the countdown window is at $(outer_frame "$tintel")"
  check_watch "scale $scale" 3

  for size in 1600x1200 1280x1024; do
    resize_screen "$size"
    eventually in_corner "$tintel" "${size%x*}" ||
      fail "at scale $scale on $size the countdown window is at $(outer_frame "$tintel")"
  done
  stop_tintel
done

# Two monitors side by side; the countdown window opens in the corner of the first. When that
# monitor goes away it goes to the top right-hand corner of the screen left.
resize_screen 1600x1200
xrandr --setmonitor left 800/0x1200/0+0+0 none
xrandr --setmonitor right 800/0x1200/0+800+0 none
start_faked monitors "2026-06-15 07:00:00"
tintel=$(set_alarm 08:00 "Ecran")
eventually in_corner "$tintel" 800 || fail "not in the first monitor's corner: $(outer_frame "$tintel")"
xrandr --delmonitor left
eventually in_corner "$tintel" 1600 || fail "after its monitor went away: $(outer_frame "$tintel")"
stop_tintel
echo PASS
