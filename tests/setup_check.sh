#!/bin/sh
# The Windows setup program's round trip, in a new Wine prefix: a silent
# install; the files, the Start-menu entries and the Apps and Features entry;
# one whole save run through the installed French executable; a silent
# uninstall that leaves no file, entry or registry key behind.
#   setup_check.sh SETUP WINE64 WINESERVER RUN_CASE CASE
set -eu
setup=$1 wine=$2 wineserver=$3 run_case=$4 case=$5
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
  printf '%s\n' "$1"
  exit 1
}

"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
"$wineserver" -w
user=$(id -un)
home="$WINEPREFIX/drive_c/users/$user"
installed="$home/AppData/Local/Programs/notecreator"
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# The Apps and Features entry as user.reg holds it, without its header line.
entry() {
  KEY='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\notecreator]' awk '
    index($0, ENVIRON["KEY"]) == 1 { found = 1; next }
    found && /^$/ { exit }
    found' "$WINEPREFIX/user.reg"
}

"$wine" "$setup" /S || fail "the setup program failed"
"$wineserver" -w  # and the registry is on disk
for file in notecreator_en.exe notecreator_fr.exe README.md LICENSE uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
for shortcut in "Note creator (English):en" "Créateur de notes (français):fr"; do
  link="$menu/${shortcut%:*}.lnk"
  target="C:\\users\\$user\\AppData\\Local\\Programs\\notecreator\\notecreator_${shortcut##*:}.exe"
  [ -f "$link" ] || fail "no Start-menu entry $link"
  { strings "$link"; strings -el "$link"; } | grep -qF "$target" || fail "$link does not start $target"
done
for value in DisplayName DisplayVersion Publisher EstimatedSize UninstallString; do
  entry | grep -q "^\"$value\"=" || fail "the Apps and Features entry has no $value"
done

"$run_case" --bin "$installed" --wine "$wine" "$case" || fail "the installed program failed"

"$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
"$wineserver" -w
[ ! -e "$installed" ] || fail "left behind: $(ls "$installed")"
[ -z "$(find "$menu" -name '*.lnk')" ] || fail "Start-menu entries left behind"
[ -z "$(entry)" ] || fail "the registry key is left behind"
echo "installed, ran a note and uninstalled cleanly"
