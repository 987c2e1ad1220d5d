#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build (tests/fuzz/*_fuzzer) for a bounded time in all,
# split evenly between them, each starting from its committed seeds in tests/fuzz/corpus/TARGET/
# (copied, so that the repository's corpus stays as committed). Exits non-zero on any finding;
# the crashing input is kept in BUILD/artifacts/TARGET/.
set -euo pipefail
build="$1"
seconds="$2"
here="$(cd "$(dirname "$0")/.." && pwd)"
targets=("$build"/tests/fuzz/*_fuzzer)
share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1
for target in "${targets[@]}"; do
  name="$(basename "$target")"
  corpus="$build/corpus/$name" artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  [ -d "$here/tests/fuzz/corpus/$name" ] && cp "$here/tests/fuzz/corpus/$name"/* "$corpus"/
  echo "== $name, ${share} s"
  # Inputs up to 70,000 bytes reach past the 65,536 bytes the language reader takes from the marker.
  "$target" "$corpus" -max_total_time="$share" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" 2>"$build/$name.log" || {
    tail -50 "$build/$name.log"
    echo "$name: finding (see $artifacts)" >&2
    exit 1
  }
  tail -12 "$build/$name.log"
done
