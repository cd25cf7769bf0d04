#!/usr/bin/env bash
# Installs everything the game, its content generator and its tests need on
# a Debian machine (run as root). The names hold on Debian 12 and 13 alike;
# the clang runtime (sanitizers, libFuzzer) is the one of the clang installed.
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang
  libsdl2-dev libsdl2-mixer-dev libjpeg-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils libx11-dev imagemagick
)
install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
  fi
}
install_missing "${packages[@]}"
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-${clang_major}-dev"
