# The browse-view benchmark: a data window's browse view on a generated
# contract table under Wine. Included from this folder's CMakeLists.txt.
if(KP_WIN32 AND TARGET kp_gui AND EXISTS ${CMAKE_SOURCE_DIR}/tools/demodata/CMakeLists.txt)
  add_executable(bench_browse ${CMAKE_CURRENT_LIST_DIR}/browse_bench.cpp)
  kp_warnings(bench_browse)
  target_include_directories(bench_browse PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_browse PRIVATE kp_gui kp_demodata psapi)
endif()
