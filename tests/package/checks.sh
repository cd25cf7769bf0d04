#!/usr/bin/env bash
# Checks the built package build-package/plemox_<version>_<arch>.deb: lintian
# finds no error or warning, the desktop entry and the AppStream file
# validate and agree with each other, the icons are PNG files of their sizes,
# the dependencies cover every library the program needs, the data tree is
# the build's, and the tree is the one `cmake --install` lays out.
# Usage: checks.sh <build-package-dir>
set -u
if [ "${PLEMOX_PACKAGE_TESTS:-}" != 1 ]; then
  echo "skipped: the package tests run with PLEMOX_PACKAGE_TESTS=1 (scripts/test.sh)"
  exit 77
fi
out=$1
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

debs=("$out"/plemox_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package in $out" >&2; exit 1; }
deb=${debs[0]}
work=$(mktemp -d /tmp/plemox-package-checks-XXXXXX)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
dpkg-deb -x "$deb" "$tree" && dpkg-deb -e "$deb" "$work/DEBIAN" || { echo "FAIL: cannot unpack $deb" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
echo "package: $deb, version $version, $(stat -c %s "$deb") bytes"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $6 !~ /\/Data\// { printf "  %10d  %s\n", $3, substr($6, 2) }'
echo "  $(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $6 ~ /\/Data\// { n++; s += $3 } END { printf "%d files of data, %d bytes", n, s }')"

# lintian: errors and warnings fail; everything it says is shown.
lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1 | grep -v 'running with root privileges'
[ "${PIPESTATUS[0]}" = 0 ] || fail "lintian reports errors or warnings"

# The desktop entry and the AppStream component: valid, and naming each other,
# the launcher and the icon.
desktops=("$tree"/usr/share/applications/*.desktop)
metainfos=("$tree"/usr/share/metainfo/*.metainfo.xml)
[ ${#desktops[@]} = 1 ] && [ -f "${desktops[0]}" ] || fail "not one desktop entry"
[ ${#metainfos[@]} = 1 ] && [ -f "${metainfos[0]}" ] || fail "not one AppStream file"
desktop=${desktops[0]}
metainfo=${metainfos[0]}
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects ${desktop##*/}"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects ${metainfo##*/}"
id=$(sed -n 's:^ *<id>\(.*\)</id>$:\1:p' "$metainfo")
[ -n "$id" ] && [ "${desktop##*/}" = "$id.desktop" ] && [ "${metainfo##*/}" = "$id.metainfo.xml" ] ||
  fail "the component id \"$id\" does not name the desktop entry ${desktop##*/} and ${metainfo##*/}"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "the launchable is not $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream file has no release $version"
grep -q '<screenshot type="default">' "$metainfo" && grep -q '<content_rating type="oars-1.1">' "$metainfo" ||
  fail "the AppStream file lacks a screenshot or the content rating"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = plemox ] && [ -x "$tree/usr/games/plemox" ] || fail "the desktop entry starts \"$exec_line\", not /usr/games/plemox"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 32 64 128 256; do
  png=$tree/usr/share/icons/hicolor/${size}x$size/apps/$icon.png
  read -r format geometry <<<"$(identify -format '%m %wx%h\n' "$png" 2>/dev/null)"
  [ "$format $geometry" = "PNG ${size}x$size" ] || fail "$png is \"$format $geometry\", not a ${size}x$size PNG"
  # A transparent corner, an opaque bottle in the middle.
  corner=$(convert "$png" -format '%[fx:int(255*u.p{0,0}.a)]' info: 2>/dev/null)
  middle=$(convert "$png" -format "%[fx:int(255*u.p{$((size / 2)),$((size * 3 / 4))}.a)]" info: 2>/dev/null)
  [ "$corner" = 0 ] && [ "$middle" = 255 ] || fail "$png: alpha $corner at the corner, $middle in the bottle"
done

# The dependencies: every library the program needs comes from a package
# the control file depends on.
program=$tree/usr/lib/games/plemox/plemox
file -b "$program" | grep -q 'ELF.*stripped' && ! file -b "$program" | grep -q 'not stripped' ||
  fail "the program is not a stripped ELF file: $(file -b "$program")"
depends=$(dpkg-deb -f "$deb" Depends)
resolved=$(ldd "$program")
for soname in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
  path=$(awk -v name="$soname" '$1 == name && $2 == "=>" { print $3 }' <<<"$resolved")
  owner=$({ dpkg -S "$path" || dpkg -S "$(realpath "$path")"; } 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$owner" ] && [[ ", $depends" == *", $owner "* || ", $depends" == *", $owner,"* || ", $depends" == *"| $owner"* ]] ||
    fail "the program needs $soname (package ${owner:-unknown}), which Depends ($depends) does not name"
done

# The launcher names the installed program and data.
grep -q "^program='/usr/lib/games/plemox/plemox'$" "$tree/usr/games/plemox" &&
  grep -q "^installed_data='/usr/share/games/plemox/Data'$" "$tree/usr/games/plemox" ||
  fail "the launcher does not name /usr/lib/games/plemox/plemox and /usr/share/games/plemox/Data"

# The data: the build's tree without Data/Engine (the player's configuration
# lives in the player's folder).
data=$tree/usr/share/games/plemox/Data
[ ! -e "$data/Engine" ] || fail "the package ships Data/Engine"
diff -r -x Engine "$out/game/Data" "$data" >/dev/null || fail "the package's data differs from the build's $out/game/Data"
[ -f "$data/Maps/Map.txt" ] && [ -f "$data/Audio/mirelto.mp3" ] || fail "the package lacks the map or the music"

# Owners and modes: root everywhere; folders 755, files 644 but the launcher
# and the program 755.
dpkg-deb -c "$deb" | awk '$2 != "root/root" ||
  ($1 ~ /^d/ && $1 != "drwxr-xr-x") ||
  ($1 ~ /^-/ && $6 !~ /^\.\/usr\/(games\/plemox|lib\/games\/plemox\/plemox)$/ && $1 != "-rw-r--r--") ||
  ($6 ~ /^\.\/usr\/(games\/plemox|lib\/games\/plemox\/plemox)$/ && $1 != "-rwxr-xr-x") { print; bad = 1 }
  END { exit bad }' || fail "the entries above have the wrong owner or mode"

# The package's tree is the one `cmake --install` lays out.
installed=$work/cmake-install
DESTDIR=$installed cmake --install "$out" >/dev/null || fail "cmake --install fails"
diff <(cd "$installed" && find . | LC_ALL=C sort) <(cd "$tree" && find . | LC_ALL=C sort) ||
  fail "the package's tree differs from the one cmake --install lays out"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures" >&2
  exit 1
fi
echo "package checks passed"
