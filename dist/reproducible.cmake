# SPDX-License-Identifier: MIT
# Run by cpack on the staged files before it packs them. Leaves out of a
# .deb or an archive what its list does not name (LICENSE out of the .deb),
# strips from the program what Debian's packages leave out (the compiler's
# .comment and .note sections), gives directories mode 755 and files 644
# (755 for the program) whatever the umask, and gives every file and
# directory the time of the build line (SOURCE_DATE_EPOCH when it was set at
# configure time), so that two builds pack the same bytes.
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
# A package with a list of its files (CPACK_QUORBIN_FILES_<generator>, in
# dist/CMakeLists.txt) holds those and no others.
if(DEFINED CPACK_QUORBIN_FILES_${CPACK_GENERATOR})
  set(wanted ${CPACK_QUORBIN_FILES_${CPACK_GENERATOR}})
  foreach(file ${wanted})
    if(NOT EXISTS ${root}/${file})
      message(FATAL_ERROR "${file} belongs in the ${CPACK_GENERATOR} package but was not installed")
    endif()
  endforeach()
  file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
  foreach(file ${staged})
    list(FIND wanted ${file} at)
    if(at EQUAL -1)
      file(REMOVE ${root}/${file})
    endif()
  endforeach()
  execute_process(COMMAND find ${root} -mindepth 1 -type d -empty -delete COMMAND_ERROR_IS_FATAL ANY)
endif()
file(GLOB_RECURSE programs LIST_DIRECTORIES false ${root}/*)
list(FILTER programs INCLUDE REGEX "/bin/quorbin$|/quorbin\\.exe$")
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_QUORBIN_STRIP} --remove-section=.comment --remove-section=.note
                          ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
execute_process(COMMAND find ${root} -type d -exec chmod 0755 {} +
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND find ${root} -type f -exec chmod 0644 {} + COMMAND_ERROR_IS_FATAL ANY)
foreach(program ${programs})
  file(CHMOD ${program} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
             WORLD_READ WORLD_EXECUTE)
endforeach()
execute_process(COMMAND find ${root} -exec touch -h -d @${CPACK_QUORBIN_EPOCH} {} +
                COMMAND_ERROR_IS_FATAL ANY)
