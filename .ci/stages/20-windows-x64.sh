#!/usr/bin/env bash
# 64-bit Windows: everything cross-built with MinGW-w64
# (cmake/toolchains/mingw-w64-x86_64.cmake) in build-win64; the module must
# export c4d_main alone and no binary may need MinGW's runtime DLLs; then the
# test programs run under wine64, each as one ctest test. The stored bit
# patterns (tests/data/portability) must come out the same as on Linux.
set -euo pipefail
cd "$(dirname "$0")/../.."
say() { echo "windows-x64: $*"; }

source tools/install_missing.sh
install_missing cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest libcli11-dev nlohmann-json3-dev wine64

wine=/usr/lib/wine/wine64
[ -x $wine ] || wine=$(command -v wine64)
# A wine prefix of the build's own; no Mono or Gecko, no debug chatter.
export WINEPREFIX="$PWD/build-win64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p build-win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "creating the wine prefix"
  "$wine" wineboot --init >/dev/null 2>&1 || true
fi

source .ci/windows_build.sh
windows_build x86_64 build-win64 Pulsor.cdl64
x86_64-w64-mingw32-objdump -p build-win64/source/Pulsor.cdl64 | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p'

say "running the test programs under wine64"
ctest --test-dir build-win64 --output-on-failure -j"$(nproc)" --timeout 900
