# SPDX-License-Identifier: MIT
# Hardening defaults, as Debian's dpkg-buildflags gives them to a package:
# checked string and memory calls (_FORTIFY_SOURCE=2, optimised builds only),
# a stack protector, a position-independent executable, and relocations
# read-only and bound at start-up. A distribution builds with flags of its
# own, so each setting is added only where those flags (CMAKE_CXX_FLAGS and
# the build type's, CMAKE_EXE_LINKER_FLAGS, and what the compiler turns on by
# itself) say nothing of it: their choice wins, and a level they set is never
# redefined. The settings hold for every program and library of this
# directory and below, tests included, and for nothing of a parent project.
# Included before the targets are made.
option(QUORBIN_HARDENING "Add the hardening flags the builder's own flags do not set" ON)
if(NOT QUORBIN_HARDENING OR WIN32 OR APPLE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()

string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(chosen_compile "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}")
set(chosen_link "${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${build_type}}")

# Ubuntu's compiler, for one, defines _FORTIFY_SOURCE itself when it
# optimises; a second definition would change its level.
if(NOT chosen_compile MATCHES "_FORTIFY_SOURCE")
  separate_arguments(flags UNIX_COMMAND "${chosen_compile}")
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${flags} -O2 -dM -E -x c++ /dev/null
                  OUTPUT_VARIABLE predefined ERROR_QUIET)
  if(NOT predefined MATCHES "#define _FORTIFY_SOURCE ")
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
  endif()
endif()
if(NOT chosen_compile MATCHES "-f(no-)?stack-protector")
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fstack-protector-strong>)
endif()
if(NOT chosen_compile MATCHES "-f(no-)?(pie|PIE|pic|PIC)( |$)" AND NOT chosen_link MATCHES
                                                                   "-(no-|static-)?pie( |$)")
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()
if(NOT chosen_link MATCHES "relro")
  add_link_options(LINKER:-z,relro)
endif()
if(NOT chosen_link MATCHES "-z,? *(now|lazy)|-znow|-zlazy")
  add_link_options(LINKER:-z,now)
endif()
