# SPDX-License-Identifier: MIT
# Cross build for 64-bit Arm (arm64) Linux with Debian's cross compiler
# (package g++-aarch64-linux-gnu); with QUORBIN_STATIC it is linked
# statically, so that qemu-user (package qemu-user, command qemu-aarch64)
# runs it on any Linux host:
#
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-aarch64
#
# tests/cross-check builds it and runs the end-to-end tests against it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CROSS_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
