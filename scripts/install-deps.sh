#!/usr/bin/env bash
# Installs every Debian package Tavimor needs to build, run and test. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools qt6-svg-dev libqt6svg6
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-shapes qml6-module-qtquick-layouts
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtqml-workerscript
  libxcb1-dev libxcb-shape0-dev libxcb-xfixes0-dev libxcb-screensaver0-dev libxcb-dpms0-dev libsecret-1-dev libpulse-dev lsof
  libecal2.0-dev libedataserver1.2-dev
  fonts-material-design-icons-iconfont fonts-dejavu-core
  # The faces the views are laid out for: text, condensed monospaced figures, and rounded break figures.
  fonts-inter fonts-league-mono fonts-quicksand
  # Test peers: private buses, the secret service, an X server with a compositor, a reference panel, and the
  # accessibility bus the end-to-end tests read the windows through.
  dbus dbus-x11 libglib2.0-bin python3-dbusmock gnome-keyring libsecret-tools
  xvfb xcompmgr xdotool x11-utils x11-xserver-utils imagemagick lxqt-panel procps xclip bc at-spi2-core
  # Sound server and a fake media player for the music and audio tests.
  pulseaudio pulseaudio-utils python3-dbus python3-gi
  # Health reminders: a small EWMH window manager.
  openbox
  # The desktop's calendar server, and its Python bindings that fill test calendars.
  evolution-data-server gir1.2-ecal-2.0
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
