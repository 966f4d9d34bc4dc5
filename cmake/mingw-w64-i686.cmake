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
set(CROSS_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
