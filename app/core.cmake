# The portable part of the application core: the conversion walk and its
# protocol (shared with the console program kpsteuer), the error handler, the international rules and the shared value store. It
# needs no Windows, so the native build gets it too (tests, benchmark);
# whoever needs it first defines it.
set(KP_APP_CORE_SOURCES
    ${CMAKE_SOURCE_DIR}/app/VSteuerUmstellung.cpp
    ${CMAKE_SOURCE_DIR}/app/ErrorSys.cpp
    ${CMAKE_SOURCE_DIR}/app/International.cpp
    ${CMAKE_SOURCE_DIR}/app/funVelto.cpp
    ${CMAKE_SOURCE_DIR}/kpsteuer/VSteuerProtokoll.cpp)
if(NOT TARGET kp_app_core AND TARGET kp_runtime AND TARGET kp_data)
  add_library(kp_app_core STATIC ${KP_APP_CORE_SOURCES})
  kp_warnings(kp_app_core)
  target_include_directories(kp_app_core PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(kp_app_core PUBLIC kp_data kp_runtime)
endif()
