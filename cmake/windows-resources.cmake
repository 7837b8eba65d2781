# The Windows program carries a version resource and an application manifest (cmake/windows/),
# compiled by the toolchain's resource compiler; only pliv.exe gets them, not the test programs.
# The manifest asks for the rights of the user who starts the program (asInvoker), which also
# stops Windows from redirecting its writes into a per-user virtual store: a file the user cannot
# write is reported as not written instead of landing somewhere else. Its supportedOS entries,
# Vista to 11, keep the compatibility shims of those systems off. It sets no activeCodePage: the
# program works in the user's ANSI code page.
if(NOT WIN32)
  return()
endif()

enable_language(RC)
# The copyright line of the version resource is the one of LICENSE.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE PLIV_COPYRIGHT REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
set(PLIV_MANIFEST ${CMAKE_BINARY_DIR}/pliv.exe.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/pliv.exe.manifest.in ${PLIV_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/pliv.rc.in ${CMAKE_BINARY_DIR}/pliv.rc @ONLY)
# The resource compiler reads the manifest itself; the build does not see that on its own.
set_source_files_properties(${CMAKE_BINARY_DIR}/pliv.rc PROPERTIES OBJECT_DEPENDS ${PLIV_MANIFEST})
target_sources(pliv PRIVATE ${CMAKE_BINARY_DIR}/pliv.rc)
