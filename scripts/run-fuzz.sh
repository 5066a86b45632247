#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while on a fresh copy of its
# seed corpus, prints one line per target (executions, finding or not) and
# fails when any target found something.
#   scripts/run-fuzz.sh BUILD_DIR [SECONDS]
set -uo pipefail
build=$(cd "${1:?usage: run-fuzz.sh BUILD_DIR [SECONDS]}" && pwd) || exit 1
cd "$(dirname "$0")/.." || exit 1
seconds=${2:-60}
seeds=tests/fuzz/corpus

found=0
for seed_dir in "$seeds"/*/; do
  name=$(basename "$seed_dir")
  target=$build/tests/fuzz/fuzz_$name
  work=$build/fuzz-run/$name
  if [ ! -x "$target" ]; then
    echo "fuzz_$name: not built ($target)" >&2
    found=1
    continue
  fi
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp "$seed_dir"* "$work/corpus/"
  # Long inputs matter to the number reader (the folding of long numerals).
  "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log" | tail -n 1)
  artifacts=$(find "$work" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
  if [ $status -eq 0 ] && [ -z "$artifacts" ]; then
    printf 'fuzz_%s: %s runs in %s s, no finding\n' "$name" "${runs:-?}" "$seconds"
    continue
  fi
  found=1
  printf 'fuzz_%s: FINDING after %s runs (exit %s), log %s\n' "$name" "${runs:-?}" "$status" \
    "$work/log"
  grep -E '^(==[0-9]+==ERROR|SUMMARY|.*invariant broken|.*runtime error)' "$work/log" | head -n 5
  for artifact in $artifacts; do
    hex=$(od -An -v -tx1 -N 256 "$artifact" | tr -d ' \n')
    echo "  input $artifact ($(wc -c <"$artifact") bytes, hex): $hex"
  done
done
exit $found
