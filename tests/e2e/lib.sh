# The end-to-end tests' layer over the shared X session: the binary under test is their first
# argument, and a few checks only tests make.
TINTEL=${1:?usage: $0 path/to/tintel}
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

always_on_top() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# A stand-in for the desktop's opener on PATH: every request lands as a line in $WORK/opened.
install_opener_standin() {
  mkdir -p "$WORK/bin"
  cat >"$WORK/bin/xdg-open" <<STANDIN
#!/bin/sh
printf '%s\n' "\$*" >>"$WORK/opened"
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
# shows, and twice more after: every key must have landed in $1, and the new window must still
# be there. Prints the new window's id.
type_through() {
  local typist=$1 title=$2 id="" after=2 i
  for i in $(seq 60); do
    [[ $(xdotool getwindowfocus) == "$typist" ]] || fail "window $typist lost the keyboard"
    xdotool type --delay "$TYPING_DELAY" "a b"
    xdotool key Return
    printf 'a b\n' >>"$WORK/sent"
    if [[ -z $id ]]; then
      id=$(search_titles "$title" --onlyvisible | head -n1)
    elif ((--after == 0)); then
      break
    fi
  done
  [[ -n $id ]] || fail "no window titled '$title'"
  sleep 0.3
  cmp -s "$WORK/sent" "$WORK/typed" ||
    fail "typed '$(cat "$WORK/sent")', the typist got '$(cat "$WORK/typed")'"
  [[ $(count_windows "$title") -eq 1 ]] || fail "'$title' went while the user typed elsewhere"
  echo "$id"
}
