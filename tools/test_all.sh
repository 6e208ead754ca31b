#!/usr/bin/env bash
# Runs every stage of `make test` to its end, even after one has failed, showing each stage's
# output and keeping it in build/test-logs/STAGE.log; then says in one last line how each went
# (the tests run and passed in each build, the end-to-end tests under wine, each fuzz target,
# the packages) and PASS or FAIL. Exits 0 only on PASS.
set -uo pipefail
cd "$(dirname "$0")/.."
logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

verdict=PASS
results=()
run() {  # STAGE: runs `make STAGE`; its status is the stage's
  make --no-print-directory "$1" 2>&1 | tee "$logs/$1.log"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || verdict=FAIL
  return "$status"
}

# ctest's count, "NAME PASSED/RAN passed", from its "N% tests passed, F tests failed out of T".
suite() {  # NAME STAGE
  run "$2"
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$2.log" |
    tail -n 1)
  if [ -z "$line" ]; then
    results+=("$1 did not run")
  else
    local failed ran
    read -r failed ran < <(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/' <<<"$line")
    results+=("$1 $((ran - failed))/$ran passed")
  fi
}

suite gcc test-gcc
suite clang-sanitize test-clang

run test-windows
count() {  # the number googletest gives in its "[  WORD  ] N tests" line
  sed -nE "s/^\[ +$1 +\] ([0-9]+) tests?.*/\1/p" "$logs/test-windows.log" | tail -n 1
}
passed=$(count PASSED)
if [ -z "$passed" ]; then
  results+=("wine did not run")
else
  wine="wine $passed passed"
  skipped=$(count SKIPPED)
  failed=$(count FAILED)
  [ -z "$skipped" ] || wine+=", $skipped skipped"
  [ -z "$failed" ] || wine+=", $failed FAILED"
  results+=("$wine")
fi

run fuzz
fuzzed=$(sed -nE -e 's/^(fuzz_[a-z]+): [0-9]+ inputs run.*/\1 passed/p' \
  -e 's/^(fuzz_[a-z]+) FAILED.*/\1 FAILED/p' "$logs/fuzz.log")
if [ -z "$fuzzed" ]; then
  results+=("fuzzing did not run")
else
  while read -r line; do results+=("$line"); done <<<"$fuzzed"
fi

if run test-packages; then
  results+=("packages the same bytes twice, lintian clean")
else
  results+=("packages FAILED")
fi

summary=$(printf '%s; ' "${results[@]}")
echo "make test: ${summary%; }: $verdict"
[ "$verdict" = PASS ]
