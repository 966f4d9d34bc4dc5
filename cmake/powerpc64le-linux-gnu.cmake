# SPDX-License-Identifier: MIT
# Cross build for little-endian 64-bit POWER Linux (Debian's ppc64el) with
# Debian's cross compiler (package g++-powerpc64le-linux-gnu); with
# QUORBIN_STATIC it is linked statically, so that qemu-user (package
# qemu-user, command qemu-ppc64le) runs it on any Linux host:
#
#   cmake -S . -B build-ppc64el -DCMAKE_TOOLCHAIN_FILE=cmake/powerpc64le-linux-gnu.cmake \
#       -DQUORBIN_STATIC=ON
#   cmake --build build-ppc64el
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(CROSS_TRIPLET powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
