#!/bin/sh
# Fails when a Windows executable needs a MinGW DLL beside it.
#   check_windows_dlls.sh EXE...
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name') || { echo "cannot read $exe"; exit 1; }
  echo "$exe:"; echo "$dlls"
  echo "$dlls" | grep -qi 'kernel32' || exit 1
  if echo "$dlls" | grep -qiE 'libstdc|libgcc|pthread'; then exit 1; fi
done
