#!/usr/bin/env bash
# The function keys through the desktop's opener, the about window, and the what-next dialog's
# "Quitter le programme", with the real binary.
source "$(dirname "$0")/lib.sh"
start_display

# A stand-in for the desktop's opener records what it was asked to open.
install_opener_standin
folder=$(cd "$(dirname "$TINTEL")" && pwd)

opened_last() {
  eventually eval '[[ -f $WORK/opened && $(wc -l <"$WORK/opened") -ge '"$1"' ]]' || true
  sed -n "$1p" "$WORK/opened" 2>/dev/null
}

# In a Wayland session, where the program chooses X11 for itself and the programs it opens do not.
XDG_SESSION_TYPE=wayland start_faked side "2026-06-01 10:00:00"
nouveau=$(wait_window "Nouvelle alarme" 8)
[[ -f $folder/aide.htm ]] || fail "no help page beside the executable"
press "$nouveau" F1
[[ $(opened_last 1) == "$folder/aide.htm" ]] || fail "F1 opened '$(opened_last 1)'"
press "$nouveau" F3
[[ $(opened_last 2) == "http://www.example.org/kwj/index.html" ]] || fail "F3 opened '$(opened_last 2)'"
press "$nouveau" shift+F4
[[ $(opened_last 3) == "mailto:kwj@example.org?subject=Tintel journalière" ]] || fail "F4 opened '$(opened_last 3)'"
[[ $(sort -u "$WORK/opened.platform") == unset ]] ||
  fail "the opener was given QT_QPA_PLATFORM: $(sort -u "$WORK/opened.platform")"

press "$nouveau" F2
about=$(wait_window "À propos de Tintel" 5)
# A dialog transient for the program's windows (for its group leader, when it has no parent)
# is what keeps task bars from listing it.
owner=$(xprop -id "$about" WM_TRANSIENT_FOR | awk '{ print $NF }')
leader=$(xprop -id "$nouveau" WM_CLIENT_LEADER | awk '{ print $NF }')
[[ -n $owner && ($owner == "$leader" || $((owner)) -eq $nouveau) ]] ||
  fail "the about window is transient for '$owner', not for the program"
xprop -id "$about" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
  fail "the about window is not a dialog"
press "$about" Escape
wait_gone "À propos de Tintel" 3

enter_alarm "$nouveau" 11:00 "Quitter"
tintel=$(wait_window "Tintel journalière" 5)
# Its final place, once the window manager's frame is known.
eventually in_corner "$tintel" || fail "the countdown is not in its corner"
# The alarm time fills the black box at 4,4 (133 x 45) of the client area.
xdotool mousemove --window "$tintel" 60 25 click 1
question=$(wait_window "Que voulez-vous faire?" 5)
press "$question" Escape
# Were Escape to close it, the dialog would go at once.
sleep 0.5
[[ $(count_windows "Que voulez-vous faire?") -eq 1 ]] || fail "Escape closed the dialog"
press "$question" Down Down Return
wait_exit "$TINTEL_PID" 5
[[ $(setting etat) == actif ]] || fail "etat after 'Quitter le programme': $(setting etat)"
echo PASS
