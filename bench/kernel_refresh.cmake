korvane_add_benchmark(NAME kernel_refresh
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kernel_refresh.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_session.cpp
  LIBS plugin_views simtarget sim_debugger plugin_sdk)
