# SPDX-License-Identifier: MIT
# A program that runs on any Linux of its architecture, whatever its C
# library: the C and C++ runtimes linked in, as a static position-independent
# executable where the toolchain can make one (the C library's rcrt1.o), so
# that it keeps the address randomisation of the hardened build; plain -static
# where it cannot. The Linux archive (cpack --preset tgz) is built so.
option(QUORBIN_STATIC "Link quorbin statically (static-pie where possible), for the Linux archive" OFF)
if(NOT QUORBIN_STATIC OR WIN32 OR APPLE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

# The cross toolchain files link every program with -static, which a
# static-pie link refuses beside it (crtbeginT.o is no PIE object).
set(static_flags "${CMAKE_EXE_LINKER_FLAGS}")
string(REGEX REPLACE "(^| )-static( |$)" " " CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS}")

include(CheckLinkerFlag)
set(CMAKE_REQUIRED_FLAGS -fPIE)
check_linker_flag(CXX -static-pie QUORBIN_HAVE_STATIC_PIE)
unset(CMAKE_REQUIRED_FLAGS)

if(QUORBIN_HAVE_STATIC_PIE)
  # -static-pie takes the place of the -pie that CMake links a
  # position-independent executable with; beside it, clang says -pie goes
  # unused.
  set_property(TARGET quorbin PROPERTY POSITION_INDEPENDENT_CODE)
  set_property(TARGET quorbin_core PROPERTY POSITION_INDEPENDENT_CODE ON)
  target_compile_options(quorbin PRIVATE -fPIE)
  target_link_options(quorbin PRIVATE -static-pie)
else()
  set(CMAKE_EXE_LINKER_FLAGS "${static_flags}")
  target_link_options(quorbin PRIVATE -static)
endif()
