# SPDX-License-Identifier: MIT
# Tools that checks (or, for mandoc, a part of a package) need but the build
# does not: a distribution's CI that installs only the declared build
# dependencies goes without them.
#
#   quorbin_optional(FOUND TOOL PACKAGE WHAT)
#
# FOUND is the variable a find_program or find_package of TOOL set; the
# caller adds what needs TOOL only when it is true. When it is false, WHAT
# (what goes without TOOL) joins the status line of the skipped checks that
# the top CMakeLists.txt prints, with TOOL and its Debian PACKAGE; with
# QUORBIN_REQUIRE_ALL_CHECKS=1 in the environment (tests/run-all sets it)
# the configure fails instead, naming every tool missing.
function(quorbin_optional found tool package what)
  if(${found})
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY QUORBIN_SKIPPED_CHECKS "${what} (no ${tool}: Debian package ${package})")
  set_property(GLOBAL APPEND PROPERTY QUORBIN_MISSING_TOOLS "${tool} (Debian package ${package}) for ${what}")
endfunction()

# The status line, or the failure under QUORBIN_REQUIRE_ALL_CHECKS=1; called
# once, at the end of the top CMakeLists.txt (as a subproject too, which
# registers no checks but may install the .zip's manual).
function(quorbin_optional_report)
  get_property(skipped GLOBAL PROPERTY QUORBIN_SKIPPED_CHECKS)
  get_property(missing GLOBAL PROPERTY QUORBIN_MISSING_TOOLS)
  if(missing AND "$ENV{QUORBIN_REQUIRE_ALL_CHECKS}" STREQUAL "1")
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "QUORBIN_REQUIRE_ALL_CHECKS=1, but these tools are missing:\n  ${missing}")
  elseif(skipped)
    list(JOIN skipped "; " skipped)
    message(STATUS "quorbin checks that will be skipped: ${skipped}")
  elseif(PROJECT_IS_TOP_LEVEL AND BUILD_TESTING)
    message(STATUS "quorbin checks: every check can run")
  endif()
endfunction()
