korvane_add_benchmark(NAME sectioned_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sectioned_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/heap_meter.cpp LIBS engine)
