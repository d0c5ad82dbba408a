# Fuzzes the application-file reader, and the open of a project file in a copy of the demo's folder: what
# each reads writes back stably, and what opens saves and opens again equal.
foreach(fuzz application_file_fuzz:seeds project_file_fuzz:project_seeds)
  string(REPLACE ":" ";" fuzz "${fuzz}")
  list(GET fuzz 0 name)
  list(GET fuzz 1 seeds)
  korvane_add_fuzzer(NAME ${name}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/${name}.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/project_fixtures.cpp
    LIBS engine
    SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/${seeds}
    SECONDS 15)
  if(TARGET ${name})
    # The fixtures find the sample files as the engine tests do.
    target_compile_definitions(${name} PRIVATE ENGINE_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               ENGINE_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
  endif()
endforeach()
