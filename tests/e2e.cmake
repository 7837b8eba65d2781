# The end-to-end suite: the built program against servers on 127.0.0.1 (the scripted server,
# python3's http.server and nginx). The Windows build runs the same suite under wine.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME e2e
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e/run_e2e.py
                   --pliv $<TARGET_FILE:pliv> --server $<TARGET_FILE:scripted_server>)
  set_tests_properties(e2e PROPERTIES TIMEOUT 600)
endif()
