# SPDX-License-Identifier: MIT
# cmake -DGROFF=groff -DPAGE=quorbin.1 -P lint-man.cmake
# Fails when groff, with the man macros and all warnings, says anything about
# the page, or fails. Without groff the test is skipped, but with
# QUORBIN_REQUIRE_ALL_CHECKS=1 in the environment it fails.
find_program(groff_found ${GROFF})
if(NOT groff_found)
  if("$ENV{QUORBIN_REQUIRE_ALL_CHECKS}" STREQUAL "1")
    message(FATAL_ERROR "groff (Debian package groff-base) is not installed")
  endif()
  message("groff is not installed: skipped")
  return()
endif()
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "groff -man -ww -z ${PAGE} (status ${status}):\n${out}")
endif()
