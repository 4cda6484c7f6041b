#!/bin/sh
# Runs a check, or reports it skipped (77) when its tool, or a file or command
# it needs, is missing; in CI no check may be skipped.
#   run_or_skip.sh [NEEDED_FILE_OR_COMMAND...] -- COMMAND [ARGS...]
missing=""
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
  [ -e "$1" ] || command -v "$1" >/dev/null 2>&1 || missing="$1"
  shift
done
shift
command -v "${1:-}" >/dev/null 2>&1 || missing="${1:-its tool}"
if [ -n "$missing" ]; then
  echo "missing: $missing (tools/dev test brings it)"
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi
exec "$@"
