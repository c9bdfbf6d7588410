#!/usr/bin/env bash
# Installs every Debian package QSP needs to build, test and run. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkgconf ninja-build clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev libqt6svg6 qt6-l10n-tools
  libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libhidapi-dev libzint-dev libudev-dev libcli11-dev nlohmann-json3-dev
  fonts-noto-cjk fonts-dejavu-core qt6-translations-l10n
  xvfb xdotool x11-apps imagemagick
  zbar-tools poppler-utils lrzsz socat
  xdg-utils ccache
  at-spi2-core python3-dbus dbus-bin
  dpkg-dev desktop-file-utils appstream librsvg2-bin groff-base
  ansible-core
  systemd
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
