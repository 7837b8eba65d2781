# What the program carries with it, which decides its size and how fast it starts.
#
# Native builds link the C++ runtime statically into pliv, and only the shared libraries it calls
# into: loading and relocating the shared libstdc++ (and mapping an unused libm) is most of the
# start-up time of a program that otherwise prints one usage line.
#
# The Windows program carries its C++ runtime inside it; these settings keep that small.
#  - libstdc++'s default terminate handler names the type of the escaping exception, and so brings
#    the C++ demangler and the C library's printf engine along. Every error of the program ends in
#    its last-chance handler, so a plain abort() is all the terminate handler ever needs to do.
#  - The program is single-threaded: it is linked against the runtime of the compiler's win32
#    thread model when that is installed beside the posix one, which keeps the POSIX thread
#    emulation (libwinpthread) out. The tests keep the posix model, whose std::mutex GoogleTest needs.
#  - Symbols are stripped at link.
if(NOT WIN32)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(pliv PRIVATE -static-libstdc++ -static-libgcc LINKER:--as-needed)
  endif()
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(PLIV_SYMBOL_PREFIX "_")
else()
  set(PLIV_SYMBOL_PREFIX "")
endif()
target_link_options(pliv PRIVATE -s
  "LINKER:--defsym=${PLIV_SYMBOL_PREFIX}_ZN9__gnu_cxx27__verbose_terminate_handlerEv=${PLIV_SYMBOL_PREFIX}abort")

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                OUTPUT_VARIABLE PLIV_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
get_filename_component(PLIV_RUNTIME_DIR "${PLIV_LIBGCC}" DIRECTORY)
string(REGEX REPLACE "-posix$" "-win32" PLIV_WIN32_RUNTIME_DIR "${PLIV_RUNTIME_DIR}")
if(NOT PLIV_WIN32_RUNTIME_DIR STREQUAL PLIV_RUNTIME_DIR AND EXISTS "${PLIV_WIN32_RUNTIME_DIR}/libstdc++.a")
  target_link_directories(pliv BEFORE PRIVATE "${PLIV_WIN32_RUNTIME_DIR}")
endif()
