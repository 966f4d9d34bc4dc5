# SPDX-License-Identifier: MIT
# Debian's cross compiler for 32-bit Arm Linux, hard-float (armhf), the toolchain
# of the row linux-armv7 of dist/hosts (dist/host linux-armv7 builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CROSS_TRIPLET arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
