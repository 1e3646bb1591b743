#!/usr/bin/env bash
# The Debian package end to end: built from the build folder that runs the test, installed with
# apt so that its declared dependencies must resolve, checked file by file, started from PATH
# under Xvfb, and removed again. Usage: package.sh path/to/tintel build-folder
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: installing a Debian package system-wide needs root"
  exit 77
fi
source "$(dirname "$0")/lib.sh"
BUILD=$(cd "${2:?usage: $0 path/to/tintel build-folder}" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=$BUILD/e2e-package
export DEBIAN_FRONTEND=noninteractive
apt_get() {
  apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" >"$WORK/apt.log" 2>&1 || {
    cat "$WORK/apt.log" >&2
    fail "apt-get $* failed"
  }
}

# The package lives in /usr for everyone: two runs from two build folders must not overlap.
exec 9>/run/lock/tintel-e2e-package.lock
flock -w 600 9 || fail "another run of this test holds the package lock"

# Packaged once per build folder, and again only when the binary or what goes into the package
# is newer than the package.
deb=$(ls "$OUT"/tintel_*.deb 2>/dev/null | head -n1 || true)
if [[ -z $deb ]] || [[ -n $(find "$TINTEL" "$BUILD/CPackConfig.cmake" "$ROOT/cmake/packaging.cmake" \
  "$ROOT/scripts/package.sh" "$ROOT/resources/desktop" "$ROOT/resources/icons" \
  "$ROOT/resources/help/aide.htm" -newer "$deb" 2>/dev/null) ]]; then
  bash "$ROOT/scripts/package.sh" "$BUILD" "$OUT" >"$WORK/package.log" 2>&1 || {
    cat "$WORK/package.log" >&2
    fail "scripts/package.sh failed"
  }
  deb=$(ls "$OUT"/tintel_*.deb 2>/dev/null | head -n1 || true)
fi
[[ -f $deb ]] || fail "no tintel_*.deb in $OUT"
[[ $(dpkg-deb -f "$deb" Package) == tintel ]] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[[ $(dpkg-deb -f "$deb" Section) == utils ]] || fail "section: $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ $depends == *"$library ("* ]] || fail "Depends lacks $library: $depends"
done

installed=0
remove_package() {
  [[ $installed -eq 1 ]] || return 0
  apt-get remove -y -q -o DPkg::Lock::Timeout=300 tintel >/dev/null 2>&1 || true
  installed=0
}
trap 'remove_package; cleanup' EXIT
trap 'exit 143' TERM INT

installed=1
apt_get install --no-install-recommends "$deb"
[[ $(dpkg-query -W -f='${Status}' tintel 2>/dev/null) == "install ok installed" ]] ||
  fail "apt-get did not leave tintel installed"

# The files, owned by the package.
for file in /usr/libexec/tintel/tintel /usr/libexec/tintel/aide.htm /usr/bin/tintel \
  /usr/share/applications/org.example.Tintel.desktop /usr/share/metainfo/org.example.Tintel.metainfo.xml; do
  [[ $(dpkg-query -S "$file" 2>/dev/null) == "tintel: $file" ]] || fail "$file does not belong to tintel"
done
[[ -x /usr/libexec/tintel/tintel && ! -L /usr/libexec/tintel/tintel ]] || fail "no executable in libexec/tintel"
cmp -s /usr/libexec/tintel/aide.htm "$ROOT/resources/help/aide.htm" || fail "aide.htm differs from the tree's"
[[ -L /usr/bin/tintel ]] || fail "/usr/bin/tintel is not a link"
[[ $(readlink /usr/bin/tintel) == ../libexec/tintel/tintel ]] || fail "bin/tintel -> $(readlink /usr/bin/tintel)"
[[ $(readlink -f /usr/bin/tintel) == /usr/libexec/tintel/tintel ]] || fail "bin/tintel resolves elsewhere"

desktop=/usr/share/applications/org.example.Tintel.desktop
for line in Type=Application Name=Tintel Exec=tintel Icon=tintel; do
  grep -qx "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Categories=.*Utility;' "$desktop" && grep -q '^Categories=.*Clock;' "$desktop" ||
  fail "desktop entry categories: $(grep ^Categories= "$desktop")"
grep -q '^Comment=.' "$desktop" && grep -q '^Comment\[fr\]=.' "$desktop" || fail "desktop entry comments"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
fi

for size in 16 32 48 64 128; do
  icon=/usr/share/icons/hicolor/${size}x${size}/apps/tintel.png
  [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] || fail "$icon: $(file -b "$icon" 2>&1)"
done

metainfo=/usr/share/metainfo/org.example.Tintel.metainfo.xml
grep -q '<launchable type="desktop-id">org.example.Tintel.desktop</launchable>' "$metainfo" ||
  fail "metainfo does not launch the desktop entry"
grep -q '<summary xml:lang="fr">' "$metainfo" || fail "metainfo has no French summary"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$WORK/appstream.log" 2>&1 || {
    cat "$WORK/appstream.log" >&2
    fail "appstreamcli rejects the metainfo"
  }
else
  echo "note: appstreamcli not installed, metainfo not validated"
fi

# The installed command, found on PATH, finds its help page through the link.
start_display
install_opener_standin
[[ $(command -v tintel) == /usr/bin/tintel ]] || fail "tintel on PATH is $(command -v tintel)"
start_tintel installed tintel
nouveau=$(wait_window "Nouvelle alarme" 10)
press "$nouveau" F1
for i in $(seq 100); do
  [[ -s $WORK/opened ]] && break
  sleep 0.05
done
[[ $(head -n1 "$WORK/opened" 2>/dev/null) == /usr/libexec/tintel/aide.htm ]] ||
  fail "F1 opened '$(head -n1 "$WORK/opened" 2>/dev/null)'"

# Esc asks, Enter confirms: the program ends by itself.
press "$nouveau" Escape
press "$(wait_window TINTEL 5)" Return
wait_exit "$TINTEL_PID" 5

apt_get remove tintel
installed=0
[[ $(dpkg-query -W -f='${Status}' tintel 2>/dev/null) != "install ok installed" ]] || fail "tintel still installed"
[[ ! -e /usr/bin/tintel && ! -L /usr/bin/tintel && ! -e /usr/libexec/tintel ]] || fail "files left after removal"
echo PASS
