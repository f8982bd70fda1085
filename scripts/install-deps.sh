#!/usr/bin/env bash
# Installs the Debian packages Comtrax needs to build, test, run and package
# (the validators of the desktop entry and the metainfo, dpkg-shlibdeps).
# Idempotent: does nothing when everything is already there.
set -euo pipefail

PKGS=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6
  qt6-l10n-tools qt6-tools-dev
  qt6-qpa-plugins libgl-dev
  libgtest-dev googletest libpcre2-dev libmodbus-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  fonts-dejavu-core
  socat ser2net python3-serial xvfb xauth x11-apps imagemagick stress-ng
  dbus-daemon dbus-bin at-spi2-core
  desktop-file-utils appstream dpkg-dev file man-db
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
