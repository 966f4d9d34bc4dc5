# SPDX-License-Identifier: MIT
# Cross build for 32-bit Arm Linux, hard-float EABI (Debian's armhf), with
# Debian's cross compiler (package g++-arm-linux-gnueabihf); with
# QUORBIN_STATIC it is linked statically, so that qemu-user (package
# qemu-user, command qemu-arm) runs it on any Linux host:
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-armhf
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CROSS_TRIPLET arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
