# SPDX-License-Identifier: MIT
# The program built against musl in place of the toolchain's C library, for
# the Linux archives: a script may start it once per value, and musl's
# static start-up costs a few thousand instructions where glibc's costs tens
# of thousands. QUORBIN_MUSL is the root of Debian's musl-dev for the
# target's architecture, unpacked (dist/fetch-musl DEBARCH unpacks it into
# build-musl/DEBARCH); a relative path is taken from the source folder. Its
# headers and libc.a take the place of the C library's; the compiler's own
# headers, libstdc++'s headers (which need only the C library's
# declarations) and libgcc stay. No C++ runtime is linked: the program uses
# no exceptions, RTTI or allocation. Only quorbin and quorbin_core are built
# so; the tests are programs of the build machine. The program is static
# (cmake/static.cmake, QUORBIN_STATIC), as no system has musl's dynamic
# loader to hand. Included after the targets, before cmake/static.cmake,
# whose static-pie check links with what this sets.
set(QUORBIN_MUSL "" CACHE PATH "Root of Debian's musl-dev, unpacked (dist/fetch-musl), to build quorbin against")
if(QUORBIN_MUSL STREQUAL "")
  return()
endif()
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "QUORBIN_MUSL: a musl build is made for Linux with g++ only")
endif()
if(NOT QUORBIN_STATIC)
  message(FATAL_ERROR "QUORBIN_MUSL: the musl program is linked statically; add -DQUORBIN_STATIC=ON")
endif()

get_filename_component(musl_root "${QUORBIN_MUSL}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
file(GLOB musl_libc "${musl_root}/usr/lib/*/libc.a")
list(LENGTH musl_libc count)
if(NOT count EQUAL 1)
  message(
    FATAL_ERROR
      "QUORBIN_MUSL: ${musl_root} holds no musl (usr/lib/TRIPLET/libc.a of Debian's musl-dev). "
      "dist/fetch-musl DEBARCH fetches it into build-musl/DEBARCH (Debian architectures amd64, "
      "arm64, armel, armhf, i386, mips64el, mipsel, ppc64el, s390x).")
endif()
get_filename_component(musl_lib "${musl_libc}" DIRECTORY)
get_filename_component(musl_triplet "${musl_lib}" NAME)
set(musl_include "${musl_root}/usr/include/${musl_triplet}")
foreach(file "${musl_include}/stdio.h" "${musl_lib}/crt1.o" "${musl_lib}/crti.o" "${musl_lib}/crtn.o")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "QUORBIN_MUSL: ${file} is missing; unpack musl-dev again (dist/fetch-musl)")
  endif()
endforeach()

# The C++ headers as the compiler finds them, then musl's, then the
# compiler's own (stdarg.h and the like, which musl has too). libstdc++ was
# configured for glibc: its headers ask for glibc's version, which a C
# library that is not glibc has none of.
set(musl_compile_options -nostdinc)
foreach(dir ${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES})
  if(dir MATCHES "/c\\+\\+/")
    list(APPEND musl_compile_options "SHELL:-isystem ${dir}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include OUTPUT_VARIABLE gcc_include
                OUTPUT_STRIP_TRAILING_WHITESPACE)
list(APPEND musl_compile_options "SHELL:-isystem ${musl_include}" "SHELL:-isystem ${gcc_include}"
     "-D__GLIBC_PREREQ(major,minor)=0")

# musl's start files (crt1.o, rcrt1.o for static-pie, crti.o, crtn.o) are
# found first by the -B prefix, the compiler's crtbegin and crtend after
# them; the libraries are those of the compiler's static link but for the
# C++ runtime, with musl's libc in place of glibc's.
set(QUORBIN_LIBC_LINK_OPTIONS -nodefaultlibs "-B${musl_lib}/" "-L${musl_lib}")
set(QUORBIN_LIBC_LIBRARIES -Wl,--start-group c gcc gcc_eh -Wl,--end-group)

# A static link against it: the musl of another architecture or ABI (armel
# beside armhf) fails here rather than in the build.
include(CheckCXXSourceCompiles)
unset(QUORBIN_MUSL_LINKS CACHE)
set(CMAKE_REQUIRED_LINK_OPTIONS ${QUORBIN_LIBC_LINK_OPTIONS} -static)
set(CMAKE_REQUIRED_LIBRARIES ${QUORBIN_LIBC_LIBRARIES})
set(CMAKE_REQUIRED_QUIET ON)
check_cxx_source_compiles([[extern "C" int puts(const char *); int main() { return puts("") < 0; }]]
                          QUORBIN_MUSL_LINKS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
unset(CMAKE_REQUIRED_LIBRARIES)
unset(CMAKE_REQUIRED_QUIET)
if(NOT QUORBIN_MUSL_LINKS)
  message(FATAL_ERROR "QUORBIN_MUSL: ${CMAKE_CXX_COMPILER} cannot link a program against the musl "
                      "of ${musl_root} (${musl_triplet}): is it the musl of the toolchain's "
                      "architecture? (the link is in CMakeFiles/CMakeError.log)")
endif()
message(STATUS "quorbin is built against musl ${musl_triplet} of ${musl_root}")

foreach(target quorbin quorbin_core)
  target_compile_options(${target} PRIVATE ${musl_compile_options})
endforeach()
target_link_options(quorbin PRIVATE ${QUORBIN_LIBC_LINK_OPTIONS})
target_link_libraries(quorbin PRIVATE ${QUORBIN_LIBC_LIBRARIES})
# What the system's loader does for a dynamic program and glibc's start-up
# for a static one, and musl's static start-up does not: the part the
# linker marked read-only after relocation made read-only (-z relro).
target_sources(quorbin PRIVATE ${PROJECT_SOURCE_DIR}/cli/musl.cc)
