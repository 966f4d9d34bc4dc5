# SPDX-License-Identifier: MIT
# Debian's cross compiler for 64-bit Arm Linux (arm64), the toolchain
# of the row linux-aarch64 of dist/hosts (dist/host linux-aarch64 builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CROSS_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
