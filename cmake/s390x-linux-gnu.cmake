# SPDX-License-Identifier: MIT
# Debian's cross compiler for 64-bit IBM Z Linux (s390x), the toolchain
# of the row linux-s390x of dist/hosts (dist/host linux-s390x builds it).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CROSS_TRIPLET s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
