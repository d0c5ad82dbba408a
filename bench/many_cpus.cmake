korvane_add_benchmark(NAME many_cpus SOURCES ${CMAKE_CURRENT_LIST_DIR}/many_cpus.cpp LIBS engine)
if(TARGET many_cpus)
  target_compile_definitions(many_cpus PRIVATE KORVANE_DEMO_DIR="${CMAKE_SOURCE_DIR}/samples/demo")
endif()
