#!/usr/bin/env bash
# The desktop knows the program: its windows carry the class and the id of its menu entry and the
# program's icon, parentless boxes included, and Qt's own menus speak French.
source "$(dirname "$0")/lib.sh"
start_display

entry=$(dirname "$0")/../../resources/desktop/org.example.tintel.desktop
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[[ -n $wm_class ]] || fail "the desktop entry names no StartupWMClass"

# WM_CLASS(STRING) = "instance", "class"
class_of() { xprop -id "$1" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p'; }
# Its desktop entry by name, for GNOME and KDE.
names_entry() {
  [[ $(xprop -id "$1" _GTK_APPLICATION_ID _KDE_NET_WM_DESKTOP_FILE) == *'_GTK_APPLICATION_ID(UTF8_STRING) = "org.example.tintel"'*'_KDE_NET_WM_DESKTOP_FILE(UTF8_STRING) = "org.example.tintel"'* ]]
}
has_icons() {
  local icons size
  icons=$(xprop -id "$1" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
  for size in 16 32 48; do
    [[ $icons == *"Icon ($size x $size)"* ]] || return 1
  done
}

start_faked main "2026-06-01 09:00:00"
main=$TINTEL_PID
nouveau=$(wait_window "Nouvelle alarme" 8)
[[ $(class_of "$nouveau") == "$wm_class" ]] || fail "window class: $(xprop -id "$nouveau" WM_CLASS)"
has_icons "$nouveau" || fail "the new-alarm window has no icon"
names_entry "$nouveau" || fail "the new-alarm window names no desktop entry"

# The refusal of a second copy has no parent window to take an icon from.
start_tintel second
box=$(wait_window Pensez-Y)
[[ $(class_of "$box") == "$wm_class" ]] || fail "box class: $(xprop -id "$box" WM_CLASS)"
names_entry "$box" || fail "the Pensez-Y box names no desktop entry"
has_icons "$box" || fail "the Pensez-Y box carries no icon: $(xprop -id "$box" _NET_WM_ICON | head -c 200)"
press "$box" Return
wait_exit "$TINTEL_PID" 5

# "Co&ller" of the time box's menu pastes; the English menu has no entry on L.
printf '12:34' | xclip -selection clipboard
xdotool windowactivate --sync "$nouveau"
xdotool key Tab
xdotool type --delay 20 "msg"
windows() { xdotool search --onlyvisible --pid "$main" 2>/dev/null | wc -l; }
before=$(windows)
xdotool mousemove --window "$nouveau" 30 34 click 3
eventually eval '(($(windows) > before))' || fail "no menu on the time box"
xdotool key l
eventually eval '(($(windows) == before))' || fail "the menu stayed after L"
press "$nouveau" Return
wait_window "Tintel journalière" 5 >/dev/null
echo PASS
