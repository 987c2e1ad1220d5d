#!/usr/bin/env bash
# Runs the Win32 test suites of a build tree under Wine, in two throwaway prefixes made for the
# run: one of the NT family and one posing as Windows 98, both with ANSI code page 950. In 32-bit
# Wine the tree is build/win32-tests, whose uninstall.exe must be the shipped file itself.
set -uo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/env.sh"
shipped="$(dirname "$build")/win32/uninstall.exe"
if [ "$KVO_WINE_ARCH" = win32 ]; then
  cmp -s "$shipped" "$build/uninstall.exe" ||
    { echo "$build/uninstall.exe is not the shipped $shipped" >&2; exit 1; }
  tested="Tested: the shipped build/win32/uninstall.exe itself, in 32-bit Wine prefixes posing as the NT family and as Windows 98"
else
  why="this machine does not run 32-bit programs"
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    why="KVO_WINE_ARCH=win64 was asked for"
  elif [ ! -e /usr/lib/wine/wine ] && "$here/../../tools/install-prereqs.sh" --runs-32bit; then
    why="32-bit Wine is not installed, although this machine runs 32-bit programs"
  fi
  tested="Tested: the x86-64 build of the same sources in 64-bit Wine ($why), so the shipped build/win32/uninstall.exe was only checked statically"
fi

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
  rm -f "$build/interruption-$family.txt"
  # KVO_CTEST_ARGS: a choice of tests (make crash-test: the interruption test alone).
  (cd "$build" && ctest --output-on-failure --timeout 3600 ${KVO_CTEST_ARGS:-}) || status=1
  [ -f "$build/interruption-$family.txt" ] &&
    echo "Interruption test, prefix $family: $(tr -d '\r' < "$build/interruption-$family.txt")"
  stop_prefix "$prefix"
  stop_prefix "$prefix-e2e"
done
# One end-to-end test alone in a fresh NT-family prefix: run_alone NAME FILTER.
run_alone() {
  local prefix="$build/wine-$1"
  make_prefix "$prefix" nt
  start_prefix "$prefix"
  (cd "$build" && KVO_FAMILY=nt timeout 600 "$WINE" "$build/win_tests.exe" --gtest_filter="$2" </dev/null)
  local result=$?
  stop_prefix "$prefix"
  return $result
}
# The signed copy that make test's sign-check put beside the program goes once through setup
# and uninstall, then away (not with a choice of tests).
if [ -f "$build/uninstall-signed.exe" ] && [ -z "${KVO_CTEST_ARGS:-}" ]; then
  echo "== The signed program through setup and uninstall, Wine prefix nt"
  KVO_PROGRAM_FILE=uninstall-signed.exe run_alone signed EndToEndSetup.SilentSetupRegistersTheFirstRunDefaults ||
    status=1
  rm -f "$build/uninstall-signed.exe"
  tested="$tested; and a signed copy"
fi
# Where 64-bit Wine runs beside 32-bit Wine, the 32-bit program also runs in a 64-bit prefix,
# as on 64-bit Windows: the Default Programs capabilities that RegisteredApplications names must
# open in the 64-bit view, where the 64-bit shell looks for them. Not with a choice of tests.
if [ "$KVO_WINE_ARCH" = win32 ] && [ -z "${KVO_CTEST_ARGS:-}" ] &&
   /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
  echo "== The 32-bit program in a 64-bit prefix of the NT family"
  (
    export KVO_WINE_ARCH=win64
    . "$here/env.sh"
    run_alone nt64 EndToEndRoundTrip.TheCapabilitiesOpenInThe64BitView
  ) || status=1
  tested="$tested; and the 32-bit program in a 64-bit prefix"
fi
echo "$tested"
exit $status
