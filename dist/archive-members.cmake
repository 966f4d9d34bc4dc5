# SPDX-License-Identifier: MIT
# Run by cpack on the packages it made. cpack packs an archive's files in
# the order the file system lists them, with the owner of the files that
# were staged and the time of packing in the gzip header; this packs the
# staged files again with GNU tar, sorted by name, owned by root, and gzip
# without a name or time, so that two builds give the same archive.
foreach(archive ${CPACK_PACKAGE_FILES})
  if(NOT archive MATCHES "\\.tar\\.gz$")
    continue()
  endif()
  set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
  # The top entries (bin, share) by name: no "./" entry, whose mode and
  # time would land on the folder the archive is unpacked into.
  file(GLOB top LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  list(SORT top)
  file(REMOVE ${archive})
  execute_process(
    COMMAND tar -C ${root} --sort=name --format=gnu --owner=0 --group=0 --numeric-owner
            --mtime=@${CPACK_QUORBIN_EPOCH} -cf - ${top}
    COMMAND gzip -9n
    OUTPUT_FILE ${archive} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
