#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tintel need, and only those
# that are missing. Every package a build or a test uses is named here, even one that another
# package usually brings: a bare Debian root has nothing else.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ clang lld libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev clang-format
  xvfb xauth openbox metacity x11-utils x11-xserver-utils xdotool xclip faketime imagemagick wmctrl
  xterm
  dpkg-dev file binutils appstream desktop-file-utils pkgconf libxcb1-dev lintian debootstrap
  fonts-urw-base35 fonts-liberation2 fonts-comic-neue fonts-dejavu-core fontconfig procps
  libcanberra0 libcanberra-dev sound-theme-freedesktop pulseaudio pulseaudio-utils libcanberra-pulse
  libglib2.0-dev python3 qt6-translations-l10n
  mutter xwayland kwin-wayland kwin-x11 kwin-style-breeze dbus-daemon python3-gi gir1.2-gtk-3.0
  xfwm4 xfconf libxfce4ui-common i3-wm awesome sway wtype
  util-linux
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 orca python3-speechd speech-dispatcher
  speech-dispatcher-audio-plugins libao4
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
