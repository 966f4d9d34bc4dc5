# SPDX-License-Identifier: MIT
# Debian's cross compiler for 64-bit RISC-V Linux (riscv64), the toolchain
# of the row linux-riscv64 of dist/hosts (dist/host linux-riscv64 builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(CROSS_TRIPLET riscv64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
