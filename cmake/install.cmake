# What `cmake --install` puts under the prefix: on Unix bin/pliv, its manual page
# share/man/man1/pliv.1 and the license share/doc/pliv/LICENSE; on Windows pliv.exe, README.txt
# and LICENSE.txt side by side, as a user unpacks them.
if(WIN32)
  install(TARGETS pliv RUNTIME DESTINATION .)
  # Windows editors expect CR LF; the texts are kept with LF in the repository like every other file.
  configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/README.txt.in ${CMAKE_BINARY_DIR}/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
else()
  install(TARGETS pliv RUNTIME DESTINATION bin)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/pliv.1 DESTINATION share/man/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION share/doc/pliv)
endif()
