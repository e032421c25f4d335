# The conversion window timed from outside under Wine, and kpsteuer beside
# the walk of the conversion benchmark. Included from this folder's
# CMakeLists.txt.
if(KP_WIN32 AND TARGET VeltoTax2010 AND EXISTS ${CMAKE_SOURCE_DIR}/tools/uidriver/CMakeLists.txt)
  add_executable(bench_window ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp
                              ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_program.cpp)
  kp_warnings(bench_window)
  target_include_directories(bench_window PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_window PRIVATE kp_uidriver)
  target_compile_definitions(bench_window PRIVATE KP_E2E_PROGRAM="$<TARGET_FILE:VeltoTax2010>")
  add_dependencies(bench_window VeltoTax2010)
endif()

# The same start timed on a bare window: what Wine's own start costs.
if(TARGET bench_window)
  add_executable(bare_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
  kp_warnings(bare_window)
  target_link_options(bare_window PRIVATE -municode)
  add_executable(bench_window_bare ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp
                                   ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_program.cpp)
  kp_warnings(bench_window_bare)
  target_include_directories(bench_window_bare PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_window_bare PRIVATE kp_uidriver)
  target_compile_definitions(bench_window_bare PRIVATE
                             KP_E2E_PROGRAM="$<TARGET_FILE:bare_window>" KP_BENCH_BARE=1)
  add_dependencies(bench_window_bare bare_window)
endif()
