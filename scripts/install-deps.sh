#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing vale need,
# only those missing, through sudo when not root. Safe to run every time.
# With --windows, also the cross tools and Wine for the Windows program and its tests (about
# 2.5 GB; the i386 architecture is added for 32-bit Wine).
set -euo pipefail
# With --web, also Debian's emscripten and chromium for the web page and its browser tests, and
# puppeteer-core from npm into tests/web/node_modules (it drives /usr/bin/chromium; no browser is
# downloaded).
windows=0
web=0
for flag in "$@"; do
  case "$flag" in
    --windows) windows=1 ;;
    --web) web=1 ;;
    *) echo "usage: install-deps.sh [--windows] [--web]" >&2; exit 2 ;;
  esac
done

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
  libisal-dev
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
if [ $windows = 1 ]; then
  packages+=(
    g++-mingw-w64-i686
    g++-mingw-w64-x86-64-win32
    wine
    wine32:i386
    wine64
    libgl1:i386
    libglx-mesa0:i386
    libgl1-mesa-dri:i386
    libglu1-mesa:i386
    libxrandr2:i386
    libxrender1:i386
    libxxf86vm1:i386
    libxi6:i386
    libxcursor1:i386
    libglu1-mesa
    libxrandr2
    libxxf86vm1
    pulseaudio
    pulseaudio-utils
  )
fi
if [ $web = 1 ]; then
  packages+=(
    emscripten
    chromium
    python3
  )
fi

# The browser tests' driver, pinned in tests/web/package.json; the browser itself is Debian's.
install_web_driver() {
  local dir
  dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/web"
  [ -d "$dir/node_modules/puppeteer-core" ] && return 0
  command -v npm >/dev/null || { echo "install-deps: no npm for the browser tests' driver" >&2; return 1; }
  PUPPETEER_SKIP_DOWNLOAD=1 npm install --prefix "$dir" --no-audit --no-fund --loglevel=error
}

missing=()
for p in "${packages[@]}"; do
  # One line per architecture the package is known in (i386 too once --windows has run).
  dpkg-query -W -f='${db:Status-Status}\n' "$p" 2>/dev/null | grep -qx installed || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  [ $web = 1 ] && install_web_driver
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [ $windows = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
[ $web = 1 ] && install_web_driver
exit 0
