#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need.
# Only missing packages are installed, so a second run is quick and quiet.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config locales
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  libxvidcore-dev libmp3lame-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  default-jdk-headless
  nodejs chromium
  qt6-base-dev qt6-multimedia-dev
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

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
