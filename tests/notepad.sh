#!/bin/sh
# Does in Notepad what a person would, once the program under test has
# opened it on the virtual display:
#   notepad.sh type TEXT   types TEXT, line by line, saves (Ctrl+S) and closes it (Alt+F4)
#   notepad.sh close       closes it untouched
# Keys sent to a window lose their Shift: TEXT is lower case.
set -u
window=$(timeout 60 xdotool search --sync --onlyvisible --name 'Notepad' | head -n 1)
[ -n "$window" ] || { echo "no Notepad window" >&2; exit 1; }
sleep 1
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
case "$1" in
  type)
    printf '%s\n' "$2" | while IFS= read -r line; do
      xdotool type --delay 20 "$line"
      xdotool key Return
    done
    xdotool key ctrl+s
    sleep 1
    ;;
esac
xdotool key alt+F4
