#!/usr/bin/env bash
# The alarm road on the desktop that $2 names, started by the session: every window where it
# belongs, the countdown above other programs' windows, X and native Wayland, and no close from
# outside, the alarm at its second while the user types in another program, the pointer resting
# where the message comes: no key answers it, and a click gives it the keyboard.
source "$(dirname "$0")/lib.sh"
DESKTOP=${2:?usage: $0 path/to/tintel DESKTOP}
WIDTH=1280 HEIGHT=800

# A row a desktop: its close requests; whether it marks a window kept on top as such; whether a
# window the user raises covers an ordinary countdown (tiled windows never do); whether the typist
# keeps the keyboard as the message comes under the resting pointer (awesome gives it to none of
# them, nor sway, which takes it from the typist as the message comes); whether the typist is
# full screen at the alarm; whether windows go where the program puts them (sway centres every
# floating window's body, its title bar above, wherever it asks to be).
# A click on the countdown above another program's window reaches it everywhere but under sway,
# where XWayland stacks the window sway gives the keyboard above the others, whatever sway draws.
row() { CLOSES=($1) MARKS_ABOVE=$2 COVERS=$3 KEEPS_KEYS=$4 FULL_SCREEN=$5 PLACES=${6:-yes}; }
case $DESKTOP in
  gnome-* | kde-*) row "alt+F4 _NET_CLOSE_WINDOW" yes yes yes yes ;;
  xfwm4) row "alt+F4 _NET_CLOSE_WINDOW" yes yes yes no ;;
  i3) row "alt+shift+q _NET_CLOSE_WINDOW" yes no yes no ;;
  awesome) row "super+shift+c _NET_CLOSE_WINDOW" yes yes no no ;;
  # sway marks nothing on XWayland windows and ignores a close asked by another program; the
  # countdown's corner comes from the user's own lines.
  sway) row "super+shift+q" no no no no no ;;
  *) fail "no row for the desktop $DESKTOP" ;;
esac
start_display "$DESKTOP" "${WIDTH}x$HEIGHT"
# XWayland takes a pointer that sway offers only after a while: offered well before the clicks.
[[ $DESKTOP != sway ]] || sway_pointer
QUESTION="Que voulez-vous faire?"
MESSAGE="votre message de 10:00:00"

# Fails unless window $1 (named $2), its frame included, is centred on the screen within a pixel
# within 2 s: a window manager may frame it only after its first map.
centred() {
  local l t r b i seen=""
  for i in $(seq 20); do
    if [[ $PLACES == yes ]]; then
      read -r l t r b < <(outer_frame "$1" 2>/dev/null) || true
    elif read -r l t r b < <(client_geometry "$1" 2>/dev/null) && [[ -n $b ]]; then
      r=$((l + r)) b=$((t + b))
    fi
    # The splash may go before it is centred: its last frame seen is told.
    [[ -n $b ]] || break
    seen="$l $t $r $b"
    ((l + r - WIDTH <= 2 && WIDTH - l - r <= 2 && t + b - HEIGHT <= 2 && HEIGHT - t - b <= 2)) && return 0
    sleep 0.1
  done
  fail "$2 is not centred: frame $seen"
}

start_faked road "2026-06-01 09:59:00"
splash=$(wait_window Tintel 10)
centred "$splash" "the splash"
nouveau=$(wait_window "Nouvelle alarme" 10)
centred "$nouveau" "the new-alarm window"
enter_alarm "$nouveau" 10:00 "Bureau"
tintel=$(wait_window "Tintel journalière" 5)
sleep 0.5
placed=$(outer_frame "$tintel")
# Under the panels where the window manager leaves windows free to cover them (awesome's bar).
panel=0
if ! xprop -root _NET_WORKAREA | grep -q =; then
  for id in $(xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || continue
    strut=$(xprop -id "$id" _NET_WM_STRUT_PARTIAL 2>/dev/null |
      awk -F', ' '/=/ { print $3 }' || true)
    ((${strut:-0} <= panel)) || panel=$strut
  done
fi
read -r left top right bottom <<<"$placed"
[[ $top -eq $panel && $right -eq $WIDTH ]] || fail "countdown window at $placed, not flush top right"
[[ $MARKS_ABOVE == no ]] || always_on_top "$tintel" || fail "the countdown window is not on top"

# A click on the alarm time, through the compositor, lands on whatever it shows there: the
# countdown on top opens its what-next dialog. Made an ordinary window, the countdown is under
# the other window, which the same click then reaches instead: that window does cover it.
read -r x y _ < <(client_geometry "$tintel")
alarm_time=($((x + 60)) $((y + 25)))
on_top_button=($((x + 132)) $((y + 58)))
others=(x11)
[[ $DESKTOP != *-wayland ]] || others+=(wayland)
[[ $DESKTOP != sway ]] || others=()
for other in ${others[@]+"${others[@]}"}; do
  other_program autre "$other"
  desktop_click "${alarm_time[@]}"
  question=$(wait_window "$QUESTION" 5) || fail "the countdown is under the $other window"
  press "$question" Down Return
  wait_gone "$QUESTION" 3
  if [[ $COVERS == yes ]]; then
    desktop_click "${on_top_button[@]}"
    sleep 0.3
    desktop_click $((WIDTH / 2)) $((HEIGHT / 2))
    sleep 0.3
    desktop_click "${alarm_time[@]}"
    sleep 1
    [[ $(count_windows "$QUESTION") -eq 0 ]] || fail "the $other window does not cover the countdown"
  fi
  kill "$OTHER_PID"
  sleep 0.5
  if [[ $COVERS == yes ]]; then
    desktop_click "${on_top_button[@]}"
    sleep 0.3
    always_on_top "$tintel" || fail "the countdown is not on top again after its button"
  fi
done

# Each close request closes another program's window, and the countdown refuses it.
for how in "${CLOSES[@]}"; do
  xmessage -name ferme "ferme-moi" >/dev/null 2>&1 &
  PIDS+=($!)
  close_by "$(wait_window ferme 5)" "$how"
  wait_gone ferme 5
  close_by "$tintel" "$how"
  sleep 0.5
  kill -0 "$TINTEL_PID" 2>/dev/null || fail "$how on the countdown window ended the program"
  [[ $(count_windows "Tintel journalière") -eq 1 ]] || fail "$how closed the countdown window"
  [[ $(outer_frame "$tintel") == "$placed" ]] || fail "$how moved the countdown: $(outer_frame "$tintel")"
done

# The alarm second comes while the user types in another program, which keeps every key: the
# message window comes centred and asks for attention, and takes the keyboard only once the user
# clicks it, its OK then answering Enter.
typist=$(start_typist)
[[ $FULL_SCREEN == no ]] || wmctrl -i -r "$typist" -b add,fullscreen
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
watch_state_requests
# The faked clock starts again from 09:59:59 at the program's first reading after this, within
# a second: the message window comes one second after that, timed apart from the typing.
written=$(date +%s%3N)
echo "@2026-06-01 09:59:59" >"$WORK/faketime"
(wait_window "$MESSAGE" 5 >/dev/null && date +%s%3N >"$WORK/shown") &
shown=$!
PIDS+=("$shown")
message=$(type_through "$typist" "$MESSAGE" "$KEEPS_KEYS")
wait "$shown"
elapsed=$(($(cat "$WORK/shown") - written))
echo "message window ${elapsed} ms after the clock was set to one second before the alarm"
((elapsed >= 1000 && elapsed < 6000)) || fail "message window ${elapsed} ms after 09:59:59"
centred "$message" "the message window"
grep -q "^$(hex "$message") 1 _NET_WM_STATE_DEMANDS_ATTENTION$" "$WORK/requests" ||
  fail "the message window asks for no attention: $(cat "$WORK/requests")"
[[ $FULL_SCREEN == no ]] || above "$message" "$typist" "the message window"
# The user comes to it with a click beside OK, on no control.
read -r x y _ < <(client_geometry "$message")
desktop_click $((x + 30)) $((y + 78))
eventually has_keyboard "$message" || fail "a click leaves the message window without the keyboard"

desktop_key F2
about=$(wait_window "À propos de Tintel" 5)
sleep 0.3
above "$about" "$message" "the about window"
press "$about" Escape
wait_gone "À propos de Tintel" 3
desktop_key Return
wait_window "Nouvelle alarme" 5 >/dev/null
wait_gone "Tintel journalière" 3
echo PASS
