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
  # the Windows build (cross compilers, libjpeg from source) and its tests
  mingw-w64 wine64 nasm zip unzip dpkg-dev file
  # the Debian package (the icons need zlib) and its checks
  zlib1g-dev lintian desktop-file-utils appstream debootstrap
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

# The Windows build compiles libjpeg from Debian's own source package, which
# needs a source entry beside the binary ones.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
   ! grep -qs '^deb-src' /etc/apt/sources.list; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  cat > /etc/apt/sources.list.d/plemox-src.sources <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq
fi
