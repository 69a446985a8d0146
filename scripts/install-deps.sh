#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing vale need,
# only those missing, through sudo when not root. Safe to run every time.
set -euo pipefail

packages=(
  g++
  cmake
  ninja-build
  pkg-config
  libsdl2-dev
  libx11-dev
  libgl-dev
  libglu1-mesa-dev
  libegl-dev
  libegl-mesa0
  libgl1-mesa-dri
  libfreetype-dev
  libfontconfig-dev
  fontconfig
  fonts-liberation
  libpng-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  xvfb
  xauth
  xdotool
  x11-utils
  openmpt123
  sox
  ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
