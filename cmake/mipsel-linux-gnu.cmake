# SPDX-License-Identifier: MIT
# Debian's cross compiler for little-endian 32-bit MIPS Linux (mipsel), the
# toolchain of the row linux-mipsel of dist/hosts (dist/host linux-mipsel builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)
set(CROSS_TRIPLET mipsel-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
