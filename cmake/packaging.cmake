# Release packages, made by `cpack` in a build tree (scripts/release drives it):
#   Linux:   pliv-<version>-linux-<arch>.tar.gz and pliv_<version>_<debian arch>.deb
#   Windows: pliv-<version>-windows-<x64|x86>.zip
set(CPACK_PACKAGE_NAME pliv)
set(CPACK_PACKAGE_VENDOR "Pliv authors")
# The maintainer of the .deb; its copyright file and changelog are made from this line as well.
set(CPACK_PACKAGE_CONTACT "Pliv authors <pliv@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-line HTTP/1.0 downloader")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/dist/;/\\\\.git/")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
    set(pliv_arch x64)
  else()
    set(pliv_arch x86)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "pliv-${PROJECT_VERSION}-windows-${pliv_arch}")
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" pliv_arch)
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME "pliv-${PROJECT_VERSION}-${pliv_arch}")

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION web)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Pliv fetches one file with a single HTTP/1.0 GET request over plain TCP and\n"
      "saves the body in the current directory. A coloured banner and a status line\n"
      "rewritten in place show the connection and the progress of the transfer; the\n"
      "exit status tells whether the download is complete.\n"
      "\n"
      "It deliberately does without TLS, redirects, chunked bodies and resuming.")
  # Debian policy wants the manual page compressed and a copyright file and changelog beside it,
  # the copyright file in place of LICENSE; the plain install tree and the tarball keep the page
  # and LICENSE as they are.
  set(CPACK_PLIV_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR}/packaging/debian)
  set(CPACK_PLIV_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging/debian-files.cmake)
endif()

include(CPack)
