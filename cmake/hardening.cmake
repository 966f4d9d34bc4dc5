# SPDX-License-Identifier: MIT
# Debian's hardening for the program (what dpkg-buildflags gives a package):
# checked string and memory calls, a stack protector, a position-independent
# executable, and relocations read-only and bound at start-up. On by default;
# the benchmark (bench/run) holds the start-up cost to its targets with it.
option(QUORBIN_HARDENING "Build quorbin with Debian's hardening flags" ON)
if(NOT QUORBIN_HARDENING OR WIN32 OR APPLE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
foreach(target quorbin quorbin_core)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  # The checked calls need optimisation; a Debug build goes without them.
  target_compile_options(
    ${target} PRIVATE -fstack-protector-strong
                      $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
endforeach()
target_link_options(quorbin PRIVATE -Wl,-z,relro -Wl,-z,now)
