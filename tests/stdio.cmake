# Standard output's held bytes are a POSIX matter: the Windows console is controlled by calls.
if(WIN32)
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/unit/stdio_posix_test.cpp PROPERTIES HEADER_FILE_ONLY ON)
endif()
