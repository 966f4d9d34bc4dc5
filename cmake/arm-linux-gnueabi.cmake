# SPDX-License-Identifier: MIT
# Debian's cross compiler for 32-bit Arm Linux, soft-float (armel), the toolchain
# of the row linux-armv5te of dist/hosts (dist/host linux-armv5te builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CROSS_TRIPLET arm-linux-gnueabi)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
