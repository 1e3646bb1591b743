#!/usr/bin/env bash
# The alarm road on the desktop that $2 names, started by the session: every window where it
# belongs, the countdown above other programs' windows, X and native Wayland, and no close from
# outside, the alarm at its second while the user types in another program, the pointer resting
# where the message comes: no key answers it, and a click gives it the keyboard.
source "$(dirname "$0")/lib.sh"
DESKTOP=${2:?usage: $0 path/to/tintel DESKTOP}
WIDTH=1280 HEIGHT=800

# A row a desktop: its close requests (a title-bar button where one closes: xfwm4 puts another
# there on the countdown, and on Wayland the frame is out of X's reach); whether it marks a window
# kept on top as such; whether a window the user raises covers an ordinary countdown (tiled
# windows never do); whether the typist keeps the keyboard as the message comes under the resting
# pointer (awesome gives it to none of them, nor sway, which takes it from the typist as the
# message comes); whether the typist is full screen at the alarm; whether windows go where the
# program puts them (sway centres every floating window's body, its title bar above, wherever it
# asks to be); whether it offers only the actions a window allows (metacity and mutter draw only
# the title-bar buttons asked for); whether the road takes each modal window through it: above
# its opener with the keyboard, shown again at once when minimised, the alarm firing over the
# what-next dialog, a held Enter no answer (on one desktop, for the time it takes: metacity, KWin
# and xfwm4 hold to it too, but mutter minimises no countdown, which allows no minimise, i3
# minimises nothing, and awesome keeps the active window above); whether it marks a window in
# full view that asks for attention as such (mutter and metacity never do).
# A click on the countdown above another program's window reaches it everywhere but under sway,
# where XWayland stacks the window sway gives the keyboard above the others, whatever sway draws.
row() {
  CLOSES=($1) MARKS_ABOVE=$2 COVERS=$3 KEEPS_KEYS=$4 FULL_SCREEN=$5 PLACES=$6 OFFERS=$7 MODALS=$8
  MARKS_ATTENTION=$9
}
case $DESKTOP in
  openbox) row "alt+F4 _NET_CLOSE_WINDOW button" yes yes yes no yes no yes yes ;;
  metacity) row "alt+F4 _NET_CLOSE_WINDOW button" yes yes yes no yes yes no no ;;
  gnome-x11) row "alt+F4 _NET_CLOSE_WINDOW button" yes yes yes yes yes yes no no ;;
  gnome-wayland) row "alt+F4 _NET_CLOSE_WINDOW" yes yes yes yes yes yes no no ;;
  kde-x11) row "alt+F4 _NET_CLOSE_WINDOW button" yes yes yes yes yes no no yes ;;
  kde-wayland) row "alt+F4 _NET_CLOSE_WINDOW" yes yes yes yes yes no no yes ;;
  xfwm4) row "alt+F4 _NET_CLOSE_WINDOW" yes yes yes no yes no no yes ;;
  i3) row "alt+shift+q _NET_CLOSE_WINDOW" yes no yes no yes no no no ;;
  awesome) row "super+shift+c _NET_CLOSE_WINDOW" yes yes no no yes no no no ;;
  # sway marks nothing on XWayland windows and ignores a close asked by another program; the
  # countdown's corner comes from the user's own lines.
  sway) row "super+shift+q" no no no no no no no no ;;
  *) fail "no row for the desktop $DESKTOP" ;;
esac
start_display "$DESKTOP" "${WIDTH}x$HEIGHT"
# XWayland takes a pointer that sway offers only after a while: offered well before the clicks.
[[ $DESKTOP != sway ]] || sway_pointer
QUESTION="Que voulez-vous faire?"
ABOUT="À propos de Tintel"
# A copy of the program in a folder without the help page: F1 says so in a box of its own.
HELP="fichier d'aide absent"
mkdir "$WORK/app"
cp "$TINTEL" "$WORK/app/tintel"
TINTEL=$WORK/app/tintel

# Whether window $1, its frame included, is centred on the screen within a pixel; the last frame
# seen is left in FRAME, as the splash may go before it is centred.
is_centred() {
  local l="" t r b
  if [[ $PLACES == yes ]]; then
    read -r l t r b < <(outer_frame "$1" 2>/dev/null) || true
  elif read -r l t r b < <(client_geometry "$1" 2>/dev/null) && [[ -n $b ]]; then
    r=$((l + r)) b=$((t + b))
  fi
  [[ -n $b ]] && FRAME="$l $t $r $b" &&
    ((l + r - WIDTH <= 2 && WIDTH - l - r <= 2 && t + b - HEIGHT <= 2 && HEIGHT - t - b <= 2))
}
# A window manager may frame a window only after its first map.
centred() { FRAME="" && eventually is_centred "$1" || fail "$2 is not centred: frame $FRAME"; }

# Fails when the window manager, where it offers only what a window allows, offers window $1
# (named $2) any of the actions that follow.
offers_none() {
  [[ $OFFERS == yes ]] || return 0
  local id=$1 name=$2 action
  shift 2
  eventually allows "$id" MOVE || fail "$name: the window manager set no actions"
  for action; do
    not allows "$id" "$action" ||
      fail "$name offers $action: $(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)"
  done
}
allows() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | grep -q "_NET_WM_ACTION_$2"; }

is_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
is_normal() { xprop -id "$1" WM_STATE | grep -q 'state: Normal'; }
demands_attention() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }
# Whether the screen shows the message window's yellow at the centre of window $1.
yellow_in() {
  local x y w h
  read -r x y w h < <(client_geometry "$1")
  import -window root -crop "1x1+$((x + w / 2))+$((y + h / 2))" -depth 8 txt:- | grep -qi '#FFFF00'
}

# A modal window minimised by the window manager ($1, named $2, titled $3) is shown again at once.
comes_back() {
  xdotool windowminimize "$1"
  # Seen only once the window manager has taken it away: given time to.
  sleep 0.5
  eventually is_normal "$1" || fail "$2 stayed minimised"
  [[ $(count_windows "$3") -eq 1 ]] || fail "$2 is not shown again"
}

# Opens a modal window with key $2 from window $1 and checks that it comes above its opener, owned
# by a window on screen, with the focus, its own pixels over the message window's and, for the
# about window, centred; then closes it by $4, a key or a close request, after a minimise when $5
# says so.
modal_above() {
  local opener=$1 key=$2 title=$3 close=$4 minimise=${5:-} modal
  press "$opener" "$key"
  modal=$(wait_window "$title" 5)
  eventually above "$modal" "$opener" || fail "'$title' from $key is not above its opener"
  owner_mapped "$modal" "'$title' from $key"
  eventually is_active "$modal" || fail "'$title' from $key has not the focus"
  eventually not yellow_in "$modal" || fail "'$title' from $key is under the message window"
  [[ $title != "$ABOUT" ]] || centred "$modal" "'$title' from $key"
  [[ -z $minimise ]] || comes_back "$modal" "'$title' from $key" "$title"
  close_by "$modal" "$close"
  wait_gone "$title" 3
}

managed() { xprop -root _NET_CLIENT_LIST | grep -q "$1\b"; }
# The program's windows on screen, by title.
program_windows() {
  xdotool search --onlyvisible --pid "$TINTEL_PID" 2>/dev/null | xargs -r -n1 xdotool getwindowname
}

# Ten minutes ahead, as the road takes a while on a busy machine; the clock is set to a second
# before the alarm when it is to fire.
start_faked road "2026-06-01 09:50:00"
splash=$(wait_window Tintel 10)
centred "$splash" "the splash"
nouveau=$(wait_window "Nouvelle alarme" 10)
centred "$nouveau" "the new-alarm window"
enter_alarm "$nouveau" 10:00 "Bureau"
tintel=$(wait_window "Tintel journalière" 5)
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
eventually in_corner "$tintel" "$WIDTH" "$panel" ||
  fail "countdown window at $(outer_frame "$tintel"), not flush top right"
placed=$(outer_frame "$tintel")
[[ $MARKS_ABOVE == no ]] || always_on_top "$tintel" || fail "the countdown window is not on top"
offers_none "$tintel" "the countdown window" CLOSE MINIMIZE MAXIMIZE

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
  offers_none "$question" "the what-next dialog" CLOSE MINIMIZE MAXIMIZE
  press "$question" Down Return
  wait_gone "$QUESTION" 3
  if [[ $COVERS == yes ]]; then
    desktop_click "${on_top_button[@]}"
    eventually not always_on_top "$tintel" || fail "the countdown is still on top after its button"
    desktop_click $((WIDTH / 2)) $((HEIGHT / 2))
    # Where a native Wayland window stands is out of X's sight: it is given time to come up.
    if [[ $other == x11 ]]; then eventually above "$(wait_window autre)" "$tintel"; else sleep 0.3; fi ||
      fail "a click leaves the $other window under the countdown"
    desktop_click "${alarm_time[@]}"
    # The what-next dialog, had the click reached the countdown, would show within a second.
    sleep 1
    [[ $(count_windows "$QUESTION") -eq 0 ]] || fail "the $other window does not cover the countdown"
  fi
  [[ $other != x11 ]] || gone=$(hex "$(wait_window autre)")
  kill "$OTHER_PID"
  wait "$OTHER_PID" 2>/dev/null || true
  wait_gone autre 5
  # A busy window manager takes a moment to forget the window, its frame still over the corner.
  [[ $other != x11 ]] || eventually not managed "$gone" ||
    fail "the window manager still manages the closed $other window"
  if [[ $COVERS == yes ]]; then
    desktop_click "${on_top_button[@]}"
    eventually always_on_top "$tintel" || fail "the countdown is not on top again after its button"
  fi
done

# Each close request closes another program's window, and the countdown refuses it.
for how in "${CLOSES[@]}"; do
  xmessage -name ferme "ferme-moi" >/dev/null 2>&1 &
  PIDS+=($!)
  until_gone ferme close_by "$(wait_window ferme 5)" "$how"
  close_by "$tintel" "$how"
  # A refused close shows as nothing happening: given time to show otherwise.
  sleep 0.5
  kill -0 "$TINTEL_PID" 2>/dev/null || fail "$how on the countdown window ended the program"
  [[ $(count_windows "Tintel journalière") -eq 1 ]] || fail "$how closed the countdown window"
  [[ $(outer_frame "$tintel") == "$placed" ]] || fail "$how moved the countdown: $(outer_frame "$tintel")"
done

ALARM=10:00 EVE=09:59:59
if [[ $MODALS == yes ]]; then
  # Minimised by the window manager, the countdown shows its alarm in its title as with its own
  # button.
  xdotool windowminimize "$tintel"
  wait_title "Tintel: 10:00 (Bureau)" 3 >/dev/null
  xdotool windowactivate --sync "$tintel" >/dev/null 2>&1 || xdotool windowmap "$tintel"
  wait_window "Tintel journalière" 3 >/dev/null
  # Modal windows open above the countdown, kept on top; the about window closes by every request.
  for how in "${CLOSES[@]}"; do modal_above "$tintel" F2 "$ABOUT" "$how"; done
  modal_above "$tintel" F1 "$HELP" Return minimise
  # A minimised what-next dialog comes back; the alarm closes it as it fires.
  desktop_click "${alarm_time[@]}"
  question=$(wait_window "$QUESTION" 5)
  eventually above "$question" "$tintel" || fail "the what-next dialog is not above the countdown"
  eventually is_active "$question" || fail "the what-next dialog has not the focus"
  comes_back "$question" "the what-next dialog" "$QUESTION"
  modal_above "$question" F2 "$ABOUT" Escape
  [[ $(count_windows "votre message de 10:00:00") -eq 0 ]] || fail "the alarm fired early"
  echo "@2026-06-01 $EVE" >"$WORK/faketime"
  message=$(wait_window "votre message de 10:00:00" 5)
  [[ $(count_windows "$QUESTION") -eq 0 ]] ||
    fail "the what-next dialog is left open over a fired alarm"
  # Over the message window, with its yellow box under the modal window's centre.
  comes_back "$message" "the message window" "votre message de 10:00:00"
  modal_above "$message" F2 "$ABOUT" Escape minimise
  modal_above "$message" F1 "$HELP" Return
  # Another program's window active: the message window stays above it and asks for attention.
  xmessage -name autre "autre programme" >/dev/null 2>&1 &
  PIDS+=($!)
  other=$(wait_window autre 5)
  xdotool windowactivate --sync "$other"
  eventually above "$message" "$other" || fail "the message window is not above the active window"
  [[ $MARKS_ATTENTION == no ]] || eventually demands_attention "$message" ||
    fail "the message window does not ask for attention: $(xprop -id "$message" _NET_WM_STATE)"
  press "$message" Return
  wait_gone "votre message de 10:00:00" 3
  eventually eval '[[ $(program_windows) == "Nouvelle alarme" ]]' ||
    fail "windows left after OK: $(program_windows)"
  ALARM=10:30 EVE=10:29:59
  enter_alarm "$(wait_window "Nouvelle alarme" 5)" $ALARM "Bureau"
  wait_window "Tintel journalière" 5 >/dev/null
fi
MESSAGE="votre message de $ALARM:00"

# The alarm second comes while the user types in another program, which keeps every key: the
# message window comes centred and asks for attention, and takes the keyboard only once the user
# clicks it, its OK then answering Enter.
typist=$(start_typist)
[[ $FULL_SCREEN == no ]] || wmctrl -i -r "$typist" -b add,fullscreen
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
watch_state_requests
# The faked clock starts again from the alarm's eve at the program's first reading after this,
# within a second: the message window comes one second after that, timed apart from the typing.
written=$(date +%s%3N)
echo "@2026-06-01 $EVE" >"$WORK/faketime"
(wait_window "$MESSAGE" 5 >/dev/null && date +%s%3N >"$WORK/shown") &
shown=$!
PIDS+=("$shown")
message=$(type_through "$typist" "$MESSAGE" "$KEEPS_KEYS")
wait "$shown"
elapsed=$(($(cat "$WORK/shown") - written))
echo "message window ${elapsed} ms after the clock was set to one second before the alarm"
((elapsed >= 1000 && elapsed < 6000)) || fail "message window ${elapsed} ms after $EVE"
centred "$message" "the message window"
grep -q "^$(hex "$message") 1 _NET_WM_STATE_DEMANDS_ATTENTION$" "$WORK/requests" ||
  fail "the message window asks for no attention: $(cat "$WORK/requests")"
[[ $MARKS_ATTENTION == no ]] || demands_attention "$message" ||
  fail "no call for attention: $(xprop -id "$message" _NET_WM_STATE)"
[[ $FULL_SCREEN == no && $MODALS == no ]] || above "$message" "$typist" ||
  fail "the message window is not above the typist"
offers_none "$message" "the message window" MINIMIZE MAXIMIZE
# The user comes to it with a click beside OK, on no control, Enter held down in the other
# program the while: its repeats are no answer.
[[ $MODALS == no ]] || xdotool keydown Return
read -r x y _ < <(client_geometry "$message")
desktop_click $((x + 30)) $((y + 78))
eventually has_keyboard "$message" || fail "a click leaves the message window without the keyboard"
if [[ $MODALS == yes ]]; then
  # Held long enough to repeat.
  sleep 1.5
  xdotool keyup Return
  [[ $(count_windows "$MESSAGE") -eq 1 ]] || fail "a held Enter answered the message"
fi

desktop_key F2
about=$(wait_window "$ABOUT" 5)
eventually above "$about" "$message" || fail "the about window is not above the message window"
offers_none "$about" "the about window" MINIMIZE MAXIMIZE
press "$about" Escape
wait_gone "$ABOUT" 3
desktop_key Return
wait_window "Nouvelle alarme" 5 >/dev/null
wait_gone "Tintel journalière" 3
echo PASS
