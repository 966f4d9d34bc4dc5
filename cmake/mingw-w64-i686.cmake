# SPDX-License-Identifier: MIT
# Cross build for 32-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-i686):
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
#   cmake --build build-win32
#
# gives build-win32/quorbin.exe, linked statically: it needs no DLL beyond the
# ones every Windows system has (KERNEL32, msvcrt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the thread library go into the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Built and its imports checked by tests/cross-check; its tests would need
# the 32-bit Wine, so it makes none of its own.
set(BUILD_TESTING OFF CACHE BOOL "Build the tests (host programs; off in the cross build)")
