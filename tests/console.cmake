# Console presentation in a real terminal (tmux).
# Shows the banner and a sequence of status messages, for the terminal tests.
add_executable(status_demo ${CMAKE_CURRENT_SOURCE_DIR}/status_demo.cpp)
target_link_libraries(status_demo PRIVATE plivcore)

if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME terminal.tmux
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/terminal/run_tmux_tests.py
            --pliv $<TARGET_FILE:pliv> --status-demo $<TARGET_FILE:status_demo>
            --server $<TARGET_FILE:scripted_server>)
  set_tests_properties(terminal.tmux PROPERTIES TIMEOUT 120)
endif()
