# The searches of the search dialogs on generated tables (native and Wine).
# Included from this folder's CMakeLists.txt.
if(TARGET kp_seekrules)
  add_executable(bench_search ${CMAKE_CURRENT_LIST_DIR}/search_bench.cpp)
  kp_warnings(bench_search)
  target_include_directories(bench_search PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_search PRIVATE kp_seekrules)
  if(KP_WIN32)
    target_link_libraries(bench_search PRIVATE psapi)
  endif()
endif()
