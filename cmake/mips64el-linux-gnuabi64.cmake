# SPDX-License-Identifier: MIT
# Debian's cross compiler for little-endian 64-bit MIPS Linux (mips64el), the toolchain
# of the row linux-mips64el of dist/hosts (dist/host linux-mips64el builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips64)
set(CROSS_TRIPLET mips64el-linux-gnuabi64)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
