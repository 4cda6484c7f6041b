#!/bin/sh
# Checks on what tools/dev release makes.
#
#   release_check.sh reproducible WORK_DIR   two releases, the second with another umask
#                                             and time zone, must be the same bytes
#   release_check.sh static EXECUTABLE...    fully static: no interpreter, no shared library
#   release_check.sh deb DEB RUN_CASE CASE    installs the package, runs CASE against
#                                             /usr/bin, finds the manual pages, removes it
#   release_check.sh resources VERSION EXE... each .exe carries an icon and a version
#                                             resource that names VERSION
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

skip() {
  echo "skipped: $1"
  [ -n "${CI:-}" ] && exit 1
  exit 77
}

case "$1" in
  reproducible)
    work=$2
    rm -rf "$work"
    mkdir -p "$work"
    "$top/tools/dev" release "$work/first" >"$work/first.log" 2>&1 ||
      { tail -40 "$work/first.log"; exit 1; }
    (umask 077 && TZ=Pacific/Chatham "$top/tools/dev" release "$work/second") \
      >"$work/second.log" 2>&1 || { tail -40 "$work/second.log"; exit 1; }
    cat "$work/first/release/SHA256SUMS"
    (cd "$work/first/release" && sha256sum -c --quiet SHA256SUMS)
    diff -r "$work/first/release" "$work/second/release"
    ;;
  static)
    shift
    for executable; do
      file -b "$executable" | grep -q 'statically linked' || { file "$executable"; exit 1; }
      if readelf -lW "$executable" | grep -q INTERP; then
        echo "$executable has a program interpreter"
        exit 1
      fi
      # Small enough to carry anywhere: under 0.9 MB.
      size=$(wc -c <"$executable")
      [ "$size" -lt 900000 ] || { echo "$executable is $size bytes, not under 900000"; exit 1; }
    done
    echo "$# executables, all static and under 900000 bytes"
    ;;
  resources)
    version=$2
    shift 2
    for exe; do
      wrestool -l "$exe" | grep -q 'type=group_icon' || { echo "$exe has no icon"; exit 1; }
      wrestool -x --raw --type=version "$exe" | strings -el | grep -qx "$version" ||
        { echo "$exe has no version resource for $version"; exit 1; }
    done
    echo "$# executables, each with its icon and version $version"
    ;;
  deb)
    deb=$2 run_case=$3 case=$4
    [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
    if dpkg-query -W -f='${Status}' notecreator 2>/dev/null | grep -q installed; then
      skip "notecreator is installed on this machine already; it is left as it is"
    fi
    trap 'apt-get purge -y -q notecreator >/dev/null 2>&1 || dpkg --purge notecreator' EXIT
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb"
    "$run_case" --bin /usr/bin "$case"
    man -w notecreator_en
    man -w notecreator_fr
    man -w -L fr notecreator_fr | grep -q '/fr/' || { echo "no French page"; exit 1; }
    ;;
esac
