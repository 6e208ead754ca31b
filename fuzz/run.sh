#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) on its seed corpus and prints how many inputs
# it ran. A target fails on its first crash, leak, timeout (5 s per input) or sanitizer report;
# the input that caused it is kept in BUILD/artifacts/, and the other targets still run. Exits 1
# if any failed. Usage: fuzz/run.sh [SECONDS] [BUILD] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${2:-build/fuzz}
shift $(( $# > 2 ? 2 : $# ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(script tga png build font runtime bmfont freetype)

mkdir -p "$build/artifacts"
failed=0
for target in "${targets[@]}"; do
  # New inputs go to a corpus of the build's own; the committed seeds are only read.
  work="$build/corpus-$target"
  mkdir -p "$work"
  log="$build/fuzz_$target.log"
  echo "fuzz_$target: ${seconds} s"
  if ! "$build/fuzz_$target" -max_total_time="$seconds" -timeout=5 -max_len=1048576 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target FAILED; the input is in $build/artifacts/"
    failed=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  echo "fuzz_$target: $runs inputs run, $coverage edges, corpus $(ls "$work" | wc -l) inputs"
done
exit "$failed"
