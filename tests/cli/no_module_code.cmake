# cmake -DNM=nm -DMODULE_CODE=libpulsor_core.a -DWITHOUT="prog;..." -DWITH=prog -P no_module_code.cmake
#
# Fails when a program of WITHOUT defines a function that the module's code
# (MODULE_CODE) defines, or when WITH, which links that code, defines none of
# them: then the comparison itself would be broken.
cmake_minimum_required(VERSION 3.20)

# The global functions file defines (text symbols; inline functions of the
# headers are weak and do not count).
function(defined_functions file out)
  execute_process(COMMAND ${NM} -g ${file} OUTPUT_VARIABLE listing RESULT_VARIABLE rc ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} cannot read ${file}")
  endif()
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" lines "${listing}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
    # 32-bit x86 code reaches its data through thunks that the compiler
    # emits, shared by name, into every object file that needs one.
    if(NOT name MATCHES "get_pc_thunk")
      list(APPEND names "${name}")
    endif()
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

function(shared_with program module out)
  defined_functions(${program} names)
  set(shared "")
  foreach(name IN LISTS names)
    if(name IN_LIST module)
      list(APPEND shared "${name}")
    endif()
  endforeach()
  set(${out} "${shared}" PARENT_SCOPE)
endfunction()

defined_functions(${MODULE_CODE} module)
list(LENGTH module count)
if(count EQUAL 0)
  message(FATAL_ERROR "no functions found in ${MODULE_CODE}")
endif()

foreach(program IN LISTS WITHOUT)
  shared_with(${program} "${module}" shared)
  if(shared)
    list(JOIN shared "\n  " text)
    message(FATAL_ERROR "${program} holds functions of the module's code:\n  ${text}")
  endif()
endforeach()

shared_with(${WITH} "${module}" shared)
if(NOT shared)
  message(FATAL_ERROR "${WITH} links the module's code, yet none of its ${count} functions were found in it")
endif()
message(STATUS "${count} functions of the module's code; none in ${WITHOUT}")
