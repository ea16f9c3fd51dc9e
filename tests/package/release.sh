#!/usr/bin/env bash
# tools/make-release on the tested build with a test key, then: the .deb's
# dependencies and files, its installation and removal in a throw-away root,
# the per-user installation in a temporary HOME, and the update list and
# archive taken by the program's own verification code (release_check):
# the release installs into a folder with an awkward name, an old archive
# under a newer date and an archive for another program are refused.
#   release.sh BUILD_DIR RELEASE_CHECK
set -euo pipefail
build=$1 release_check=$2
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps file zip openssl desktop-file-validate; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed (apt-get install dpkg-dev file zip openssl desktop-file-utils)"; exit 77; }
done

key=$tmp/test-key.pem
pubkey=$("$src/tools/sign-update" --new-key "$key")
[ "$(stat -c %a "$key")" = 600 ] || fail "the private key is readable by others"
"$src/tools/sign-update" --new-key "$key" 2>/dev/null && fail "sign-update overwrote a key"
"$src/tools/sign-update" --date 6.12.26 "$key" "$key" 2>/dev/null && fail "sign-update took a two-digit year"
rel=$tmp/release
"$src/tools/make-release" --key "$key" --out "$rel" --date 06.12.2026 --news "Neue Häfen" \
    --build-dir "$build" --no-build 2>&1 | sed 's/^/    /'
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
deb=$rel/kielwanz_${version}_$arch.deb
portable=$rel/kielwanz-$version-linux-$arch.tar.gz
for f in "$deb" "$portable" "$rel/Updates.ini" "$rel/Updates/Kielwanz-$version.zip"; do
    test -s "$f" || fail "make-release wrote no $f"
done
grep -qx "Date=06.12.2026" "$rel/Updates.ini" && grep -qx "News=06.12.2026: Neue Häfen" "$rel/Updates.ini" ||
    fail "update list: $(cat "$rel/Updates.ini")"

# ---- the Debian package
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6multimedia6 libcurl4 libzip4 libssl3 libavahi-client3 libc6; do
    [[ $depends == *"$lib "* || $depends == *"$lib," || $depends == *"$lib" ]] || fail "Depends lacks $lib: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *avahi-daemon* ]] || fail "Recommends lacks avahi-daemon"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for f in ./usr/games/kielwanz ./usr/share/applications/example.kielwanz.Kielwanz.desktop \
    ./usr/share/metainfo/example.kielwanz.Kielwanz.metainfo.xml \
    ./usr/share/icons/hicolor/48x48/apps/example.kielwanz.Kielwanz.png; do
    grep -qx "$f" <<<"$contents" || fail "the package lacks $f"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/applications/example.kielwanz.Kielwanz.desktop |
    grep -x "Exec=/usr/games/kielwanz" >/dev/null || fail "the package's menu entry does not start /usr/games/kielwanz"
echo "ok: package $(basename "$deb"), $(stat -c %s "$deb") bytes; Depends: $depends"

if [ "$(id -u)" -eq 0 ]; then
    # A root of its own with an empty package database; the libraries are
    # not in it, so dependencies are not checked there.
    root=$tmp/root
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers" "$root/tmp"
    touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
    start=$(date +%s%N)
    dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$tmp/dpkg.log" 2>&1 ||
        { cat "$tmp/dpkg.log"; fail "dpkg -i"; }
    echo "ok: dpkg -i in $(( ($(date +%s%N) - start) / 1000000 )) ms"
    test -x "$root/usr/games/kielwanz" || fail "dpkg -i installed no program"
    dpkg --root="$root" -r kielwanz >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -r"; }
    left=$(find "$root/usr" -type f 2>/dev/null || true)
    [ -z "$left" ] || fail "dpkg -r left $left"
    echo "ok: dpkg -i and -r in a throw-away root"
else
    echo "skipped: dpkg -i/-r need root"
fi

# ---- the per-user installation in a temporary HOME
mkdir -p "$tmp/unpack" "$tmp/home"
tar -C "$tmp/unpack" -xzf "$portable"
top=$tmp/unpack/kielwanz-$version-linux-$arch
for f in install-user.sh uninstall-user.sh kielwanz/kielwanz; do test -x "$top/$f" || fail "archive lacks $f"; done
(
    export HOME=$tmp/home
    unset XDG_DATA_HOME
    start=$(date +%s%N)
    "$top/install-user.sh" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install-user.sh"; }
    echo "ok: install-user.sh in $(( ($(date +%s%N) - start) / 1000000 )) ms"
    data=$HOME/.local/share
    folder=$data/kielwanz
    test -x "$folder/kielwanz" && test -x "$folder/uninstall-user.sh" || fail "program folder: $(ls -la "$folder")"
    cmp -s "$folder/kielwanz" "$top/kielwanz/kielwanz" || fail "installed program differs"
    desktop=$data/applications/example.kielwanz.Kielwanz.desktop
    desktop-file-validate "$desktop" || fail "user desktop entry"
    grep -qx "Exec=\"$folder/kielwanz\"" "$desktop" || fail "user Exec: $(grep ^Exec "$desktop")"
    test -f "$data/icons/hicolor/256x256/apps/example.kielwanz.Kielwanz.png" || fail "icons"
    # The launcher starts the program (which keeps running until stopped).
    status=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$HOME/.local/bin/kielwanz" /uninstall >"$tmp/run.log" 2>&1 || status=$?
    [ $status -eq 124 ] || { cat "$tmp/run.log"; fail "the launcher did not keep the program running (status $status)"; }
    echo "[Benutzer - Options]" >"$folder/Settings.ini"
    echo "[Kielwanz]" >"$folder/UpdateSettings.ini"
    "$folder/uninstall-user.sh" >/dev/null
    left=$(cd "$HOME" && find . -type f ! -path './.config/*' ! -path './.cache/*' | sort | tr '\n' ' ')
    [ "$left" = "./.local/share/kielwanz/Settings.ini ./.local/share/kielwanz/UpdateSettings.ini " ] ||
        fail "uninstall left: $left"
    echo "ok: per-user installation and removal; the settings stay"
)

# ---- the update list and archive, through the program's own code
check() { # list program -> output of release_check
    rm -rf "$tmp/t" && mkdir -p "$tmp/t"
    "$release_check" "$1" "$rel" "$pubkey" "$2" "$folder" "$tmp/t" || true
}
folder=$tmp/"Spiele/Kiel wanz 'ü' \$HOME \"x\" %s"
mkdir -p "$folder"
echo alt >"$folder/kielwanz"
chmod 755 "$folder/kielwanz"
out=$(check "$rel/Updates.ini" Kielwanz)
[[ $out == "prepared "* ]] || fail "the release is refused: $out"
(cd "$tmp/t/Installation" && sh ./Update.bat >"$tmp/script.log" 2>&1) || { cat "$tmp/script.log"; fail "Update.bat"; }
cmp -s "$folder/kielwanz" "$top/kielwanz/kielwanz" && cmp -s "$folder/uninstall-user.sh" "$top/uninstall-user.sh" ||
    fail "Update.bat did not install into '$folder': $(cat "$tmp/script.log")"
echo "ok: the release verifies and installs into '$folder'"

sed 's/^Date=.*/Date=07.12.2026/' "$rel/Updates.ini" >"$tmp/rollback.ini"
out=$(check "$tmp/rollback.ini" Kielwanz)
[[ $out == *"Signatur des Updates ist ungültig"* ]] || fail "an old archive under a newer date: $out"
sed 's/^\[Kielwanz\]/[Brackwen]/' "$rel/Updates.ini" >"$tmp/foreign.ini"
out=$(check "$tmp/foreign.ini" Brackwen)
[[ $out == *"Signatur des Updates ist ungültig"* ]] || fail "an archive for another program: $out"
echo "ok: rollback and foreign archive refused"
