#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (cmake/sanitize.cmake) in build-asan. Every
# sanitizer report ends its process with an error, so any report fails the
# test that triggered it and with it this stage.
set -euo pipefail
cd "$(dirname "$0")/../.."

# gcc brings its sanitizer runtimes; the rest is what the native build needs.
source tools/install_missing.sh
install_missing g++ cmake make libgtest-dev libbenchmark-dev libtiff-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev libasan8 libubsan1

# Leak checking stops the process's threads through ptrace, which some
# containers forbid; it is kept on wherever a leaking probe is caught.
leaks=1
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf '#include <cstdlib>\nint main() { volatile void* p = std::malloc(64); p = nullptr; (void)p; return 0; }\n' > "$probe_dir/leak.cpp"
if g++ -fsanitize=address -g "$probe_dir/leak.cpp" -o "$probe_dir/leak" 2>/dev/null; then
  if ASAN_OPTIONS=detect_leaks=1 "$probe_dir/leak" >"$probe_dir/out" 2>&1 \
    || ! grep -q 'detected memory leaks' "$probe_dir/out"; then
    echo "sanitizers: leak checking does not work here; running without it"
    leaks=0
  fi
fi

# Test discovery runs the test programs while building, so the options hold
# for the build as well as for ctest.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=${leaks}:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_odr_violation=2:print_summary=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1"
export LSAN_OPTIONS="print_suppressions=0"

# Benchmarks are timed in the native build only; instrumented timings mean
# nothing. -O1 with line tables: reports keep file and line, and the build
# takes less of the CI's time than -O2 with full debug information.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DPULSOR_SANITIZE=ON \
  -DPULSOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 900
