# SPDX-License-Identifier: MIT
# A program that runs on any Linux of its architecture, whatever its C
# library: the C library (glibc, or musl with cmake/musl.cmake) linked in, as
# a static position-independent executable where the toolchain can make one
# (the C library's rcrt1.o), so that it keeps the address randomisation of
# the hardened build; plain -static where it cannot. The Linux archives are
# built so.
option(QUORBIN_STATIC "Link quorbin statically (static-pie where possible), for the Linux archive" OFF)
if(NOT QUORBIN_STATIC OR WIN32 OR APPLE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# GCC links a static-pie program by giving the linker -static -pie
# --no-dynamic-linker -z text, but GCC 12 does so only on some
# architectures (x86, arm64, POWER, IBM Z); on Arm, MIPS and RISC-V it
# links rcrt1.o into a program that asks for glibc's loader. The options
# are given here on every one.
set(static_pie -static-pie -Wl,-static -Wl,-pie -Wl,--no-dynamic-linker -Wl,-z,text)

# The check links as the program does: against musl when cmake/musl.cmake
# chose it, whose result is kept apart from the toolchain's C library's.
set(have_static_pie QUORBIN_HAVE_STATIC_PIE)
if(QUORBIN_MUSL)
  set(have_static_pie QUORBIN_MUSL_HAVE_STATIC_PIE)
endif()
include(CheckLinkerFlag)
set(CMAKE_REQUIRED_FLAGS -fPIE)
set(CMAKE_REQUIRED_LIBRARIES ${QUORBIN_LIBC_LIBRARIES})
check_linker_flag(CXX "${QUORBIN_LIBC_LINK_OPTIONS};${static_pie}" ${have_static_pie})
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LIBRARIES)

if(${have_static_pie})
  # -static-pie takes the place of the -pie that CMake links a
  # position-independent executable with; beside it, clang says -pie goes
  # unused.
  set_property(TARGET quorbin PROPERTY POSITION_INDEPENDENT_CODE)
  set_property(TARGET quorbin_core PROPERTY POSITION_INDEPENDENT_CODE ON)
  target_compile_options(quorbin PRIVATE -fPIE)
  target_link_options(quorbin PRIVATE ${static_pie})
else()
  target_link_options(quorbin PRIVATE -static)
endif()
