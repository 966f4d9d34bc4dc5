# SPDX-License-Identifier: MIT
# cmake -DBUILD=build -DOUT=dir -DIN_PREFIX=files -DIN_USR=files -P completion-install.cmake
# Installs the build into OUT/prefix, and into /usr under DESTDIR=OUT/deb as
# the .deb's install does; the completions each holds, the files under a
# bash-completion, zsh or fish folder, must be IN_PREFIX and IN_USR (paths
# under OUT/prefix and OUT/deb). The completion tests then run the files
# where they are.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${OUT}/prefix OUTPUT_QUIET
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${OUT}/deb ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
foreach(root prefix deb)
  if(root STREQUAL "prefix")
    set(want ${IN_PREFIX})
  else()
    set(want ${IN_USR})
  endif()
  file(GLOB_RECURSE got LIST_DIRECTORIES false RELATIVE ${OUT}/${root} ${OUT}/${root}/*)
  list(FILTER got INCLUDE REGEX "/(bash-completion|zsh|fish)/")
  list(SORT got)
  list(SORT want)
  if(NOT got STREQUAL want)
    string(REPLACE ";" "\n  " got "${got}")
    string(REPLACE ";" "\n  " want "${want}")
    message(FATAL_ERROR "the install into ${OUT}/${root} holds the completions\n  ${got}\nnot\n  ${want}")
  endif()
  message(STATUS "${OUT}/${root}: ${got}")
endforeach()
