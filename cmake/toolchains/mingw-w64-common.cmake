# What both MinGW-w64 toolchains share; PULSOR_MINGW_TRIPLET names the target.
set(CMAKE_C_COMPILER ${PULSOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PULSOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PULSOR_MINGW_TRIPLET}-windres)

# Libraries and packages come from the target's tree only: the build
# machine's /usr holds Linux libraries.
set(CMAKE_FIND_ROOT_PATH /usr/${PULSOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
