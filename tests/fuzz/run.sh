#!/usr/bin/env bash
# Runs every libFuzzer target of a KR_FUZZ build tree for a fixed time each.
# New interesting inputs go to <build>/corpus/<target>/ only; the committed
# seeds in tests/fuzz/corpus/<target>/ are read, never written. A finding is
# saved as <build>/findings/<target>-crash-... and fails the run at the end.
# Usage: run.sh <build tree> <seconds per target>
set -uo pipefail
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/corpus" "$build/findings" "$build/logs"
summary="$build/fuzz-summary.txt"
: >"$summary"
failed=()
for binary in "$build"/bin/fuzz_*; do
  target=$(basename "$binary")
  mkdir -p "$build/corpus/$target"
  echo "== $target: $seconds s"
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" \
    "$build/corpus/$target" "$here/corpus/$target" >"$build/logs/$target.log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$target.log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$build/logs/$target.log" | tail -1 | grep -o '[0-9]*')
  corpus=$(find "$build/corpus/$target" -type f | wc -l)
  line="$target seconds=$seconds runs=${runs:-?} coverage=${cov:-?} corpus=$corpus status=$status"
  echo "$line" | tee -a "$summary"
  [ "$status" -eq 0 ] || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (see $build/findings and $build/logs)" >&2
  exit 1
fi
echo "no findings; summary in $summary"
