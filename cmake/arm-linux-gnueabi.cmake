# SPDX-License-Identifier: MIT
# Cross build for 32-bit Arm Linux, soft-float EABI (Debian's armel), with
# Debian's cross compiler (package g++-arm-linux-gnueabi); with
# QUORBIN_STATIC it is linked statically, so that qemu-user (package
# qemu-user, command qemu-arm) runs it on any Linux host:
#
#   cmake -S . -B build-armel -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-armel
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CROSS_TRIPLET arm-linux-gnueabi)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
