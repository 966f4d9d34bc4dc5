# SPDX-License-Identifier: MIT
# Debian's cross compiler for 64-bit Windows (mingw-w64), the toolchain
# of the row windows-x86_64 of dist/hosts (dist/host windows-x86_64 builds it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CROSS_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
