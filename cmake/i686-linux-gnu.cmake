# SPDX-License-Identifier: MIT
# Cross build for 32-bit x86 Linux with Debian's cross compiler (package
# g++-i686-linux-gnu), linked statically so that qemu-user (package
# qemu-user, command qemu-i386) runs it on any Linux host:
#
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
#   cmake --build build-i686
#
# tests/cross-check builds it and runs the end-to-end tests against it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CROSS_TRIPLET i686-linux-gnu)
set(CMAKE_C_COMPILER ${CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The tests are programs of the build machine (see tests/cross-check).
set(BUILD_TESTING OFF CACHE BOOL "Build the tests (host programs; off in the cross build)")
