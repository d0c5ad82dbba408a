korvane_add_benchmark(NAME project_open_save SOURCES ${CMAKE_CURRENT_LIST_DIR}/project_open_save.cpp LIBS engine)
if(TARGET project_open_save)
  target_compile_definitions(project_open_save PRIVATE KORVANE_DEMO_DIR="${CMAKE_SOURCE_DIR}/samples/demo")
endif()
