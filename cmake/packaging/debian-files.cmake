# Run by cpack after it has staged the files of a package. Debian policy wants the manual page
# compressed, and a copyright file and a changelog in the package's documentation folder; the
# other packages keep the install tree as it is.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")

# The copyright file in Debian's machine-readable format, made from LICENSE, which it replaces:
# the copyright line from there, and the permission text below it with each line indented by one
# blank and each empty line written as " .".
file(READ "${CPACK_PLIV_LICENSE}" license)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(Permission is hereby granted[^\n]*\n.*)$")
  message(FATAL_ERROR "${CPACK_PLIV_LICENSE} has no copyright line followed by the permission text")
endif()
set(PLIV_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" PLIV_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" PLIV_LICENSE_TEXT "${PLIV_LICENSE_TEXT}")
string(REPLACE "\n" "\n " PLIV_LICENSE_TEXT " ${PLIV_LICENSE_TEXT}")
file(REMOVE "${doc}/LICENSE")

set(permissions FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The maintainer is CPACK_PACKAGE_CONTACT everywhere: the control file takes it from there too.
configure_file("${CPACK_PLIV_DEBIAN_DIR}/copyright.in" "${doc}/copyright" @ONLY ${permissions})
configure_file("${CPACK_PLIV_DEBIAN_DIR}/changelog.in" "${doc}/changelog" @ONLY ${permissions})

# -n keeps name and time stamp out of the archives, so the package is the same on every build.
foreach(file "${doc}/changelog" "${root}/share/man/man1/pliv.1")
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
