# SPDX-License-Identifier: MIT
# Run by cpack on the packages it made. cpack gives the three members of a
# .deb the modes of its scratch files, which follow the umask; this packs
# them again with GNU ar's deterministic headers (owner 0, mode 644, time 0),
# in the order dpkg wants.
foreach(deb ${CPACK_PACKAGE_FILES})
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(work ${deb}.members)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  execute_process(COMMAND ${CPACK_QUORBIN_AR} t ${deb} OUTPUT_VARIABLE members
                  COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "\n$" "" members "${members}")
  string(REPLACE "\n" ";" members "${members}")
  execute_process(COMMAND ${CPACK_QUORBIN_AR} x ${deb} WORKING_DIRECTORY ${work}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${deb})
  execute_process(COMMAND ${CPACK_QUORBIN_AR} rcD ${deb} ${members} WORKING_DIRECTORY ${work}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${work})
endforeach()
