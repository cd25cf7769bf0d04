#!/usr/bin/env bash
# Installs everything the game, its content generator and its tests need on
# a Debian machine (run as root).
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libsdl2-dev libsdl2-mixer-dev libjpeg62-turbo-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils libx11-dev imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
