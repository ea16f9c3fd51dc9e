#!/usr/bin/env bash
# Walks a per-user installation of Kielwanz from this version N to a release
# N+1 through the update wizard, under Xvfb, with a screenshot at every step.
#
#   tools/update-demo/run-demo.sh [SHOT_DIR]
#
# Releases are made by tools/make-release with a throw-away key and a
# loopback update server, in two build folders of the source tree:
# build-demo/ (version N, this tree) and build-demo-next/ (a copy of this
# tree whose project version has its last part raised by one). Screenshots go
# to SHOT_DIR (default: shots/ in the demo folder, printed at the end). Needs
# the build packages, dpkg-dev, zip, openssl, xvfb-run, xdotool, ImageMagick
# (import) and python3; ccache is used when CMAKE_CXX_COMPILER_LAUNCHER says so.
#
# What it does, in a temporary folder of its own (nothing of the user's is
# touched: HOME, the XDG folders and TMPDIR point into it; HOME has a blank
# and an umlaut in its name):
#  * install-user.sh of release N's portable archive installs the program;
#  * server/ is release N+1 (Updates.ini dated tomorrow, Updates/*.zip),
#    served by server.py;
#  * the walk: the launcher starts the program, whose check at start shows the
#    wizard; the "Einstellungen" page saved twice; a check with the server
#    down; the check; a dripping download cancelled ("Nein", then "Ja") and
#    retried; install; finish; "Beenden". Then the program must be gone, the
#    script run (Update.log), the program replaced by N+1, the script
#    deleted and the program running again; its about dialog shows N+1;
#    Ctrl+U on its title screen shows the wizard, whose check now finds no
#    update.
# Ends with "DEMO OK" or the first failed check.
set -euo pipefail

if [ -z "${KW_DEMO_INNER:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env KW_DEMO_INNER=1 bash "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
port=18734
url=http://127.0.0.1:$port/

demo=$(mktemp -d /tmp/kielwanz-demo.XXXXXX)
shots=${1:-$demo/shots}
home="$demo/Hö me"
mkdir -p "$shots" "$home" "$demo/tmp" "$demo/run"
chmod 700 "$demo/run"

# ---- releases N and N+1
"$src/tools/sign-update" --new-key "$demo/key.pem" >/dev/null
version=$(sed -n 's/^project(Kielwanz VERSION \([0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
next=${version%.*}.$((${version##*.} + 1))
echo "release $version"
"$src/tools/make-release" --key "$demo/key.pem" --out "$demo/release-$version" --update-url "$url" \
    --date "$(date -d yesterday +%d.%m.%Y)" --build-dir "$src/build-demo"
# The copy sits where its build folder has the same relative place as
# build-demo, so that a shared compiler cache serves it.
copy=$src/build-demo-next/src
rm -rf "$copy"
mkdir -p "$copy"
(cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")
sed -i "s/^project(Kielwanz VERSION $version /project(Kielwanz VERSION $next /" "$copy/CMakeLists.txt"
echo "release $next"
"$copy/tools/make-release" --key "$demo/key.pem" --out "$demo/server" --update-url "$url" \
    --date "$(date -d tomorrow +%d.%m.%Y)" --news "Der Computer zielt jetzt schneller." \
    --build-dir "$copy/build-demo"
arch=$(dpkg --print-architecture)
new_program="$demo/next"
tar -C "$demo" -xzf "$demo/server/kielwanz-$next-linux-$arch.tar.gz"
mv "$demo/kielwanz-$next-linux-$arch" "$new_program"

export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache
export XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$demo/run TMPDIR=$demo/tmp
tar -C "$demo" -xzf "$demo/release-$version/kielwanz-$version-linux-$arch.tar.gz"
"$demo/kielwanz-$version-linux-$arch/install-user.sh"
folder="$XDG_DATA_HOME/kielwanz"
program="$folder/kielwanz"
launcher="$HOME/.local/bin/kielwanz"
updates="$demo/run/kielwanz-update"
settings="$folder/UpdateSettings.ini"
cp "$demo/server/Updates.ini" "$demo/server/Updates.ini.signed"
write_list() { # $1: the update's date
    sed "s/^Date=.*/Date=$1/" "$demo/server/Updates.ini.signed" >"$demo/server/Updates.ini"
}

server_pid=""
start_server() {
    python3 "$here/server.py" "$demo/server" "$port" &
    server_pid=$!
    for _ in $(seq 50); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && return
        sleep 0.1
    done
    echo "server did not start"; exit 1
}
stop_server() { [ -z "$server_pid" ] || { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=""; }; }
# The program may have been restarted by the update; its id is found by its
# unique path.
cleanup() {
    stop_server
    for pid in $(pgrep -f "^$program" || true); do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# ---- helpers
step=0
shot() { step=$((step + 1)); import -window root "$shots/$(printf %02d $step)-$1.png"; }
fail() { echo "FAILED: $*"; echo "screenshots: $shots"; exit 1; }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
wait_for() { # seconds, command...
    local until=$((SECONDS + $1)); shift
    while ! "$@"; do [ $SECONDS -lt $until ] || return 1; sleep 0.1; done
}
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(window "$1")" ]; }
# Wizard buttons, in the wizard's own coordinates.
click() { # x y
    xdotool mousemove --window "$wizard" "$1" "$2" click 1
    sleep 0.4
}
settings_button() { click 288 332; }
cancel_button() { click 503 332; } # "Abbrechen" on both button rows
next_button() { click 597 332; }   # "Weiter >", "Beenden", "Speichern"
check_button() { click 332 164; }
download_button() { click 549 284; } # "Download abbrechen", "Erneut versuchen"
restart_box() { click 296 288; }
never_radio() { click 264 96; }
regular_radio() { click 264 184; }
interval_spin() { click 330 263; }
answer() { # title key: Return for "&Ja"/"OK", Escape for "&Nein"
    wait_for 15 has_window "$1" || fail "no message box \"$1\""
    shot "$2-$(echo "$1" | tr -c 'A-Za-z\n' _)"
    xdotool windowfocus "$(window "$1")" key "$2"
    sleep 0.4
}
archive_size() { stat -c %s "$demo/server/Updates/Kielwanz-$next.zip"; }
downloaded() { [ "$(stat -c %s "$updates/Brackwen.zip" 2>/dev/null || echo 0)" = "$(archive_size)" ]; }
value() { grep -q "^$1" "$settings"; }
# Gone, or a zombie: the script is the program's parent and reaps it late.
gone() { [ ! -e "/proc/$1" ] || grep -q '^[0-9]* (.*) Z' "/proc/$1/stat"; }

# ---- start: the check at start offers the wizard
start_server
"$launcher" >"$demo/program.log" 2>&1 &
old_pid=$!
wait_for 20 has_window "Updates installieren" || fail "the wizard did not come up at start"
wizard=$(window "Updates installieren")
shot welcome
check "ApplicationFileName written" value "ApplicationFileName=sz:\"$program\""

# ---- settings page round trip
settings_button; shot settings
never_radio; next_button
check "Niemals: NoUpdate saved" value "NoUpdate="
check "Niemals: no UpdateInterval" eval '! value UpdateInterval='
settings_button; shot settings-never
regular_radio; interval_spin; xdotool key ctrl+a type 3; shot settings-3-days; next_button
check "Regelmäßig: UpdateInterval 3 saved" value "UpdateInterval=dword:00000003"
check "Regelmäßig: NoUpdate gone" eval '! value NoUpdate='
settings_button; cancel_button
shot back-on-welcome

# ---- check, first with the server down
next_button; shot check
stop_server
check_button
answer "Internetverbindung erforderlich" Return
start_server
check_button
sleep 1.5; shot result

# ---- download: cancel ("Nein", then "Ja"), retry
touch "$demo/server/drip"
next_button
sleep 2.5; shot downloading
download_button
answer "Bestätigung" Escape
sleep 1; shot still-downloading
check "download runs on after Nein" test -s "$updates/Brackwen.zip"
download_button
answer "Bestätigung" Return
sleep 0.5; shot aborted
check "partial archive deleted 3 s after the abort" wait_for 5 eval '! test -e "$updates/Brackwen.zip"'
rm "$demo/server/drip"
download_button
check "archive downloaded on retry" wait_for 30 downloaded
sleep 0.5; shot downloaded

# ---- install, finish, end
next_button; shot install
next_button; sleep 1; shot finish
check "installation prepared" test -s "$updates/Installation/Update.bat"
check "archive deleted after unpacking" eval '! test -e "$updates/Brackwen.zip"'
next_button
check "program ended" wait_for 10 gone "$old_pid"
check "script ran" wait_for 10 grep -q "Ende mit Status 0" "$updates/Update.log"
check "program replaced by $next" cmp -s "$new_program/kielwanz/kielwanz" "$program"
check "script deleted" eval '! test -e "$updates/Installation/Update.bat"'
check "next check day written" value "Update=hex:"
check "program restarted" wait_for 10 has_window "Kielwanz"
sleep 1; shot restarted
new_pid=$(pgrep -f "^$program")
# The about dialog: "?" is the menu after "Spiel", "&Info" its entry.
xdotool windowfocus "$(window Kielwanz)" key alt+s Right i
check "about dialog shown" wait_for 10 has_window "Info über Kielwanz"
sleep 0.5; shot about-$next
xdotool windowfocus "$(window "Info über Kielwanz")" key Return
echo "restarted as process $new_pid; Update.log:"
sed 's/^/    /' "$updates/Update.log"

# ---- Ctrl+U on the title screen; the check finds nothing newer now
write_list "$(date +%d.%m.%Y)" # not newer than the program file written today
xdotool windowfocus "$(window Kielwanz)" key ctrl+u
wait_for 10 has_window "Updates installieren" || fail "Ctrl+U showed no wizard"
wizard=$(window "Updates installieren")
shot ctrl-u
next_button; check_button; sleep 1.5; shot no-update
next_button
check "wizard closed by Beenden" wait_for 5 eval '! has_window "Updates installieren"'
shot title-again

echo "DEMO OK"
echo "screenshots: $shots"
