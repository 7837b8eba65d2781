# Run by cpack after it has staged the files of a package. Debian policy wants the manual page
# compressed, and a copyright file and a changelog in the package's documentation folder; the
# other packages keep the install tree as it is.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")
file(COPY "${CPACK_PLIV_DEBIAN_DIR}/copyright" "${CPACK_PLIV_DEBIAN_DIR}/changelog" DESTINATION "${doc}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# -n keeps name and time stamp out of the archives, so the package is the same on every build.
foreach(file "${doc}/changelog" "${root}/share/man/man1/pliv.1")
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
