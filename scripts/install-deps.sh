#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need.
# Only missing packages are installed, so a second run is quick and quiet.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config locales
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libxvidcore-dev libmp3lame-dev
  libcpp-httplib-dev  # the package server: zq48enc --serve, Play in browser
  libgtest-dev libgmock-dev libbenchmark-dev
  default-jdk-headless
  nodejs chromium
  qt6-base-dev qt6-multimedia-dev
  # the desktop program's results chart (Qt Charts; its CMake files need Qt OpenGL's)
  qt6-charts-dev libqt6opengl6-dev
  # installing and packaging: checks of the desktop entry, man pages and
  # bash completion, the Debian package (dpkg-shlibdeps)
  desktop-file-utils man-db bash-completion dpkg-dev file
  # the desktop program's window captions and icon, read by the window-system tests
  # from a private X server
  xvfb x11-utils
  # the many-machines recipe and its test
  parallel
  # make fuzz: libFuzzer targets built with clang
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# npm comes with some Node.js builds; Debian's own Node.js needs its npm package.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser tests drive Chromium through puppeteer-core, pinned in
# tests/web/package-lock.json; installed again only when the lock changed.
cd "$(dirname "$0")/../tests/web"
if ! cmp -s package-lock.json node_modules/.zq48-installed-lock.json 2>/dev/null; then
  npm ci --no-audit --no-fund --loglevel=error
  cp package-lock.json node_modules/.zq48-installed-lock.json
fi
