# SPDX-License-Identifier: MIT
# Debian's cross compiler for 32-bit Windows (mingw-w64), the toolchain
# of the row windows-i686 of dist/hosts (dist/host windows-i686 builds it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
