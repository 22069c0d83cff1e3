#!/usr/bin/env bash
# 32-bit x86 Linux: the whole test suite built with -m32
# (cmake/toolchains/linux-i686.cmake) in build-x86, and run. The stored bit
# patterns (tests/data/portability) must come out the same as on x86-64.
#
# Some kernels are built without 32-bit support (no IA32 emulation); there the
# programs run under qemu's user-mode emulator, registered with binfmt_misc so
# that the programs the tests start themselves run as well.
set -euo pipefail
cd "$(dirname "$0")/../.."
say() { echo "linux-x86: $*"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  say "adding the i386 architecture"
  dpkg --add-architecture i386
fi
source tools/install_missing.sh
install_missing g++ g++-multilib cmake make googletest libcli11-dev nlohmann-json3-dev libtiff-dev:i386

if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  say "this kernel does not start 32-bit programs: running them under qemu-i386"
  install_missing qemu-user
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
  if [ ! -e $binfmt/qemu-i386 ]; then
    # ELF, 32-bit, little-endian, executable or shared object, machine 386.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
      > $binfmt/register
  fi
  /lib/ld-linux.so.2 --version >/dev/null
fi

# Optimised as the native build, without its debugging information, which
# only costs build time here. Benchmarks are timed natively only.
say "configuring and building build-x86"
cmake -S . -B build-x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/linux-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DPULSOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-x86 -j"$(nproc)"
objdump -f build-x86/host/libhost.so | grep -q 'file format elf32-i386' || { say "libhost.so is not a 32-bit x86 library"; exit 1; }

say "running the test suite"
ctest --test-dir build-x86 --output-on-failure -j"$(nproc)" --timeout 900
