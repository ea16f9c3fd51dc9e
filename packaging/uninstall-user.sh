#!/bin/sh
# Removes what install-user.sh installed for this user. The settings stay:
# Settings.ini and UpdateSettings.ini in the program folder, and whatever the
# program keeps in ~/.config.
set -eu

app_id=example.kielwanz.Kielwanz
data=${XDG_DATA_HOME:-$HOME/.local/share}
folder=$data/kielwanz
launcher=$HOME/.local/bin/kielwanz

# Only the launcher that install-user.sh wrote.
if [ -f "$launcher" ] && grep -q '^# Kielwanz launcher, written by install-user.sh' "$launcher"; then
    rm -f "$launcher"
fi
rm -f "$data/applications/$app_id.desktop" "$data/metainfo/$app_id.metainfo.xml"
for icon in "$data/icons/hicolor/"*/apps/"$app_id.png"; do
    [ ! -e "$icon" ] || rm -f "$icon"
done
if [ -d "$folder" ] && [ ! -L "$folder" ]; then
    find "$folder" -mindepth 1 -maxdepth 1 ! -name Settings.ini ! -name UpdateSettings.ini \
        -exec rm -rf {} +
    rmdir "$folder" 2>/dev/null || echo "Ihre Einstellungen bleiben in $folder."
fi
echo "Kielwanz ist entfernt."
