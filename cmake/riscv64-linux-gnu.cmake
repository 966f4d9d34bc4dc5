# SPDX-License-Identifier: MIT
# Cross build for 64-bit RISC-V Linux (Debian's riscv64) with Debian's cross
# compiler (package g++-riscv64-linux-gnu); with QUORBIN_STATIC it is linked
# statically, so that qemu-user (package qemu-user, command qemu-riscv64)
# runs it on any Linux host:
#
#   cmake -S . -B build-riscv64 -DCMAKE_TOOLCHAIN_FILE=cmake/riscv64-linux-gnu.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-riscv64
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(CROSS_TRIPLET riscv64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
