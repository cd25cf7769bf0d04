#!/usr/bin/env bash
# Builds the game's Debian package from a Release build in build-package/:
#   build-package/plemox_<version>_<arch>.deb
# The tree is the one `cmake --install` lays out (cmake/install.cmake) under
# /usr, stripped; the dependencies are computed by dpkg-shlibdeps and the
# control file written by dpkg-gencontrol from packaging/control and
# packaging/changelog. Install the result with
#   sudo apt install ./build-package/plemox_*.deb
set -euo pipefail
umask 022
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-package
jobs=$(nproc)

"$root/scripts/install-deps.sh"

# Debian's compiler and linker flags, hardening included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(cd "$root" && dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(cd "$root" && dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=Release -DPLEMOX_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null

# The data tree is made afresh, so the package holds exactly what this build
# generates and copies.
rm -rf "$out/game/Data" "$out/tools/generate/content.stamp"
cmake --build "$out" -j"$jobs" --target plemox game_text_data game_content package_files

work=$out/deb
tree=$work/debian/plemox
rm -rf "$work"
mkdir -p "$work/debian"
DESTDIR=$tree cmake --install "$out" --strip >/dev/null
# What a stripped program still carries and nobody reads, gone as Debian's
# own packaging tools do it.
strip --remove-section=.comment --remove-section=.note "$tree/usr/lib/games/plemox/plemox"

cp "$root/packaging/control" "$root/packaging/changelog" "$work/debian/"
version=$(dpkg-parsechangelog -l "$work/debian/changelog" -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
(
  cd "$work"
  mkdir -p debian/plemox/DEBIAN
  dpkg-shlibdeps -Tdebian/substvars -e"debian/plemox/usr/lib/games/plemox/plemox"
  dpkg-gencontrol -pplemox -Tdebian/substvars -Pdebian/plemox -fdebian/files
  cd debian/plemox
  find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums
  chmod 644 DEBIAN/control DEBIAN/md5sums
)

# The archive's times come from the changelog, so a rebuild gives the same bytes.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$work/debian/changelog" -S Timestamp)
export SOURCE_DATE_EPOCH
rm -f "$out"/plemox_*.deb
deb=$out/plemox_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
echo "package.sh: $deb ($(stat -c %s "$deb") bytes, $(find "$tree" -path "$tree/DEBIAN" -prune -o -type f -print | wc -l) files)"
dpkg-deb -f "$deb" Depends
