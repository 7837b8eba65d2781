# The end-to-end suite: the built program against servers on 127.0.0.1 (the scripted server,
# python3's http.server and nginx), and once more with the scripted server sending at most 20 bytes
# at a time, so that the boundaries inside the header block and the body fall inside receives. The
# Windows build runs the same suite under wine.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME e2e
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e/run_e2e.py
                   --pliv $<TARGET_FILE:pliv> --server $<TARGET_FILE:scripted_server>)
  add_test(NAME e2e.max_send_20
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e/run_e2e.py
                   --pliv $<TARGET_FILE:pliv> --server $<TARGET_FILE:scripted_server> --max-send 20)
  set_tests_properties(e2e PROPERTIES TIMEOUT 600)
  set_tests_properties(e2e.max_send_20 PROPERTIES TIMEOUT 900)
endif()
