# Instrumentation for the checked builds. Included from the top-level file
# before any target exists, so that the host, the module, the tests and the
# tools are all built the same way: a sanitizer that sees only part of the
# program misses the faults at the boundaries (containers handed from the
# host to the module and back).

if(PULSOR_SANITIZE AND PULSOR_FUZZ)
  message(FATAL_ERROR "PULSOR_SANITIZE and PULSOR_FUZZ are separate builds; choose one")
endif()

if(PULSOR_SANITIZE)
  # Any report ends the process with an error, so a test cannot pass through
  # one; frame pointers keep the stacks of the reports complete. A real that
  # does not fit the integer it is converted to is undefined as well (clang
  # counts it as such already, gcc only when asked).
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
    -fno-omit-frame-pointer -fno-optimize-sibling-calls)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Clang links its runtime statically into executables only, which would
    # leave the module (linked with --no-undefined, loaded by dlopen) with
    # unresolved sanitizer symbols. The shared runtime serves the programs
    # and the module alike; the programs find it through their run path.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
      OUTPUT_VARIABLE PULSOR_SANITIZER_RUNTIME_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
    add_link_options(-shared-libsan "LINKER:-rpath,${PULSOR_SANITIZER_RUNTIME_DIR}")
  endif()
endif()

if(PULSOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "PULSOR_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # The code under test carries the fuzzer's coverage hooks and the
  # sanitizers; the fuzz targets themselves link libFuzzer's main
  # (fuzz/CMakeLists.txt).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  # The shared host library resolves the sanitizer runtime from the fuzz
  # program that loads it.
  add_link_options(-fsanitize=address,undefined)
endif()
