#!/usr/bin/env bash
# Walks the update wizard of a test installation from start to restart, under
# Xvfb, and takes a screenshot at every step.
#
#   tools/update-demo/run-demo.sh [BUILD_DIR [SHOT_DIR]]
#
# BUILD_DIR (default build-demo) must hold a kielwanz built with
#   cmake -S . -B build-demo -G Ninja -DKIELWANZ_UPDATE_URL=http://127.0.0.1:18734/
#   cmake --build build-demo --target kielwanz
# Any free loopback port will do; the script reads it from the build's cache.
# A build with -DKIELWANZ_UPDATE_PUBKEY=... needs the private key in
# KW_DEMO_KEY (tools/sign-update --new-key KEY.pem prints the public key);
# the archive is then signed with tools/sign-update.
# Screenshots go to SHOT_DIR (default: shots/ in the demo folder, printed at
# the end). Needs xvfb-run, xdotool, ImageMagick (import), zip and python3.
#
# What it does, in a temporary folder of its own (nothing of the user's is
# touched: HOME, the XDG folders and TMPDIR point into it):
#  * "Kiel wanz/" is the program folder with a copy of the program;
#  * server/ holds Updates.ini (Date = tomorrow) and Updates/Kielwanz-demo.zip
#    (the same program, a file Neu.txt and an Update.bat in the documented
#    group/tail form), served by server.py on the build's port;
#  * the walk: the check at start shows the wizard; the "Einstellungen" page
#    saved twice; a check with the server down; the check; a dripping
#    download cancelled ("Nein", then "Ja") and retried; install; finish;
#    "Beenden". Then the program must be gone, the script run (Update.log),
#    Neu.txt installed, the script deleted and the program running again;
#    Ctrl+U on its title screen shows the wizard, whose check now finds no
#    update.
# Ends with "DEMO OK" or the first failed check.
set -euo pipefail

if [ -z "${KW_DEMO_INNER:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" env KW_DEMO_INNER=1 bash "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-demo}" && pwd)
url=$(sed -n 's/^KIELWANZ_UPDATE_URL:STRING=//p' "$build/CMakeCache.txt")
port=$(printf '%s\n' "$url" | sed -n 's|^http://127\.0\.0\.1:\([0-9]*\)/$|\1|p')
[ -n "$port" ] || { echo "the build's KIELWANZ_UPDATE_URL is '$url', not http://127.0.0.1:<port>/"; exit 2; }
pubkey=$(sed -n 's/^KIELWANZ_UPDATE_PUBKEY:STRING=//p' "$build/CMakeCache.txt")
[ -z "$pubkey" ] || [ -n "${KW_DEMO_KEY:-}" ] || { echo "a signed build: set KW_DEMO_KEY to the private key"; exit 2; }

demo=$(mktemp -d /tmp/kielwanz-demo.XXXXXX)
shots=${2:-$demo/shots}
mkdir -p "$shots" "$demo/home" "$demo/tmp" "$demo/run" "$demo/server/Updates" "$demo/pkg"
chmod 700 "$demo/run"
export HOME=$demo/home XDG_CONFIG_HOME=$demo/home/.config XDG_CACHE_HOME=$demo/home/.cache
export XDG_DATA_HOME=$demo/home/.local/share XDG_RUNTIME_DIR=$demo/run TMPDIR=$demo/tmp
folder="$demo/Kiel wanz"
program="$folder/kielwanz"
updates="$demo/run/kielwanz-update"
settings="$folder/UpdateSettings.ini"
mkdir -p "$folder"
cp "$build/kielwanz" "$program"
touch -d "yesterday 12:00" "$program" # so that the replaced file shows
old_mtime=$(stat -c %Y "$program")

# ---- the update on the server
cp "$build/kielwanz" "$demo/pkg/kielwanz"
echo "Kielwanz 1.0.1 (Demo)" >"$demo/pkg/Neu.txt"
cat >"$demo/pkg/Update.bat" <<'EOF'
echo "Kielwanz wird aktualisiert"
test -d %s || exit 1
test -w %skielwanz || exit 1
cp -f %skielwanz %skielwanz
echo "Neue Datei"
: %s
: %s
cp -f %sNeu.txt %sNeu.txt
 rm -f %skielwanz
 rm -f %sNeu.txt
EOF
(cd "$demo/pkg" && zip -qj "$demo/server/Updates/Kielwanz-demo.zip" Update.bat kielwanz Neu.txt)
signature=""
[ -z "$pubkey" ] || signature=$("$here/../sign-update" "$demo/server/Updates/Kielwanz-demo.zip" "$KW_DEMO_KEY")
write_list() { # $1: the update's date
    cat >"$demo/server/Updates.ini" <<EOF
[Kielwanz]
Date=$1
File=Kielwanz-demo.zip
News=$1: Der Computer zielt jetzt schneller.
$signature
EOF
}
write_list "$(date -d tomorrow +%d.%m.%Y)"

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
archive_size() { stat -c %s "$demo/server/Updates/Kielwanz-demo.zip"; }
downloaded() { [ "$(stat -c %s "$updates/Brackwen.zip" 2>/dev/null || echo 0)" = "$(archive_size)" ]; }
value() { grep -q "^$1" "$settings"; }
# Gone, or a zombie: the script is the program's parent and reaps it late.
gone() { [ ! -e "/proc/$1" ] || grep -q '^[0-9]* (.*) Z' "/proc/$1/stat"; }

# ---- start: the check at start offers the wizard
start_server
"$program" >"$demo/program.log" 2>&1 &
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
check "new file installed" cmp -s "$demo/pkg/Neu.txt" "$folder/Neu.txt"
check "program replaced" test "$(stat -c %Y "$program")" -gt "$old_mtime"
check "script deleted" eval '! test -e "$updates/Installation/Update.bat"'
check "next check day written" value "Update=hex:"
check "program restarted" wait_for 10 has_window "Kielwanz"
sleep 1; shot restarted
new_pid=$(pgrep -f "^$program")
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
