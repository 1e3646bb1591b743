#!/usr/bin/env bash
# Where the program meets the window manager: closes from outside, minimised modal windows,
# stacking of every modal window above its opener, and the message window's call for attention
# and its keeping away from the keyboard of another program.
source "$(dirname "$0")/lib.sh"
start_display

# A copy of the program in a folder without the help page, for F1's message box.
mkdir -p "$WORK/app"
cp "$TINTEL" "$WORK/app/tintel"
TINTEL=$WORK/app/tintel
HELP_TITLE="fichier d'aide absent"
ABOUT="À propos de Tintel"
QUESTION="Que voulez-vous faire?"

# The colour of the screen's pixel at the centre of window $1, as RRGGBB.
centre_pixel() {
  local x y w h
  read -r x y w h < <(client_geometry "$1")
  import -window root -crop "1x1+$((x + w / 2))+$((y + h / 2))" -depth 8 txt:- |
    grep -o '#[0-9A-Fa-f]\{6\}' | head -n1 | tr -d '#' | tr a-f A-F
}

is_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
is_normal() { xprop -id "$1" WM_STATE | grep -q 'state: Normal'; }
demands_attention() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_DEMANDS_ATTENTION; }

# A modal window minimised by the window manager is shown again at once.
comes_back() {
  xdotool windowminimize "$1"
  sleep 0.5
  eventually is_normal "$1" || fail "$2 stayed minimised"
  [[ $(count_windows "$3") -eq 1 ]] || fail "$2 is not shown again"
}

# Opens a modal window with key $2 from window $1 and checks that it is above its opener, has the
# focus, shows its own pixels over the message window and, for the about window, is centred; then
# closes it with key $4, after a minimise when $5 says so.
modal_above() {
  local opener=$1 key=$2 title=$3 close=$4 minimise=${5:-} modal
  press "$opener" "$key"
  modal=$(wait_window "$title" 5)
  sleep 0.3
  above "$modal" "$opener" "'$title' from $key"
  owner_mapped "$modal" "'$title' from $key"
  eventually is_active "$modal" || fail "'$title' from $key has not the focus"
  [[ $(centre_pixel "$modal") != FFFF00 ]] || fail "'$title' from $key is under the message window"
  if [[ $title == "$ABOUT" ]]; then
    # Made to stay on top after its load step placed it: still centred on the 1280x1024 screen.
    local l t r b
    read -r l t r b < <(outer_frame "$modal")
    ((l + r - 1280 <= 2 && 1280 - l - r <= 2 && t + b - 1024 <= 2 && 1024 - t - b <= 2)) ||
      fail "'$title' from $key is not centred: frame $l $t $r $b"
  fi
  [[ -z $minimise ]] || comes_back "$modal" "'$title' from $key" "$title"
  press "$modal" "$close"
  wait_gone "$title" 3
}

# The close requests a window manager offers, each proved on the about window, which they close.
CLOSES=(alt+F4 _NET_CLOSE_WINDOW button)

start_faked desktop "2026-06-01 10:00:00"
nouveau=$(wait_window "Nouvelle alarme" 8)
for how in "${CLOSES[@]}"; do
  press "$nouveau" F2
  about=$(wait_window "$ABOUT" 5)
  sleep 0.3
  close_by "$about" "$how"
  wait_gone "$ABOUT" 3
done

# 1. The countdown window refuses every close from outside and stays in its corner.
enter_alarm "$nouveau" 10:01 "Bonjour"
tintel=$(wait_window "Tintel journalière" 5)
sleep 0.5
placed=$(client_geometry "$tintel")
for how in "${CLOSES[@]}"; do
  close_by "$tintel" "$how"
  sleep 0.5
  kill -0 "$TINTEL_PID" 2>/dev/null || fail "$how on the countdown window ended the program"
  [[ $(count_windows "Tintel journalière") -eq 1 ]] || fail "$how closed the countdown window"
  [[ $(client_geometry "$tintel") == "$placed" ]] || fail "$how moved the countdown window: $(client_geometry "$tintel")"
done
# Minimised by the window manager, it shows its alarm in its title as with its own button.
xdotool windowminimize "$tintel"
wait_title "Tintel: 10:01 (Bonjour)" 3 >/dev/null
xdotool windowactivate --sync "$tintel" >/dev/null 2>&1 || xdotool windowmap "$tintel"
wait_window "Tintel journalière" 3 >/dev/null
sleep 0.3

# 2. Modal windows open above the always-on-top countdown window.
modal_above "$tintel" F2 "$ABOUT" Escape
modal_above "$tintel" F1 "$HELP_TITLE" Return minimise

# 3. A minimised what-next dialog comes back; the alarm closes it as it fires.
xdotool mousemove --window "$tintel" 60 25 click 1
question=$(wait_window "$QUESTION" 5)
sleep 0.3
above "$question" "$tintel" "the what-next dialog"
eventually is_active "$question" || fail "the what-next dialog has not the focus"
comes_back "$question" "the what-next dialog" "$QUESTION"
modal_above "$question" F2 "$ABOUT" Escape
[[ $(count_windows "votre message de 10:01:00") -eq 0 ]] || fail "the alarm fired early"
echo "@2026-06-01 10:00:59" >"$WORK/faketime"
message=$(wait_window "votre message de 10:01:00" 5)
[[ $(count_windows "$QUESTION") -eq 0 ]] || fail "the what-next dialog is left open over a fired alarm"

# 4. Over the message window, with its yellow box under the modal window's centre.
sleep 0.3
comes_back "$message" "the message window" "votre message de 10:01:00"
modal_above "$message" F2 "$ABOUT" Escape minimise
modal_above "$message" F1 "$HELP_TITLE" Return

# 5. Another program's window active: the message window stays above it and asks for attention.
xmessage -name autre "autre programme" >/dev/null 2>&1 &
PIDS+=($!)
other=$(wait_window autre 5)
xdotool windowactivate --sync "$other"
sleep 0.5
above "$message" "$other" "the message window"
eventually demands_attention "$message" ||
  fail "the message window does not ask for attention: $(xprop -id "$message" _NET_WM_STATE)"

press "$message" Return
wait_gone "votre message de 10:01:00" 3
sleep 0.5
left=$(xdotool search --onlyvisible --pid "$TINTEL_PID" 2>/dev/null | xargs -r -n1 xdotool getwindowname)
[[ $left == "Nouvelle alarme" ]] || fail "windows left after OK: $left"

# 6. An alarm while the user types in another program: every key stays there, and the message
# window comes above it without the keyboard, asking for attention, until the user comes to it.
enter_alarm "$(wait_window "Nouvelle alarme" 5)" 10:03 "Tapez"
wait_window "Tintel journalière" 5 >/dev/null
typist=$(start_typist)
echo "@2026-06-01 10:02:58" >"$WORK/faketime"
message=$(type_through "$typist" "votre message de 10:03:00")
above "$message" "$typist" "the message window"
demands_attention "$message" || fail "no call for attention: $(xprop -id "$message" _NET_WM_STATE)"
# Enter held down in the other program while the user switches to the message window: its
# repeats are no answer, a fresh Enter is.
xdotool keydown Return
xdotool windowactivate --sync "$message"
sleep 1.5
xdotool keyup Return
[[ $(count_windows "votre message de 10:03:00") -eq 1 ]] || fail "a held Enter answered the message"
press "$message" Return
wait_gone "votre message de 10:03:00" 3
echo PASS
