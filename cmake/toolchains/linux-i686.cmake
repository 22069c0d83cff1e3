# 32-bit x86 Linux on a 64-bit Debian machine (g++-multilib, libtiff-dev:i386):
#   cmake -S . -B build-x86 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/linux-i686.cmake
# The programs run on the build machine, so this is no cross build to CMake
# and the tests are discovered and run as in the native build.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
# Debian's multiarch folders: libtiff and the C++ runtime for i386.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# A kernel built without 32-bit support (no IA32 emulation, as in some
# virtual machines) cannot start i386 programs. Then the tests run under
# qemu's user-mode emulator (Debian's qemu-user), when it is installed.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS /lib/ld-linux.so.2)
  execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE PULSOR_I386_RUNS OUTPUT_QUIET ERROR_QUIET)
  if(NOT PULSOR_I386_RUNS EQUAL 0)
    find_program(PULSOR_QEMU_I386 qemu-i386)
    if(PULSOR_QEMU_I386)
      set(CMAKE_CROSSCOMPILING_EMULATOR ${PULSOR_QEMU_I386})
    endif()
  endif()
endif()
