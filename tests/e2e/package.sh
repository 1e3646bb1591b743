#!/usr/bin/env bash
# The Debian package as a new user gets it: `make package` builds it, lintian finds nothing to
# say, and apt installs it into a bare Debian 12 root (debootstrap's minbase, kept in
# /var/cache/tintel between runs and clones) with its declared dependencies only. There the
# installed files are checked, the substituted faces resolve to the fonts the package brings, and
# /usr/bin/tintel runs under the host's Xvfb and openbox: splash, new-alarm window, F1 on the
# installed help page, settings file. The package is then purged with what it brought, which
# leaves the root bare for the next run.
# Usage: package.sh path/to/tintel (the binary is not used: the package builds its own)
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: the bare-root package test needs root (debootstrap, chroot, mounts)"
  exit 77
fi
source "$(dirname "$0")/lib.sh"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
for tool in debootstrap lintian chroot mount dpkg-deb desktop-file-validate appstreamcli flock pgrep; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh"
done

# The root outlives the clone, so that a fresh clone on this machine finds it made. Its name
# says what it is made from: when that changes, another is made and the old one goes.
CACHE=/var/cache/tintel
suite=bookworm
variant=minbase
made_from=$(printf '%s\n' "$suite" "$variant" "$(dpkg --print-architecture)" \
  "debootstrap $(dpkg-query -W -f='${Version}' debootstrap)" | sha256sum | cut -c1-12)
BARE=$CACHE/bare-$suite-$variant-$made_from
mkdir -p "$CACHE" "$ROOT/build"

# One run at a time in a clone, for build/package; one at a time on the machine, for the root,
# whose lock the root's preparation takes beside the build (the lock then belongs to this shell).
exec 8>"$ROOT/build/package.lock"
flock -w 1800 8 || fail "another run of this test in this clone holds build/package.lock"
exec 9>/run/lock/tintel-bare-root.lock

in_root() { chroot "$BARE" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
root_apt() {
  in_root DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@" >"$WORK/apt.log" 2>&1 || {
    cat "$WORK/apt.log" >&2
    fail "apt-get $* failed in the root"
  }
}
# Mount points under the root, deepest first.
mounts_under() {
  awk -v root="$1" '$5 == root || index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
release_root() {
  local pid mount
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$1" ]] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  for mount in $(mounts_under "$1"); do umount -l "$mount" 2>/dev/null || true; done
}
# rm would go down a bind mount of the host's own folders: nothing is removed while one is left.
remove_root() {
  release_root "$1"
  [[ -z $(mounts_under "$1") ]] || fail "$1 still has mounts: $(mounts_under "$1" | tr '\n' ' ')"
  rm -rf --one-file-system "$1"
}
kill_tree() {
  local child
  kill -STOP "$1" 2>/dev/null || return 0
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill -9 "$1" 2>/dev/null || true
}

# Made beside the package build, which needs the processors while debootstrap mostly waits on
# the network and the disk. The mirror is the host's own.
mirror=$(apt-cache policy | awk '$3 == "bookworm/main" && $2 ~ /^https?:/ { print $2; exit }')
prepare_root() {
  local start=$SECONDS old
  flock -w 1800 9 || fail "another run of this test holds the bare root's lock"
  touch "$WORK/root.locked"
  # Roots made from other inputs, one left half made (.new), and the one clones kept in build/.
  for old in "$CACHE"/bare-* "$ROOT/build/bare-bookworm"; do
    [[ $old != "$BARE" && -e $old ]] && remove_root "$old"
  done
  # Made again when it no longer runs apt; renamed only once whole.
  if ! in_root apt-get --version >/dev/null 2>&1 || [[ ! -f $BARE/.ready ]]; then
    [[ -n $mirror ]] || fail "the host's apt sources name no bookworm main archive"
    echo "making a bare Debian 12 root in $BARE"
    remove_root "$BARE"
    debootstrap --variant="$variant" "$suite" "$BARE.new" "$mirror" >"$WORK/debootstrap.log" 2>&1 || {
      release_root "$BARE.new"
      tail -n 30 "$WORK/debootstrap.log" >&2
      fail "debootstrap failed"
    }
    touch "$BARE.new/.ready"
    mv "$BARE.new" "$BARE"
  fi
  # The same suites as the host (security and updates included), so that the versions that
  # dpkg-shlibdeps saw on the host can be met.
  apt-cache policy | awk '$3 ~ /^bookworm(-updates|-security|)\/main$/ && $2 ~ /^https?:/ {
    split($3, s, "/"); print "deb " $2 " " s[1] " main" }' | sort -u >"$BARE/etc/apt/sources.list"
  cp /etc/resolv.conf "$BARE/etc/resolv.conf"
  find "$BARE/var/lib/apt/lists" -maxdepth 1 -name '*_Packages' -mmin -1440 | grep -q . &&
    cmp -s "$BARE/etc/apt/sources.list" "$BARE/.sources" || {
    root_apt update
    # Downloaded packages are kept for the next run, but not those the archive no longer has.
    root_apt autoclean
    cp "$BARE/etc/apt/sources.list" "$BARE/.sources"
  }
  echo "phase: bare root ready after $((SECONDS - start)) s, beside the build"
}

RUN=
PREPARING=
finish() {
  local rc=$?
  if [[ $rc -ne 0 && -n ${TINTEL_PID:-} ]]; then
    echo "windows on $DISPLAY: $(xdotool search --name . getwindowname %@ 2>&1 | tr '\n' '|')" >&2
    echo "visible: $(xdotool search --onlyvisible --name . getwindowname %@ 2>&1 | tr '\n' '|')" >&2
    cat "$WORK"/openbox.*.log >&2
    cat "$WORK/tintel.log" >&2
  fi
  [[ -n $PREPARING ]] && kill_tree "$PREPARING"
  [[ -n ${LINTING:-} ]] && kill_tree "$LINTING"
  # The root is another run's while this one waits for its lock.
  if [[ -f $WORK/root.locked ]]; then
    release_root "$BARE"
    release_root "$BARE.new"
    [[ -n $RUN ]] && rm -rf "$BARE$RUN"
  fi
  cleanup
}
trap finish EXIT
trap 'exit 143' TERM INT
# Each phase says how long it took, so that a slow run shows where its time went.
phase_start=$SECONDS
phase() { echo "phase: $1 $((SECONDS - phase_start)) s"; phase_start=$SECONDS; }
prepare_root &
PREPARING=$!
# Started first: openbox takes a few seconds to settle after it claims the screen, and a window
# mapped in that time may never be shown, as the two-second splash would not be.
start_display
phase display

# The package, exactly as `make package` builds it (its own hardened Release tree).
bash "$ROOT/scripts/package.sh" >"$WORK/package.log" 2>&1 || {
  cat "$WORK/package.log" >&2
  fail "scripts/package.sh failed"
}
phase "package build"
deb=$(tail -n2 "$WORK/package.log" | head -n1)
[[ -f $deb && $deb == "$ROOT"/build/package/tintel_*.deb ]] || fail "no package: $deb"
[[ $(dpkg-deb -f "$deb" Package) == tintel ]] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[[ $(dpkg-deb -f "$deb" Section) == utils ]] || fail "section: $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-urw-base35 fonts-liberation2 fonts-comic-neue; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
for package in qt6-translations-l10n xdg-utils sound-theme-freedesktop libcanberra-pulse libcanberra0; do
  [[ ", $recommends," == *", $package"[\ ,]* ]] || fail "Recommends lacks $package: $recommends"
  [[ ", $depends," != *", $package"[\ ,]* ]] || fail "Depends has $package, which the program does without"
done

# Lintian reads the package while apt installs it; its verdict is read after the install.
lintian --no-tag-display-limit "$deb" >"$WORK/lintian.log" 2>&1 &
LINTING=$!

rc=0
wait "$PREPARING" || rc=$?
PREPARING=
[[ $rc -eq 0 ]] || fail "the bare root could not be made ready (exit $rc)"
phase "waiting for the bare root"

mount -t proc proc "$BARE/proc"
mount --rbind /dev "$BARE/dev"
mount --make-rslave "$BARE/dev"
mkdir -p "$BARE/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$BARE/tmp/.X11-unix"

# A run that died may have left the package or what it brought: the root starts bare.
status() { in_root dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true; }
if [[ -n $(status tintel) ]]; then root_apt purge tintel; fi
root_apt autoremove --purge
for package in fonts-urw-base35 xdg-utils libqt6widgets6; do
  if [[ $(status "$package") == "install ok installed" ]]; then fail "the bare root already has $package"; fi
done

RUN=/tmp/tintel-e2e.$$
mkdir -p "$BARE$RUN"
cp "$deb" "$BARE$RUN/"
root_apt install --no-install-recommends "$RUN/$(basename "$deb")"
[[ $(status tintel) == "install ok installed" ]] || fail "apt-get did not leave tintel installed"
for package in xdg-utils libcanberra-pulse qt6-translations-l10n; do
  [[ $(status "$package") != "install ok installed" ]] || fail "$package came in though only recommended"
done
phase "apt install"

# Every error and warning counts; info and pedantic tags do not.
rc=0
wait "$LINTING" || rc=$?
LINTING=
[[ $rc -le 1 ]] || { cat "$WORK/lintian.log" >&2; fail "lintian did not run (exit $rc)"; }
if grep -E '^[EW]: ' "$WORK/lintian.log" >&2; then
  fail "lintian finds errors or warnings in $(basename "$deb")"
fi
phase "waiting for lintian"

# The files, owned by the package.
desktop=$(in_root dpkg-query -L tintel | grep '^/usr/share/applications/[^/]*\.desktop$' || true)
metainfo=$(in_root dpkg-query -L tintel | grep '^/usr/share/metainfo/[^/]*\.metainfo\.xml$' || true)
[[ -n $desktop && -n $metainfo ]] || fail "no desktop entry or no metainfo in the package"
for file in /usr/libexec/tintel/tintel /usr/libexec/tintel/aide.htm /usr/bin/tintel "$desktop" "$metainfo" \
  /usr/share/doc/tintel/copyright /usr/share/doc/tintel/changelog.gz \
  /usr/share/man/man1/tintel.1.gz /usr/share/man/fr/man1/tintel.1.gz; do
  [[ $(in_root dpkg-query -S "$file" 2>/dev/null) == "tintel: $file" ]] || fail "$file does not belong to tintel"
done
[[ -x $BARE/usr/libexec/tintel/tintel && ! -L $BARE/usr/libexec/tintel/tintel ]] || fail "no executable in libexec/tintel"
cmp -s "$BARE/usr/libexec/tintel/aide.htm" "$ROOT/resources/help/aide.htm" || fail "aide.htm differs from the tree's"
[[ $(readlink "$BARE/usr/bin/tintel") == ../libexec/tintel/tintel ]] || fail "bin/tintel -> $(readlink "$BARE/usr/bin/tintel")"
zcat "$BARE/usr/share/man/fr/man1/tintel.1.gz" | grep -q '^\.SH NOM' || fail "the French manual page is not French"
zcat "$BARE/usr/share/man/man1/tintel.1.gz" | grep -q '^\.SH NAME' || fail "the English manual page has no NAME"

desktop_id=$(basename "$desktop")
desktop=$BARE$desktop
for line in Type=Application Name=Tintel Exec=tintel Icon=tintel; do
  grep -qx "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -q '^Categories=.*Utility;' "$desktop" && grep -q '^Categories=.*Clock;' "$desktop" ||
  fail "desktop entry categories: $(grep ^Categories= "$desktop")"
grep -q '^Comment=.' "$desktop" && grep -q '^Comment\[fr\]=.' "$desktop" || fail "desktop entry comments"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
for size in 16 32 48 64 128; do
  icon=$BARE/usr/share/icons/hicolor/${size}x${size}/apps/tintel.png
  [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] || fail "$icon: $(file -b "$icon" 2>&1)"
done
metainfo=$BARE$metainfo
grep -qF "<launchable type=\"desktop-id\">$desktop_id</launchable>" "$metainfo" ||
  fail "metainfo does not launch the desktop entry"
grep -q '<summary xml:lang="fr">' "$metainfo" || fail "metainfo has no French summary"
appstreamcli validate --no-net "$metainfo" >"$WORK/appstream.log" 2>&1 || {
  cat "$WORK/appstream.log" >&2
  fail "appstreamcli rejects the metainfo"
}

# Each face the windows name resolves, through the program's substitution, to a font file that
# a declared dependency brought. fc-match is the root's own: libqt6gui6 depends on fontconfig.
while IFS='|' read -r face substitute package; do
  match=$(in_root fc-match -f '%{family[0]}|%{file}' "$substitute")
  [[ ${match%%|*} == "$substitute" ]] || fail "$face -> $substitute resolves to ${match%%|*}"
  owner=$(in_root dpkg-query -S "${match#*|}" 2>/dev/null || true)
  [[ $owner == "$package: ${match#*|}" ]] || fail "$face -> ${match#*|}, owned by '${owner%%:*}', not $package"
done <<'FACES'
Bookman Old Style|URW Bookman|fonts-urw-base35
MS Sans Serif|Liberation Sans|fonts-liberation2
MS Serif|Liberation Serif|fonts-liberation2
Tempus Sans ITC|Comic Neue|fonts-comic-neue
FACES
phase "files and fonts"

# The installed program under the host's X server, with a stand-in opener in the root.
mkdir -p "$BARE$RUN/bin" "$BARE$RUN/config" "$BARE$RUN/runtime"
chmod 700 "$BARE$RUN/runtime"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>%s/opened\n' "$RUN" >"$BARE$RUN/bin/xdg-open"
chmod +x "$BARE$RUN/bin/xdg-open"
in_root PATH="$RUN/bin:/usr/bin:/bin" HOME=/root DISPLAY="$DISPLAY" XDG_CONFIG_HOME="$RUN/config" \
  XDG_RUNTIME_DIR="$RUN/runtime" tintel >"$WORK/tintel.log" 2>&1 &
TINTEL_PID=$!
PIDS+=($TINTEL_PID)
wait_window Tintel 30 >/dev/null
nouveau=$(wait_window "Nouvelle alarme" 10)
settings=$BARE$RUN/config/tintel.ini
[[ $(setting etat "$settings") == actif ]] || fail "settings after the start: $(cat "$settings" 2>&1)"
press "$nouveau" F1
for i in $(seq 100); do
  [[ -s $BARE$RUN/opened ]] && break
  sleep 0.05
done
[[ $(head -n1 "$BARE$RUN/opened" 2>/dev/null) == /usr/libexec/tintel/aide.htm ]] ||
  fail "F1 opened '$(head -n1 "$BARE$RUN/opened" 2>/dev/null)'"
# Esc asks, Enter confirms: the program ends by itself and says so in its settings.
press "$nouveau" Escape
press "$(wait_window TINTEL 5)" Return
wait_exit "$TINTEL_PID" 5
[[ $(setting etat "$settings") == inactif ]] || fail "settings after quitting: $(cat "$settings")"
phase "program run"

# Purged with what it brought: the root is bare again.
root_apt purge --autoremove tintel
[[ $(status tintel) != "install ok installed" && $(status fonts-comic-neue) != "install ok installed" ]] ||
  fail "tintel or its fonts still installed"
[[ ! -e $BARE/usr/bin/tintel && ! -L $BARE/usr/bin/tintel && ! -e $BARE/usr/libexec/tintel ]] ||
  fail "files left after removal"
phase purge
echo PASS
