# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win
#
# gives build-win/quorbin.exe, linked statically: it needs no DLL beyond the
# ones every Windows system has (KERNEL32, msvcrt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CROSS_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
