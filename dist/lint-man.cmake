# SPDX-License-Identifier: MIT
# cmake -DGROFF=groff -DPAGE=quorbin.1 -P lint-man.cmake
# Fails when groff, with the man macros and all warnings, says anything about
# the page, or fails. (Without groff the tests that run this are not added:
# see cmake/optional.cmake.)
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "groff -man -ww -z ${PAGE} (status ${status}):\n${out}")
endif()
