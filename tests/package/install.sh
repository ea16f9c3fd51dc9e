#!/usr/bin/env bash
# cmake --install into a temporary prefix: the program, a valid desktop entry
# and AppStream file, the icons at every size; and a release build refuses
# to be configured without the update key.
#   install.sh BUILD_DIR
set -euo pipefail
build=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in desktop-file-validate appstreamcli file; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (apt-get install desktop-file-utils appstream file)"; exit 77; }
done

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
id=example.kielwanz.Kielwanz
test -x "$prefix/games/kielwanz" || fail "no program in games/"
desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx "Exec=$prefix/games/kielwanz" "$desktop" || fail "Exec is not the installed program: $(grep ^Exec "$desktop")"
grep -qx "Categories=Game;BoardGame;" "$desktop" || fail "categories"
grep -qx "Icon=$id" "$desktop" || fail "icon name"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "metainfo names no release $version"
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "icon $size: $(file "$icon")"
done
echo "ok: installed tree"

# The about dialog's version is the project's.
strings -el "$prefix/games/kielwanz" | grep -x "$version" >/dev/null || fail "the program does not carry version $version"

cmake -S "$src" -B "$tmp/release" -G Ninja -DKIELWANZ_RELEASE=ON -DBUILD_TESTING=OFF >"$tmp/configure.log" 2>&1 &&
    fail "a release build without key was configured"
grep -q "KIELWANZ_RELEASE=ON needs the update key" "$tmp/configure.log" || { cat "$tmp/configure.log"; fail "no reason given"; }
echo "ok: a release needs the key"
