# SPDX-License-Identifier: MIT
# What every cross build of quorbin shares; the toolchain files beside it set
# CMAKE_SYSTEM_NAME, CMAKE_SYSTEM_PROCESSOR and CROSS_TRIPLET (the prefix of
# Debian's cross tools) and include it.
set(CMAKE_C_COMPILER ${CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(CMAKE_RC_COMPILER ${CROSS_TRIPLET}-windres)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# On Windows the C and C++ runtimes go into the executable, so that it runs
# on a host (or under Wine) with nothing but the system's own DLLs. A Linux
# cross build is static with QUORBIN_STATIC (cmake/static.cmake), as the
# archives' programs are and as qemu-user runs it on any host; without it,
# it is linked as the native build is.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

# The tests are GoogleTest programs of the build machine: they run the cross
# build's program from the native build (win/check, dist/archive-check), so a
# cross build makes none of its own.
set(BUILD_TESTING OFF CACHE BOOL "Build the tests (host programs; off in the cross build)")
