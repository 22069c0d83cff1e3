# What differs between the platforms we build for: Linux (x86-64 and 32-bit
# x86), Windows (x86-64 and x86, MinGW-w64) and macOS. Included from the
# top-level file before any target exists, so that the host, the module, the
# tests and the tools are all built alike.

# An animation must replay with the same bits on every machine, and the tests
# compare the engine's numbers bit for bit against values stored in the
# repository. Two things would break that: fused multiply-adds (clang
# contracts by default, and on arm64 every a * b + c may become one), and the
# x87 unit's extended precision, which 32-bit x86 uses unless told to use SSE2.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-ffp-contract=off)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|x86_64|AMD64)$")
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
endif()

if(WIN32)
  # Windows finds a program's DLLs beside it: programs and the host library
  # share one folder. Modules stay where they are built; the loader finds
  # their dependency, the host, already loaded.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(MINGW)
    # The C++ runtime, libgcc and winpthread go into every binary: a module
    # must load into a host that ships none of MinGW's DLLs, and the programs
    # then run anywhere (wine included) without copying DLLs around.
    add_link_options(-static)
    # A DLL without export declarations exports every global symbol, and
    # would hand on those of the static runtime too, which then clash in
    # every program that links the host (_Unwind_Resume, pthread_mutex_lock).
    add_link_options(-Wl,--exclude-libs,libgcc.a:libgcc_eh.a:libstdc++.a:libwinpthread.a:libpthread.a)
  endif()
endif()

# The headless host's two header-only libraries come from Debian's packages
# (libcli11-dev, nlohmann-json3-dev) in /usr/include. A cross build must not
# see the rest of /usr/include, which is the build machine's, so it gets a
# folder of its own holding only links to these two, and package files that
# point there.
if(CMAKE_CROSSCOMPILING)
  set(PULSOR_HEADER_ONLY_ROOT ${CMAKE_BINARY_DIR}/header-only)
  foreach(entry "CLI11;CLI11::CLI11;CLI" "nlohmann_json;nlohmann_json::nlohmann_json;nlohmann")
    list(GET entry 0 package)
    list(GET entry 1 target)
    list(GET entry 2 folder)
    if(NOT ${package}_DIR AND EXISTS /usr/include/${folder})
      file(MAKE_DIRECTORY ${PULSOR_HEADER_ONLY_ROOT}/include ${PULSOR_HEADER_ONLY_ROOT}/${package})
      if(NOT EXISTS ${PULSOR_HEADER_ONLY_ROOT}/include/${folder})
        file(CREATE_LINK /usr/include/${folder} ${PULSOR_HEADER_ONLY_ROOT}/include/${folder} SYMBOLIC)
      endif()
      file(WRITE ${PULSOR_HEADER_ONLY_ROOT}/${package}/${package}Config.cmake
        "if(NOT TARGET ${target})\n"
        "  add_library(${target} INTERFACE IMPORTED)\n"
        "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${PULSOR_HEADER_ONLY_ROOT}/include\")\n"
        "endif()\n")
      set(${package}_DIR ${PULSOR_HEADER_ONLY_ROOT}/${package} CACHE PATH "" FORCE)
    endif()
  endforeach()
endif()
