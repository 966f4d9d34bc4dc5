# SPDX-License-Identifier: MIT
# Cross build for big-endian 64-bit IBM Z Linux with Debian's cross compiler
# (package g++-s390x-linux-gnu); with QUORBIN_STATIC it is linked
# statically, so that qemu-user (package qemu-user, command qemu-s390x) runs
# it on any Linux host:
#
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-s390x
#
# tests/cross-check builds it and runs the end-to-end tests against it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CROSS_TRIPLET s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
