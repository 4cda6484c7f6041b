#!/bin/sh
# Follows a save's system calls: the temporary file is synced, renamed over the
# note, synced again under its new name (FAT writes the renamed entry only with
# the file), then its folder; only then is "Note cree!" shown. Ctrl-C and the
# other ending signals are held from before the write until the last sync.
#   sync_order.sh NOTECREATOR_FR
# The Windows build, under Wine's call trace: the temporary file is flushed,
# renamed through its handle and flushed again; and no command processor is
# started for cls or color when the output is a pipe or the null device.
#   sync_order.sh --wine WINE64 NOTECREATOR_FR_EXE   (WINEPREFIX set)
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/card/PSP/GAME/Velloran/notes"

check() {
  [ "$1" = "$2" ] && return 0
  printf 'expected:\n%s\nactual:\n%s\n' "$1" "$2"
  exit 1
}

if [ "$1" = --wine ]; then
  wine=$2 exe=$3
  for letter in d e f g h i j k l m n o p q r s t u v w x y; do
    # -n: a letter taken by a case links to its card, which must not get a link inside.
    ln -sn "$work/card" "$WINEPREFIX/dosdevices/$letter:" 2>/dev/null && break
    letter=""
  done
  [ -n "$letter" ] || { echo "no free drive letter"; exit 1; }
  trap 'rm -f "$WINEPREFIX/dosdevices/$letter:"; rm -rf "$work"' EXIT
  printf 'Courses\nn\nPain\no\n%s\n' "$letter" |
    WINEDEBUG=+relay "$wine" "$exe" 2>"$work/trace" | cat >/dev/null
  printf 'Courses\nn\nPain\nn\n' | WINEDEBUG=+relay "$wine" "$exe" 2>>"$work/trace" >/dev/null
  calls=$(awk '
    /:Call KERNEL32\.CreateFileW\(.*\.notecreator-.*\.tmp/ {
      thread = substr($0, 1, 5); print "create temporary"; next
    }
    thread != "" && index($0, thread "Ret  KERNEL32.CreateFileW(") == 1 && handle == "" {
      handle = $0; sub(/.*retval=/, "", handle); sub(/ .*/, "", handle)
    }
    handle != "" && index($0, "Call KERNEL32.FlushFileBuffers(" handle ")") { print "flush temporary" }
    handle != "" && index($0, "Call KERNEL32.SetFileInformationByHandle(" handle ",00000003,") {
      print "rename by handle"
    }
    /Call KERNEL32\.MoveFileExW\(/ { print "move by name" }
    handle != "" && index($0, "Call KERNEL32.CloseHandle(" handle ")") { print "close temporary"; handle = "-" }
    /:Call .*(CreateProcess[AW]\(.*cmd\.exe|msvcrt\._?w?system\()/ { print "command processor started" }
  ' "$work/trace")
  check 'create temporary
flush temporary
rename by handle
flush temporary
close temporary' "$calls"
  exit 0
fi

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
check 'hold signals
create temporary
sync temporary
rename over Courses.txt
sync temporary
sync folder
release signals
done shown' "$calls"
