# Shared build helpers.

# Add a folder when it holds a CMakeLists.txt; folders appear as the work lands.
function(kp_add_subdirectory dir)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# Our own code is built with all warnings as errors.
function(kp_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports std::string's own inlined copies as overlapping when it
    # optimises (a known false positive in its standard library).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(KP_WIN32)
    # A function address cast to an unrelated function type is a call with the
    # wrong arguments or calling convention waiting to happen; on i686 that
    # corrupts the stack. -Wextra implies the warning today; it stays on even
    # if the set of -Wextra changes.
    target_compile_options(${target} PRIVATE -Wcast-function-type)
    # Windows code talks to the W functions; UNICODE keeps the macros on them.
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

# One test executable = one CTest test (every Wine process start costs time).
# kp_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [WIN32_GUI])
function(kp_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  kp_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 600)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# A program we ship: the release build carries no symbol table (almost half
# of the file, and of no use where the program runs). Debug and
# RelWithDebInfo builds keep their symbols for the debugger. The target
# `shipped` builds every such program.
function(kp_shipped_program target)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  if(NOT TARGET shipped)
    add_custom_target(shipped)
  endif()
  add_dependencies(shipped ${target})
endfunction()
