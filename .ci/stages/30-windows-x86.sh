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

source .ci/windows_build.sh
windows_build i686 build-win32 Pulsor.cdl
ctest --test-dir build-win32 --output-on-failure -R '^PulsorModule\.ExportsOnlyC4dMain$'
