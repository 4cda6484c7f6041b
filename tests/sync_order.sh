#!/bin/sh
# Follows a save's system calls: the temporary file is synced, renamed over the
# note, synced again under its new name (FAT writes the renamed entry only with
# the file), then its folder; a replaced note is held open over the rename,
# and the folder synced before and after the note; only then is "Note cree!"
# shown. Ctrl-C and the other ending signals are held from before the write
# until the last sync.
#   sync_order.sh NOTECREATOR_FR
# The Windows build, under Wine's call trace: the temporary file is flushed,
# renamed through its handle and flushed again (or, where that rename is
# refused, moved by name and flushed under the note's name); and no command
# processor is started for cls or color when the output is a pipe or the null
# device.
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
  # $1: the environment's extra setting, if any.
  wine_calls() {
    printf 'Courses\nn\nPain\no\n%s\n' "$letter" |
      env $1 WINEDEBUG=+relay "$wine" "$exe" 2>"$work/trace" | cat >/dev/null
    printf 'Courses\nn\nPain\nn\n' | WINEDEBUG=+relay "$wine" "$exe" 2>>"$work/trace" >/dev/null
    awk '
      /:Call KERNEL32\.CreateFileW\(.*\.notecreator-.*\.tmp/ {
        thread = substr($0, 1, 5); print "create temporary"; wanted = "temporary"; next
      }
      /:Call KERNEL32\.CreateFileW\(.*Courses\.txt/ {
        thread = substr($0, 1, 5); print "open note"; wanted = "note"; next
      }
      wanted != "" && index($0, thread "Ret  KERNEL32.CreateFileW(") == 1 {
        h = $0; sub(/.*retval=/, "", h); sub(/ .*/, "", h); handle[wanted] = h; wanted = ""
      }
      /Call KERNEL32\.FlushFileBuffers\(/ {
        for (w in handle) if (index($0, "FlushFileBuffers(" handle[w] ")")) print "flush " w
      }
      ("temporary" in handle) && index($0, "Call KERNEL32.SetFileInformationByHandle(" handle["temporary"] ",00000003,") {
        print "rename by handle"
      }
      /Call KERNEL32\.MoveFileExW\(/ { print "move by name" }
      /Call KERNEL32\.CloseHandle\(/ {
        for (w in handle) if (index($0, "CloseHandle(" handle[w] ")")) { print "close " w; delete handle[w] }
      }
      /:Call .*(CreateProcess[AW]\(.*cmd\.exe|msvcrt\._?w?system\()/ { print "command processor started" }
    ' "$work/trace"
  }
  check 'create temporary
flush temporary
rename by handle
flush temporary
close temporary' "$(wine_calls "")"
  # Where the file system cannot rename by handle: moved by name, then the
  # note flushed under its new name.
  check 'create temporary
flush temporary
close temporary
move by name
open note
flush note
close note' "$(wine_calls NOTECREATOR_TEST_NO_RENAME_BY_HANDLE=1)"
  exit 0
fi

# A run's calls, as steps; $1 names the run.
save_calls() {
  printf 'Courses\nn\nPain\no\n%s\n' "$work/card" |
    strace -e trace=openat,close,fsync,renameat,renameat2,rename,write,rt_sigprocmask \
      -o "$work/trace" "$1" >/dev/null
  awk '
    /O_DIRECTORY/ && /\/notes\/?"/ { folder = $NF }
    /"\.notecreator-.*O_CREAT/ { print "create temporary"; temporary = $NF }
    /^openat\(.*"Courses\.txt", O_RDONLY/ && /= [0-9]+$/ { print "open old note"; old = $NF }
    /^close\(/ { split($0, a, /[()]/); if (a[2] == old) { print "close old note"; old = "" } }
    /^fsync\(/ {
      split($0, a, /[()]/)
      print "sync " (a[2] == temporary ? "temporary" : a[2] == folder ? "folder" : a[2])
    }
    /^rename/ && /"Courses\.txt"/ { print "rename over Courses.txt" }
    /^rt_sigprocmask\(SIG_BLOCK, \[HUP INT QUIT TERM\]/ { print "hold signals" }
    /^rt_sigprocmask\(SIG_SETMASK, \[\]/ { print "release signals" }
    /^write\(1, "Note cree!/ { print "done shown" }
  ' "$work/trace"
}

# A new note: the file first, whose entry then names its clusters.
check 'hold signals
create temporary
sync temporary
rename over Courses.txt
sync temporary
sync folder
release signals
done shown' "$(save_calls "$1")"

# Replacing one: the old note stays open, so its clusters stay taken, until
# the folder has dropped the temporary entries and the note names its own.
check 'hold signals
create temporary
sync temporary
open old note
rename over Courses.txt
sync folder
sync temporary
close old note
sync folder
release signals
done shown' "$(save_calls "$1")"
