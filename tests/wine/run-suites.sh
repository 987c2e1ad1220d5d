#!/usr/bin/env bash
# Runs the Win32 test suites of a build tree under Wine, in two throwaway prefixes made for the
# run: one of the NT family and one posing as Windows 98, both with ANSI code page 950.
set -uo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/env.sh"

status=0
for family in nt 98; do
  prefix="$build/wine-$family"
  echo "== Win32 suites, Wine prefix $family"
  make_prefix "$prefix" "$family"
  # The twin for end-to-end runs, copied while no wineserver holds the prefix.
  rm -rf "$prefix-e2e" "$prefix-e2e.home"
  cp -a "$prefix" "$prefix-e2e"
  cp -a "$prefix.home" "$prefix-e2e.home"
  start_prefix "$prefix-e2e"
  start_prefix "$prefix"
  export KVO_FAMILY="$family"
  (cd "$build" && ctest --output-on-failure --timeout 900) || status=1
  stop_prefix "$prefix"
  stop_prefix "$prefix-e2e"
done
exit $status
