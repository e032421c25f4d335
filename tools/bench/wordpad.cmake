# The rich edit on a long letter: opening and saving a generated 200-page RTF
# file through the control under Wine. Included from this folder's
# CMakeLists.txt.
if(KP_WIN32 AND TARGET kp_gui)
  add_executable(bench_wordpad ${CMAKE_CURRENT_LIST_DIR}/wordpad_bench.cpp)
  kp_warnings(bench_wordpad)
  target_include_directories(bench_wordpad PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_wordpad PRIVATE kp_gui)
endif()
