# 64-bit Windows from Debian's MinGW-w64 cross compilers:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
# The -posix compilers, because the host uses std::mutex and std::thread.
# When wine64 is installed, ctest runs the test programs under it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PULSOR_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
find_program(PULSOR_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(PULSOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PULSOR_WINE})
endif()
