# Fuzzes the application-file reader and checks that whatever it reads writes back stably.
korvane_add_fuzzer(NAME application_file_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/application_file_fuzz.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/project_fixtures.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds
  SECONDS 15)
if(TARGET application_file_fuzz)
  # The fixtures find the sample files as the engine tests do.
  target_compile_definitions(application_file_fuzz PRIVATE ENGINE_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                                           ENGINE_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()

# Fuzzes the open of a project file in a copy of the demo's folder: what opens saves, and opens again equal.
korvane_add_fuzzer(NAME project_file_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/project_file_fuzz.cpp
          ${CMAKE_CURRENT_LIST_DIR}/tests/project_fixtures.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/project_seeds
  SECONDS 15)
if(TARGET project_file_fuzz)
  target_compile_definitions(project_file_fuzz PRIVATE ENGINE_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                                        ENGINE_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()
