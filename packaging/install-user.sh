#!/bin/sh
# Installs Kielwanz for the user who runs this, without root:
#   the program folder  ${XDG_DATA_HOME:-~/.local/share}/kielwanz/
#   the launcher        ~/.local/bin/kielwanz
#   the menu entry and icons below ${XDG_DATA_HOME:-~/.local/share}
# This installation updates itself through the program's update wizard.
# Running it again installs this archive's version over the old one; the
# settings (Settings.ini, UpdateSettings.ini) stay. uninstall-user.sh
# removes it again.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
app_id=example.kielwanz.Kielwanz
data=${XDG_DATA_HOME:-$HOME/.local/share}
folder=$data/kielwanz
bindir=$HOME/.local/bin

[ -x "$here/kielwanz/kielwanz" ] || { echo "Das Programm fehlt in $here/kielwanz/." >&2; exit 1; }

# Single-quoted for the shell.
shell_quote() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }
# Quoted for the Exec key of a desktop entry: in double quotes, with \ " ` $
# escaped, and every backslash doubled once more for the key's string value.
exec_quote() {
    printf '"%s"' "$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g')"
}

mkdir -p "$folder" "$bindir" "$data/applications" "$data/metainfo"
# The files are put beside their old versions and renamed over them, so that
# a running program is not disturbed. Time stamps are kept: the update check
# compares the program file's date with that of an update.
for file in "$here/kielwanz/"* "$here/uninstall-user.sh"; do
    name=$(basename "$file")
    cp -p "$file" "$folder/.$name.neu"
    mv -f "$folder/.$name.neu" "$folder/$name"
done

launcher=$bindir/kielwanz
{
    echo '#!/bin/sh'
    echo '# Kielwanz launcher, written by install-user.sh'
    echo "exec $(shell_quote "$folder/kielwanz") \"\$@\""
} >"$launcher.neu"
chmod 755 "$launcher.neu"
mv -f "$launcher.neu" "$launcher"

exec_line="Exec=$(exec_quote "$folder/kielwanz")"
sed "s|^Exec=.*|$(printf '%s' "$exec_line" | sed 's/[|&\\]/\\&/g')|" \
    "$here/share/applications/$app_id.desktop" >"$data/applications/$app_id.desktop"
cp "$here/share/metainfo/$app_id.metainfo.xml" "$data/metainfo/"
for icon in "$here/share/icons/hicolor/"*/apps/"$app_id.png"; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    mkdir -p "$data/icons/hicolor/$size/apps"
    cp "$icon" "$data/icons/hicolor/$size/apps/"
done
# Desktops notice the new icons by the folder's time stamp.
touch "$data/icons/hicolor"

echo "Kielwanz ist installiert: $folder"
echo "Starten aus dem Anwendungsmenü (Spiele) oder mit: $launcher"
case ":$PATH:" in
*":$bindir:"*) ;;
*) echo "Hinweis: $bindir steht nicht in PATH; der Menüeintrag funktioniert trotzdem." ;;
esac

# The Debian packages the program needs (first choice of each dependency).
if [ -f "$here/share/kielwanz/depends" ] && command -v dpkg-query >/dev/null 2>&1; then
    missing=
    for package in $(cat "$here/share/kielwanz/depends"); do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing="$missing $package"
    done
    if [ -n "$missing" ]; then
        echo
        echo "Es fehlen Pakete, ohne die Kielwanz nicht startet:$missing"
        echo "Installieren Sie sie mit:"
        echo "    sudo apt-get install$missing"
    fi
fi
