#!/usr/bin/env bash
# Installs everything the game, its content generator and its tests need on
# a Debian machine (run as root). The names hold on Debian 12 and 13 alike;
# the clang runtime (sanitizers, libFuzzer) is the one of the clang installed.
# Packages added later stand one a line, so additions merge cleanly.
set -euo pipefail
packages=(
  build-essential cmake pkg-config clang
  libsdl2-dev libsdl2-mixer-dev libjpeg-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  # the GLSL reference compiler; the Vulkan drivers (lavapipe, under zink)
  glslang-tools
  mesa-vulkan-drivers
  # JACK for SDL_mixer's headers in the variant the 32-bit GStreamer plugins
  # need too (one JACK library for both architectures)
  libjack-jackd2-dev
  # the shipped 32-bit program under 32-bit Wine, which plays MP3 through
  # GStreamer's 32-bit plugins (decodebin; mpegaudioparse, mpg123audiodec)
  wine32:i386
  # its OpenGL (Mesa's drivers, llvmpipe among them) and X extensions, named
  # here because Wine only recommends them
  libgl1-mesa-dri:i386
  libxrandr2:i386
  libxi6:i386
  libxcursor1:i386
  gstreamer1.0-plugins-base:i386
  gstreamer1.0-plugins-good:i386
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libgtest-dev googletest
  xvfb xauth xdotool x11-utils libx11-dev imagemagick
  # the Windows build (cross compilers, libjpeg from source) and its tests
  mingw-w64 wine64 nasm zip unzip dpkg-dev file
  # the Debian package (the icons need zlib) and its checks
  zlib1g-dev lintian desktop-file-utils appstream debootstrap
)

export DEBIAN_FRONTEND=noninteractive
updated=0
apt_update() {
  apt-get update -qq -o DPkg::Lock::Timeout=900
  updated=1
}

# 32-bit packages come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_update
fi

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    [ "$updated" = 1 ] || apt_update
    apt-get install -y -qq -o DPkg::Lock::Timeout=900 "${missing[@]}"
  fi
}
install_missing "${packages[@]}"
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-${clang_major}-dev"

# The Windows build compiles libjpeg from Debian's own source package, which
# needs source entries beside the binary ones. They are made from the
# system's own entries for its release (same addresses, suites, components
# and keys), in whichever of the two formats each was written.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
own_entries() {
  # deb822 files: every stanza of type deb with a suite of this release.
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    case $file in */plemox-src.sources) continue ;; esac
    awk -v release="$codename" '
      function flush() {
        if (types ~ /(^|[ \t])deb([ \t]|$)/ && ours && uris != "") {
          printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, suites, components
          if (signed != "") printf "Signed-By: %s\n", signed
          printf "\n"
        }
        types = uris = suites = components = signed = ""; ours = 0
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      {
        key = $1; sub(/:$/, "", key); value = $0; sub(/^[^:]*:[ \t]*/, "", value)
        if (key == "Types") types = value
        else if (key == "URIs") uris = value
        else if (key == "Components") components = value
        else if (key == "Signed-By") signed = value
        else if (key == "Suites") {
          suites = value
          n = split(value, list, /[ \t]+/)
          for (i = 1; i <= n; i++)
            if (list[i] == release || index(list[i], release "-") == 1) ours = 1
        }
      }
      END { flush() }' "$file"
  done
}
own_lines() {
  # One-line files: "deb [options] URI suite components..." of this release.
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    case $file in */plemox-src.list) continue ;; esac
    awk -v release="$codename" '
      $1 == "deb" {
        i = 2; options = ""
        if ($2 ~ /^\[/) {
          while (i <= NF) { options = options (options == "" ? "" : " ") $i; if ($i ~ /\]$/) break; i++ }
          i++
        }
        suite = $(i + 1)
        if (suite == release || index(suite, release "-") == 1) {
          line = "deb-src"
          if (options != "") line = line " " options
          for (j = i; j <= NF; j++) line = line " " $j
          print line
        }
      }' "$file"
  done
}
has_own_sources() {
  grep -rqsE '^Types:.*deb-src' --include='*.sources' --exclude='plemox-src.sources' /etc/apt/sources.list.d/ ||
    grep -qsE '^deb-src' /etc/apt/sources.list ||
    grep -rqsE '^deb-src' --include='*.list' --exclude='plemox-src.list' /etc/apt/sources.list.d/
}
write_if_changed() {
  # $1: file, stdin: its new content (no file when empty); 0 when changed.
  local content
  content=$(cat)
  if [ -z "$content" ]; then
    [ -f "$1" ] || return 1
    rm -f "$1"
    return 0
  fi
  [ -f "$1" ] && [ "$(cat "$1")" = "$content" ] && return 1
  printf '%s\n' "$content" >"$1"
  return 0
}
if [ -n "$codename" ] && ! has_own_sources; then
  changed=0
  own_entries | write_if_changed /etc/apt/sources.list.d/plemox-src.sources && changed=1
  own_lines | write_if_changed /etc/apt/sources.list.d/plemox-src.list && changed=1
  if [ ! -f /etc/apt/sources.list.d/plemox-src.sources ] && [ ! -f /etc/apt/sources.list.d/plemox-src.list ]; then
    echo "install-deps: no package source of $codename found to take the source entries from" >&2
    exit 1
  fi
  [ "$changed" = 1 ] && apt_update
fi
exit 0
