# The conversion benchmark: the walk of the conversion window over a
# generated table, natively and under Wine. Included from this folder's
# CMakeLists.txt.
include(${CMAKE_SOURCE_DIR}/app/core.cmake)
if(TARGET kp_app_core AND EXISTS ${CMAKE_SOURCE_DIR}/tools/demodata/CMakeLists.txt)
  add_executable(bench_conversion ${CMAKE_CURRENT_LIST_DIR}/conversion_bench.cpp)
  kp_warnings(bench_conversion)
  target_include_directories(bench_conversion PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(bench_conversion PRIVATE kp_app_core kp_demodata)
endif()
