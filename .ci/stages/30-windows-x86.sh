#!/usr/bin/env bash
# 32-bit Windows: everything cross-built with MinGW-w64
# (cmake/toolchains/mingw-w64-i686.cmake) in build-win32; the module must
# export c4d_main alone and no binary may need MinGW's runtime DLLs. Built
# and checked, not run: 32-bit wine needs a kernel that starts 32-bit
# programs, and under qemu's user-mode emulator it does not start.
set -euo pipefail
cd "$(dirname "$0")/../.."
say() { echo "windows-x86: $*"; }

source tools/install_missing.sh
install_missing cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest libcli11-dev nlohmann-json3-dev

# The headless host is left out until host/cli builds for Windows.
say "configuring and building build-win32"
cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DPULSOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-win32 -j"$(nproc)"

say "checking the binaries' exports and imports"
for f in build-win32/bin/*.exe build-win32/bin/*.dll build-win32/source/Pulsor.cdl; do
  if i686-w64-mingw32-objdump -p "$f" | grep -E 'DLL Name: (libstdc\+\+|libgcc_s|libwinpthread)'; then
    say "$f needs a MinGW runtime DLL"
    exit 1
  fi
done
ctest --test-dir build-win32 --output-on-failure -R '^PulsorModule\.ExportsOnlyC4dMain$'
