# Build rules shared by every directory: warnings, reproducibility, GoogleTest on both faces.

include(${CMAKE_CURRENT_LIST_DIR}/Layout.cmake)

# Warnings are errors on every toolchain.
function(vq_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# Same sources, same bytes: no build paths or timestamps in the outputs.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
if(VQ_WINDOWS)
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--no-insert-timestamp -static -static-libgcc -static-libstdc++)
endif()

# The Windows program's own code (what ships, also in the test build): small, and without C++
# exceptions, which nothing in it throws or catches; the runtime's own errors end in
# app/RuntimeErrors.cpp. The release (i686) also leaves out unwind tables: nothing unwinds there,
# and its structured exceptions walk the frame chain. x86_64 keeps them: its system needs them
# to dispatch any exception, a fault included. Each folder names its own targets; in the host tree
# (native tests of the portable parts) nothing changes.
function(vq_product_code)
  if(NOT VQ_WINDOWS)
    return()
  endif()
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE -Os -fno-exceptions)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables)
    endif()
  endforeach()
endfunction()

# GoogleTest from its sources, built with whatever compiler this tree uses: the package's
# installed library is native only, and the Windows trees need it built by mingw.
set(VQ_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VQ_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# vq_add_test(NAME SOURCES... [LIBS ...] [PROPERTIES ...]): a GoogleTest program.
# Native tests are discovered case by case; Windows tests run as one CTest test per program
# under Wine (each start of a Windows program costs a Wine process).
function(vq_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  vq_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  if(VQ_WINDOWS)
    add_test(NAME ${name} COMMAND ${name})
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
  else()
    include(GoogleTest)
    if(T_LABELS)
      gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${T_LABELS}")
    else()
      gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
    endif()
  endif()
endfunction()
