# 32-bit Windows from Debian's MinGW-w64 cross compilers:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-i686.cmake
# When a 32-bit wine is installed (wine32:i386), ctest runs the test
# programs under it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PULSOR_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
find_program(PULSOR_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(PULSOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PULSOR_WINE})
endif()
