# Exhausted memory at every allocation of a download: the program under an allocation-failure
# shim (LD_PRELOAD), never linked into it. POSIX only; the sanitizers bring their own allocator,
# which a preloaded one cannot replace.
if(NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    add_test(NAME oom COMMAND ${CMAKE_COMMAND} -E echo
             "SKIP: the sanitizers replace malloc themselves, so a preloaded allocator cannot fail it")
    set_tests_properties(oom PROPERTIES SKIP_REGULAR_EXPRESSION "SKIP: ")
  else()
    add_library(alloc_shim MODULE ${CMAKE_CURRENT_LIST_DIR}/oom/alloc_shim.cpp)
    add_test(NAME oom
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/oom/run_oom.py --pliv $<TARGET_FILE:pliv>
                     --server $<TARGET_FILE:scripted_server> --shim $<TARGET_FILE:alloc_shim>)
    set_tests_properties(oom PROPERTIES TIMEOUT 300)
  endif()
endif()
