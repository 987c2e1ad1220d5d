#!/usr/bin/env bash
# Runs the language file fuzzer of a fuzz build for a bounded time, starting from the committed
# seed corpus (copied, so that the repository's corpus stays as committed). Exits non-zero on any
# finding; the crashing input is kept in BUILD/artifacts.
set -euo pipefail
build="$1"
seconds="$2"
here="$(cd "$(dirname "$0")/.." && pwd)"
corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
cp "$here"/tests/fuzz/corpus/* "$corpus"/
echo "== language fuzzer, ${seconds} s"
# Inputs up to 70,000 bytes reach past the 65,536 bytes read from the marker.
"$build/tests/fuzz/language_fuzzer" "$corpus" -max_total_time="$seconds" -max_len=70000 \
  -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" 2>"$build/fuzz.log" || {
  tail -50 "$build/fuzz.log"
  echo "language fuzzer: finding (see $build/artifacts)" >&2
  exit 1
}
tail -12 "$build/fuzz.log"
