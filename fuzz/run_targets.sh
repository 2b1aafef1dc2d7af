#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each (default 60) on a
# copy of its seed corpus; prints each target's executions, and fails when
# any target met a crash, leak, out-of-memory or timeout.
#   fuzz/run_targets.sh [BUILD_DIR [SECONDS]]     (BUILD_DIR: build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/fuzz}")
seconds=${2:-60}

# The copy keeps the committed corpus as it is; the findings of a target
# stay under BUILD_DIR/artifacts/<target>/ with its log.
failed=()
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" _fuzz.cpp)
  work=$build/artifacts/$target
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp fuzz/corpus/"$target"/* "$work/corpus/"
  # Absolute paths throughout: a target works inside its scratch folder.
  if "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -rss_limit_mb=512 -timeout=5 -print_final_stats=1 \
      -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1; then
    result=ok
  else
    result="FAILED (exit $?)"
    failed+=("$target")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  echo "$target: ${runs:-?} executions in ${seconds} s, $(ls "$work/corpus" | wc -l) corpus files after: $result"
  if [[ $result != ok ]]; then
    grep -E '^(==[0-9]+== ?ERROR|SUMMARY|ALARM|.*runtime error)' "$work/log" || tail -n 30 "$work/log"
    for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [[ -e $artifact ]] && echo "  artifact: $artifact"
    done
    echo "  log: $work/log"
  fi
done
if ((${#failed[@]})); then
  echo "fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
