#!/usr/bin/env bash
# `make bench`, the Wine half: wall times of the program in one throwaway prefix (NT family,
# code page 950, null display driver), each the median, minimum and maximum of RUNS rounds:
# a bare start (an unknown switch: start-up, nothing done, exit), the silent setup in an
# installation staged as the installer leaves it, and the silent uninstall by the command of its
# entry. Each round stages afresh, so every setup starts from the same system and every
# uninstall takes back one setup. Timed inside Wine by timed_run.exe: Wine's start-up of that
# tool is not counted, the program's own is.
#
#   tests/wine/bench.sh BIN      BIN: the test tree of this machine's Wine (make bench picks it)
#
# RUNS (default 9) sets the rounds; PROGRAM another uninstall.exe to time in place of BIN's.
set -euo pipefail
bin="$(cd "$1" && pwd)"
build="$(dirname "$bin")"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/env.sh"
runs="${RUNS:-9}"
program="${PROGRAM:-$bin/uninstall.exe}"

prefix="$build/bench/wine-nt"
make_prefix "$prefix" nt
start_prefix "$prefix"
trap 'stop_prefix "$prefix"' EXIT

folder="$prefix/drive_c/Program Files/Krelvo"
exe='C:\Program Files\Krelvo\uninstall.exe'
results="$build/bench/times"
rm -rf "$results" && mkdir -p "$results"

# timed NAME EXPECTED-EXIT-CODE WINDOWS-COMMAND...: one timed run, its milliseconds appended to
# $results/NAME. A run that fails or ends with another exit code stops the bench.
timed() {
  local name="$1" expected="$2" out
  shift 2
  # To a file, not a pipe: the removal script that the uninstall starts inherits Wine's output
  # and writes its own lines after the tool's one.
  "$WINE" "$bin/timed_run.exe" -- "$@" </dev/null >"$results/out" 2>"$results/error" || {
    echo "bench: $name: $(cat "$results/error")" >&2
    exit 1
  }
  out="$(head -n 1 "$results/out")"
  set -- ${out//$'\r'/}
  if [ "$2" != "$expected" ]; then
    echo "bench: $name ended with exit code $2, not $expected" >&2
    exit 1
  fi
  echo "$1" >> "$results/$name"
}

# The uninstall's removal script ends after the program: waits (at most 20 s) until it has
# removed the program folder and its own, so that rounds do not overlap.
wait_for_removal() {
  for _ in $(seq 1 200); do
    if [ ! -e "$folder" ] && [ -z "$(find "$prefix/drive_c/users" -maxdepth 5 -name 'Kvo*' 2>/dev/null)" ]; then
      return 0
    fi
    sleep 0.1
  done
  echo "bench: the removal script left the installation behind" >&2
  exit 1
}

# A round. The first one warms the caches and is not counted.
round() {
  rm -rf "$folder"
  stage_installation "$bin" "$folder"
  cp "$program" "$folder/uninstall.exe"
  # The unknown switch and the setup run in the installation folder, as the installer starts it.
  (cd "$folder" && timed start 0 "$exe" /x)
  (cd "$folder" && timed setup 0 "$exe" /s /setup)
  (cd "$prefix/drive_c" && timed uninstall 0 "$exe" /s)
  wait_for_removal
}
round
rm -f "$results"/start "$results"/setup "$results"/uninstall
for _ in $(seq 1 "$runs"); do round; done

# median NAME: the middle value of the sorted runs (the mean of the two middle ones when even).
median() {
  sort -n "$results/$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo
echo "== The program under Wine ($KVO_WINE_ARCH, $(basename "$bin")), $runs runs each, milliseconds"
printf '%-28s %9s %9s %9s\n' "" median min max
for name in start setup uninstall; do
  case $name in
    start) label="bare start (/x)" ;;
    setup) label="silent setup (/s /setup)" ;;
    uninstall) label="silent uninstall (/s)" ;;
  esac
  printf '%-28s %9s %9s %9s\n' "$label" "$(median $name)" "$(sort -n "$results/$name" | head -1)" \
    "$(sort -n "$results/$name" | tail -1)"
done
start=$(median start)
awk -v s="$start" -v a="$(median setup)" -v b="$(median uninstall)" \
  'BEGIN { printf "setup / bare start: %.2f   uninstall / bare start: %.2f\n", a / s, b / s }'
