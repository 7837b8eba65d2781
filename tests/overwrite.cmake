# The order of the steps that write a body over an old file, against a file layer in memory: the
# test program has the save policy's source and its own stand-in for the platform's file calls.
add_executable(overwrite_file_tests ${CMAKE_CURRENT_LIST_DIR}/overwrite/overwrite_file_test.cpp
                                    ${PROJECT_SOURCE_DIR}/app/overwrite_file.cpp)
target_include_directories(overwrite_file_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(overwrite_file_tests PRIVATE ${PLIV_GTEST_LIBS})
if(NOT CMAKE_CROSSCOMPILING)
  gtest_discover_tests(overwrite_file_tests DISCOVERY_TIMEOUT 30)
endif()
