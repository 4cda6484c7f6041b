#!/bin/sh
# The Windows setup program's round trip, in a new Wine prefix: a silent
# install into a folder of the user's, and a second one that upgrades it in
# place; the files, the Start-menu entries and the Apps and Features entry;
# a setup and an uninstall that fail while the program runs; one whole save
# run through the installed French executable; a silent uninstall that leaves
# no file, entry or registry key behind, and the user's own file.
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
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# The Apps and Features entry as user.reg holds it, without its header line.
entry() {
  KEY='[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\notecreator]' awk '
    index($0, ENVIRON["KEY"]) == 1 { found = 1; next }
    found && /^$/ { exit }
    found' "$WINEPREFIX/user.reg"
}

# A folder that holds the user's own files: the setup makes a folder of its
# own inside it, and neither the setup nor the uninstaller touches theirs.
mine="$WINEPREFIX/drive_c/mine"
mkdir -p "$mine"
printf 'my own readme' >"$mine/README.txt"
"$wine" "$setup" /S '/D=C:\mine' || fail "the setup program failed"
installed="$mine/notecreator"
[ "$(cat "$mine/README.txt")" = "my own readme" ] || fail "the user's README.txt was overwritten"
# A second setup, without /D=, replaces the first where it is; under a French
# Windows it speaks French.
LC_ALL=fr_FR.UTF-8 "$wine" "$setup" /S || fail "the second setup program failed"
"$wineserver" -w  # and the registry is on disk
entry | grep -qF '"DisplayName"="Cr\x00e9ateur de notes pour Velloran"' ||
  fail "the setup did not speak French under a French Windows: $(entry | grep DisplayName)"
[ ! -e "$home/AppData/Local/Programs/notecreator" ] || fail "the second setup went to the default folder"
for file in notecreator_en.exe notecreator_fr.exe README.txt LICENSE.txt CHANGELOG.txt uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
head -c 200 "$installed/README.txt" | grep -q "$(printf '\r')$" || fail "README.txt has no CR LF line ends"
for shortcut in "Note creator (English):en:--lines" "Créateur de notes (français):fr:--lines" \
  "Change a note (English):en:--edit" "Modifier une note (français):fr:--edit"; do
  name=${shortcut%%:*} rest=${shortcut#*:}
  link="$menu/$name.lnk"
  target="C:\\mine\\notecreator\\notecreator_${rest%%:*}.exe"
  [ -f "$link" ] || fail "no Start-menu entry $link"
  { strings "$link"; strings -el "$link"; } | grep -qF "$target" || fail "$link does not start $target"
  strings -el "$link" | grep -qx -- "${rest#*:}" || fail "$link does not start it with ${rest#*:}"
done
for value in DisplayName DisplayVersion Publisher EstimatedSize UninstallString; do
  entry | grep -q "^\"$value\"=" || fail "the Apps and Features entry has no $value"
done

# While a note creator is open, neither the setup nor the uninstaller may
# claim to have done what it could not.
# The program waits at its first question for as long as fd 3 stays open.
mkfifo "$work/typed"
"$wine" "$installed/notecreator_fr.exe" <"$work/typed" >/dev/null 2>&1 &
running=$!
exec 3>"$work/typed"
sleep 3
"$wine" "$setup" /S && fail "the setup succeeded while the program it replaces was running"
# _?= runs the uninstaller in place, so that its status is its own.
"$wine" "$installed/uninstall.exe" /S '_?=C:\mine\notecreator' &&
  fail "the uninstaller succeeded while the program was running"
[ -f "$installed/notecreator_fr.exe" ] || fail "the running program's file is gone"
[ -f "$installed/uninstall.exe" ] || fail "a failed uninstall removed the uninstaller"
"$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\notecreator' \
  >/dev/null 2>&1 || fail "a failed uninstall removed the Apps and Features entry"
exec 3>&-
wait "$running" || true
"$wineserver" -w

"$run_case" --bin "$installed" --wine "$wine" "$case" || fail "the installed program failed"

"$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
"$wineserver" -w
[ ! -e "$installed" ] || fail "left behind: $(ls "$installed")"
[ "$(cat "$mine/README.txt")" = "my own readme" ] || fail "the user's README.txt was touched"
[ -z "$(find "$menu" -name '*.lnk')" ] || fail "Start-menu entries left behind"
[ -z "$(entry)" ] || fail "the registry key is left behind"
echo "installed, upgraded in place, refused to act under a running program, ran a note and uninstalled cleanly"
