#!/usr/bin/env bash
# Runs every fuzz target for a while on its committed seed corpus and prints the executions.
#   scripts/fuzz.sh [seconds-per-target]   (default 60; a longer run: scripts/fuzz.sh 3600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null

status=0
for target in list_text command_split registry_read build_menus program_details; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  log=build/fuzz/$target.log
  if ./build/fuzz/fuzz/${target}_fuzz -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix=build/fuzz/$target- "$work" fuzz/corpus/$target >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    grep -E "invariant failed|ERROR|SUMMARY" "$log" | head -5 || true
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz: $target: $result, ${runs:-0} executions in ${seconds}s"
done
exit $status
