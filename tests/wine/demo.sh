#!/usr/bin/env bash
# `make demo`: the program at work in a throwaway Wine prefix.
set -euo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/env.sh"

prefix="$build/demo/wine-nt"
echo "== Preparing a throwaway Wine prefix (NT family, code page 950)"
make_prefix "$prefix" nt
start_prefix "$prefix"
trap 'stop_prefix "$prefix"' EXIT

bin="$build/win64"
exe="$("$WINE" winepath -w "$bin/uninstall.exe" 2>/dev/null)"
drive() { "$WINE" "$bin/dialog_driver.exe" "$@"; }

echo
echo "== uninstall.exe /wait: the pause the self-removal script relies on"
drive -- "$exe" /wait
echo
echo "== uninstall.exe /warning: the notice shown when the program file could not be deleted"
drive -- "$exe" /warning
echo
echo "== uninstall.exe with no arguments: uninstall mode asks first (answered No)"
drive --press 7 -- "$exe"
echo
echo "== uninstall.exe /setup: the setup dialog, then the completion dialog (both answered OK)"
drive -- "$exe" /setup
