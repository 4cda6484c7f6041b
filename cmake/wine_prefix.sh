#!/bin/sh
# Makes (setup) or stops (cleanup) the Wine prefix that the Windows cases share.
#   wine_prefix.sh setup|cleanup PREFIX WINE64 WINESERVER
set -u
action=$1 prefix=$2 wine=$3 wineserver=$4
export WINEPREFIX="$prefix"

if [ ! -x "$wine" ]; then
  if [ -n "${CI:-}" ]; then
    echo "Wine is missing; in CI the Windows cases must run" >&2
    exit 1
  fi
  echo "Wine is missing: the Windows cases will report themselves skipped"
  exit 0
fi

case "$action" in
  setup)
    rm -rf "$prefix"
    "$wine" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
    "$wineserver" -w
    # Cases claim their own drive letters; none may be left from an earlier run.
    find "$prefix/dosdevices" -name '[d-y]:' -exec rm -f {} +
    # One server for the whole run: a server that stops between two cases,
    # as it does when idle, races with the next case's start. Its service
    # processes start now, away from any case's pipes, which they would
    # otherwise hold open.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    "$wineserver" -k 2>/dev/null || true
    ;;
esac
