#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while (as many at once as
# there are cores) on a fresh copy of its seed corpus, prints one line per
# target (executions, finding or not) and fails when any target found
# something.
#   scripts/run-fuzz.sh BUILD_DIR [SECONDS]
set -uo pipefail
build=$(cd "${1:?usage: run-fuzz.sh BUILD_DIR [SECONDS]}" && pwd) || exit 1
cd "$(dirname "$0")/.." || exit 1
seconds=${2:-60}
seeds=tests/fuzz/corpus

# One target: its lines on stdout; fails on a finding.
fuzz_one() {
  local name=$1 target=$build/tests/fuzz/fuzz_$1 work=$build/fuzz-run/$1
  if [ ! -x "$target" ]; then
    echo "fuzz_$name: not built ($target)"
    return 1
  fi
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp "$seeds/$name/"* "$work/corpus/"
  # Long inputs matter to the number reader (the folding of long numerals).
  "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1
  local status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/log" | tail -n 1)
  local artifacts
  artifacts=$(find "$work" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
  if [ $status -eq 0 ] && [ -z "$artifacts" ]; then
    printf 'fuzz_%s: %s runs in %s s, no finding\n' "$name" "${runs:-?}" "$seconds"
    return 0
  fi
  printf 'fuzz_%s: FINDING after %s runs (exit %s), log %s\n' "$name" "${runs:-?}" "$status" \
    "$work/log"
  grep -E '^(==[0-9]+==ERROR|SUMMARY|.*invariant broken|.*runtime error)' "$work/log" | head -n 5
  for artifact in $artifacts; do
    hex=$(od -An -v -tx1 -N 256 "$artifact" | tr -d ' \n')
    echo "  input $artifact ($(wc -c <"$artifact") bytes, hex): $hex"
  done
  return 1
}

# Each target runs on one core: as many at once as there are cores, their
# lines printed in the corpus order once all have ended.
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
names=()
for seed_dir in "$seeds"/*/; do
  name=$(basename "$seed_dir")
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n; done
  (fuzz_one "$name" >"$reports/$name" 2>&1; echo $? >"$reports/$name.status") &
done
wait
found=0
for name in "${names[@]}"; do
  cat "$reports/$name"
  [ "$(cat "$reports/$name.status")" = 0 ] || found=1
done
exit $found
