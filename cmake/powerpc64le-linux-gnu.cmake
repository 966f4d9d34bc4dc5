# SPDX-License-Identifier: MIT
# Debian's cross compiler for little-endian 64-bit POWER Linux (ppc64el), the toolchain
# of the row linux-ppc64le of dist/hosts (dist/host linux-ppc64le builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(CROSS_TRIPLET powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
