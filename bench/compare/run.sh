#!/usr/bin/env bash
# Runs the benchmarks of a baseline build and of this build in one session,
# alternating, so that both see the same machine; table.py then gives the
# medians side by side.
#   bench/compare/run.sh BASELINE_BENCH NEW_BENCH OUT_FOLDER [ROUNDS]
# BASELINE_BENCH is pulsor_bench built from the commit to compare against
# (a second worktree, e.g. git worktree add ../base <commit>, with only the
# pulsor_bench target built).
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 BASELINE_BENCH NEW_BENCH OUT_FOLDER [ROUNDS]" >&2
  exit 2
fi
base=$1
new=$2
out=$3
rounds=${4:-3}
for b in "$base" "$new"; do
  [ -x "$b" ] || { echo "not a program: $b" >&2; exit 2; }
done
mkdir -p "$out"
filter='BM_ExecuteVectorEightTabs|BM_ExecuteFloor|BM_ExecuteTabs|BM_ExecutePasses|BM_CubeSceneLoad|BM_PageTabs|BM_DescriptionVectorSixteenTabsWholePage|BM_PresetLoadInto|BM_LoadPresetEightTabs|BM_Bake10000Frames'
for round in $(seq 1 "$rounds"); do
  for side in base new; do
    if [ $side = base ]; then program=$base; else program=$new; fi
    "$program" --benchmark_filter="$filter" --benchmark_repetitions=3 \
      --benchmark_out="$out/$side-$round.json" --benchmark_out_format=json >/dev/null
  done
done
echo "done: $out"
