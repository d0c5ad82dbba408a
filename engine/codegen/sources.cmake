# Calls into the code-generator library, shared by the console and the desktop generator.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/generator_library.cpp ${CMAKE_CURRENT_LIST_DIR}/generator_library.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/generator_library_test.cpp
)
