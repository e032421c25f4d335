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

# Precompiled headers (KP_PCH) for the test executables. Parsing the test
# framework and the standard library costs every test source a second or
# more; the top CMakeLists has them compiled once per build
# directory (kp_test_pch_owner, where it sets the tests' options), and every
# test executable reuses them, so it must be compiled with the same options
# (kp_test_pch_apply keeps the ones that are not out). CMake passes GCC
# -Winvalid-pch, which -Werror makes an error: a precompiled header the
# compiler refuses (a macro it reads defined otherwise, say) breaks the
# build instead of silently making it slow.
#
# The set holds no <windows.h>: the portable layers keep it out on purpose
# (some declare the few functions they call themselves), and in a Windows
# build a portable source is told from a Windows one only by what it
# includes.
#
# GCC 12 does not keep `#pragma GCC diagnostic` in a precompiled header. The
# standard library uses such pragmas to silence false -Warray-bounds and
# -Wstringop-overflow/-overread reports about std::string and std::wstring
# that optimisation brings up in code inlined into ours; through a
# precompiled header they come back and -Werror fails. So with GCC 12 the
# tests that use it go without these three warnings (KP_PCH_TEST_OPTIONS;
# the Linux builds, without it by default, keep them for the portable
# tests), and
# the libraries and programs, which keep every warning, have no precompiled
# header.
set(KP_PCH_TEST_HEADERS
    <gtest/gtest.h> <algorithm> <array> <chrono> <cstdint> <cstdio> <cstdlib> <cstring>
    <filesystem> <fstream> <functional> <map> <memory> <optional> <string> <string_view>
    <utility> <vector>)
set(KP_PCH_TEST_OPTIONS)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  set(KP_PCH_TEST_OPTIONS -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
endif()

# The target that compiles the set (C++ only); the one source it needs is
# empty. It is built only when a test uses it.
function(kp_test_pch_owner)
  if(NOT KP_PCH)
    return()
  endif()
  set(anchor ${CMAKE_BINARY_DIR}/kp_pch/kp_test_pch.cpp)
  file(CONFIGURE OUTPUT ${anchor}
       CONTENT "// Compiles the precompiled headers that the tests reuse.\n")
  add_library(kp_test_pch OBJECT EXCLUDE_FROM_ALL ${anchor})
  kp_warnings(kp_test_pch)
  target_link_libraries(kp_test_pch PRIVATE GTest::gtest)
  target_compile_options(kp_test_pch PRIVATE ${KP_PCH_TEST_OPTIONS})
  foreach(h ${KP_PCH_TEST_HEADERS})
    target_precompile_headers(kp_test_pch PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${h}>")
  endforeach()
endfunction()

# Give a test target the set, once the folder that made it is read, so that
# every source it got is looked at.
function(kp_test_pch target)
  if(KP_PCH AND TARGET kp_test_pch)
    cmake_language(EVAL CODE "cmake_language(DEFER CALL kp_test_pch_apply [[${target}]])")
  endif()
endfunction()

# A source that defines or undefines a macro before its first #include sets
# up how the headers after it read (_FILE_OFFSET_BITS, for one); a
# precompiled header read before the source would ignore that, so such a
# source compiles without one.
function(kp_test_pch_apply target)
  # GCC checks neither -O nor most -f options when it reads a precompiled
  # header: a header compiled with other options is used anyway, and what
  # comes out is wrong or the compiler crashes. A test with options of its
  # own, or with macros other than the project's KP_ ones that a header could
  # read, therefore compiles without it. (Options and macros that libraries
  # hand on to their users are not compared; ours hand on none.)
  get_target_property(options ${target} COMPILE_OPTIONS)
  get_target_property(owner_options kp_test_pch COMPILE_OPTIONS)
  list(APPEND options ${KP_PCH_TEST_OPTIONS})
  get_target_property(definitions ${target} COMPILE_DEFINITIONS)
  get_target_property(owner_definitions kp_test_pch COMPILE_DEFINITIONS)
  if(definitions)
    list(REMOVE_ITEM definitions ${owner_definitions})
    list(FILTER definitions EXCLUDE REGEX "^KP_[A-Z0-9_]+(=|$)")
  endif()
  if(NOT "${options}" STREQUAL "${owner_options}" OR definitions)
    message(STATUS "${target}: compiled without precompiled headers (options or macros of its own)")
    return()
  endif()
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(sources ${target} SOURCES)
  foreach(src ${sources})
    if(NOT src MATCHES "\\.(cpp|cc|cxx)$")
      continue()
    endif()
    if(IS_ABSOLUTE ${src})
      set(path ${src})
    else()
      set(path ${dir}/${src})
    endif()
    if(NOT EXISTS ${path})
      continue()
    endif()
    file(STRINGS ${path} directives REGEX "^[ \t]*#[ \t]*(define|undef|include)[ \t]")
    if(directives)
      list(GET directives 0 first)
      if(NOT first MATCHES "include")
        set_source_files_properties(${path} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endif()
  endforeach()
  target_compile_options(${target} PRIVATE ${KP_PCH_TEST_OPTIONS})
  target_precompile_headers(${target} REUSE_FROM kp_test_pch)
endfunction()

# ccache refuses every compile that uses a precompiled header unless its
# sloppiness allows for them (pch_defines, time_macros); it then compiles
# without caching. Say so where the cache is meant to work.
function(kp_pch_check_ccache)
  if(NOT KP_PCH OR NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    return()
  endif()
  list(GET CMAKE_CXX_COMPILER_LAUNCHER 0 launcher)
  execute_process(COMMAND ${launcher} -k sloppiness OUTPUT_VARIABLE sloppiness
                  RESULT_VARIABLE rc ERROR_QUIET)
  if(rc EQUAL 0 AND NOT (sloppiness MATCHES "pch_defines" AND sloppiness MATCHES "time_macros"))
    message(STATUS "ccache caches no compile with precompiled headers unless "
                   "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime "
                   "(or build with -DKP_PCH=OFF)")
  endif()
endfunction()

# One test executable = one CTest test (every Wine process start costs time).
# kp_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [WIN32_GUI])
function(kp_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  kp_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  kp_test_pch(${T_NAME})
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
