# SPDX-License-Identifier: MIT
# Cross build for little-endian 64-bit MIPS Linux (Debian's mips64el) with
# Debian's cross compiler (package g++-mips64el-linux-gnuabi64); with
# QUORBIN_STATIC it is linked statically, so that qemu-user (package
# qemu-user, command qemu-mips64el) runs it on any Linux host:
#
#   cmake -S . -B build-mips64el -DCMAKE_TOOLCHAIN_FILE=cmake/mips64el-linux-gnuabi64.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-mips64el
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips64)
set(CROSS_TRIPLET mips64el-linux-gnuabi64)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
