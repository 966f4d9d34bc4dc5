# SPDX-License-Identifier: MIT
# Cross build for 32-bit x86 Linux with Debian's cross compiler (package
# g++-i686-linux-gnu); with QUORBIN_STATIC it is linked statically, so that
# qemu-user (package qemu-user, command qemu-i386) runs it on any Linux host:
#
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-i686
#
# tests/cross-check builds it and runs the end-to-end tests against it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
