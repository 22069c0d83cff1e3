#!/usr/bin/env bash
# The libFuzzer targets (fuzz/), built with clang in build-fuzz and run for a
# fixed budget each on a copy of their seed corpus, so that nothing is written
# into the repository. A crash, a sanitizer report, a leak, a timeout or an
# out-of-memory stops the stage and leaves the input in $FUZZ_ARTIFACTS.
set -euo pipefail
cd "$(dirname "$0")/../.."

budget=${FUZZ_SECONDS:-30}

source tools/install_missing.sh
install_missing clang libclang-rt-dev cmake make libtiff-dev libcli11-dev nlohmann-json3-dev

# Only the fuzz targets are built: the loadable module cannot be linked
# against the fuzzer's runtime, and the tests run in the other stages. The
# headless host's code is configured for its scene reader's target.
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSOR_FUZZ=ON \
  -DPULSOR_BUILD_TESTS=OFF -DPULSOR_BUILD_BENCHMARKS=OFF -DPULSOR_BUILD_CLI=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_targets

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=${FUZZ_ARTIFACTS:-$work/artifacts}
mkdir -p "$artifacts"
# Leak checking needs ptrace, which some containers forbid; kept on wherever a
# leaking probe is caught.
leaks=1
printf '#include <cstdlib>\nint main() { volatile void* p = std::malloc(64); p = nullptr; (void)p; return 0; }\n' > "$work/leak.cpp"
if clang++ -fsanitize=address -g "$work/leak.cpp" -o "$work/leak" 2>/dev/null; then
  if ASAN_OPTIONS=detect_leaks=1 "$work/leak" >"$work/leak.out" 2>&1 || ! grep -q 'detected memory leaks' "$work/leak.out"; then
    echo "fuzz: leak checking does not work here; running without it"
    leaks=0
  fi
fi
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=${leaks}:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

for target in hyperfile_fuzz scene_fuzz tag_hooks_fuzz resource_fuzz json_scene_fuzz; do
  corpus="$work/corpus/$target"
  mkdir -p "$corpus"
  cp -r fuzz/corpus/"$target"/. "$corpus"/
  dict=()
  [ -f fuzz/"$target".dict ] && dict=(-dict=fuzz/"$target".dict)
  echo "fuzz: $target for ${budget}s"
  if ! build-fuzz/fuzz/"$target" "$corpus" "${dict[@]}" -max_total_time="$budget" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -detect_leaks="$leaks" -print_final_stats=1 -artifact_prefix="$artifacts/$target-" >"$work/$target.log" 2>&1; then
    grep -m1 'INFO: Seed:' "$work/$target.log" || true
    tail -n 60 "$work/$target.log"
    echo "fuzz: $target failed; input in $artifacts"
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$work/$target.log" || true
done
