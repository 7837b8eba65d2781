# The scripted test server: a library for the in-process socket tests and a program for the
# end-to-end tests, the demo and the benchmarks.
add_library(pliv_script_server STATIC ${CMAKE_CURRENT_LIST_DIR}/server/script_server.cpp)
target_include_directories(pliv_script_server PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pliv_script_server PUBLIC plivcore pliv_test_platform)

add_executable(scripted_server ${CMAKE_CURRENT_LIST_DIR}/server/scripted_server.cpp)
target_link_libraries(scripted_server PRIVATE pliv_script_server)

target_link_libraries(pliv_tests PRIVATE pliv_script_server)
