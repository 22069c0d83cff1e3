# Sourced by the Windows stages:
#   windows_build ARCH DIR MODULE     (ARCH: x86_64 or i686)
# cross-builds everything with cmake/toolchains/mingw-w64-ARCH.cmake into DIR,
# then fails when a program, the host DLL or the module DIR/source/MODULE
# needs one of MinGW's runtime DLLs: a host ships none of them.
windows_build() {
  local arch=$1 dir=$2 module=$3 f
  say "configuring and building $dir"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DPULSOR_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$dir" -j"$(nproc)"

  say "checking the binaries' imports"
  for f in "$dir"/bin/*.exe "$dir"/bin/*.dll "$dir/source/$module"; do
    if "$arch-w64-mingw32-objdump" -p "$f" | grep -E 'DLL Name: (libstdc\+\+|libgcc_s|libwinpthread)'; then
      say "$f needs a MinGW runtime DLL"
      return 1
    fi
  done
}
