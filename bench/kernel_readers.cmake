korvane_add_benchmark(NAME kernel_readers
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kernel_readers.cpp ${CMAKE_CURRENT_LIST_DIR}/sim_session.cpp
  LIBS simtarget sim_debugger plugin_sdk)
