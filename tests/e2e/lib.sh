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
