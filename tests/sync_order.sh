#!/bin/sh
# Follows a save's system calls: the temporary file is synced, renamed over the
# note, synced again under its new name (FAT writes the renamed entry only with
# the file), then its folder; only then is "Note cree!" shown. Ctrl-C and the
# other ending signals are held from before the write until the last sync.
#   sync_order.sh NOTECREATOR_FR
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/card/PSP/GAME/Velloran/notes"
printf 'Courses\nn\nPain\no\n%s\n' "$work/card" |
  strace -e trace=openat,fsync,renameat,renameat2,rename,write,rt_sigprocmask \
    -o "$work/trace" "$1" >/dev/null
calls=$(awk '
  /O_DIRECTORY/ && /\/notes\/?"/ { folder = $NF }
  /"\.notecreator-.*O_CREAT/ { print "create temporary"; temporary = $NF }
  /^fsync\(/ {
    split($0, a, /[()]/)
    print "sync " (a[2] == temporary ? "temporary" : a[2] == folder ? "folder" : a[2])
  }
  /^rename/ && /"Courses\.txt"/ { print "rename over Courses.txt" }
  /^rt_sigprocmask\(SIG_BLOCK, \[HUP INT QUIT TERM\]/ { print "hold signals" }
  /^rt_sigprocmask\(SIG_SETMASK, \[\]/ { print "release signals" }
  /^write\(1, "Note cree!/ { print "done shown" }
' "$work/trace")
expected='hold signals
create temporary
sync temporary
rename over Courses.txt
sync temporary
sync folder
release signals
done shown'
[ "$calls" = "$expected" ] && exit 0
printf 'expected:\n%s\nactual:\n%s\n' "$expected" "$calls"
exit 1
