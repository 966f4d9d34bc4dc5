# SPDX-License-Identifier: MIT
# Debian's cross compiler for 32-bit x86 Linux (i386), the toolchain
# of the row linux-i686 of dist/hosts (dist/host linux-i686 builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
