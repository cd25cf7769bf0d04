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
  # the Windows build (cross compilers, libjpeg from source) and its tests
  mingw-w64 wine64 nasm zip unzip dpkg-dev file
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

# The Windows build compiles libjpeg from Debian's own source package, which
# needs a source entry beside the binary ones.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
   ! grep -qs '^deb-src' /etc/apt/sources.list; then
  cat > /etc/apt/sources.list.d/plemox-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi
