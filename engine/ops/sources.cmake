list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cpu_record_handler.cpp ${CMAKE_CURRENT_LIST_DIR}/cpu_record_handler.h
  ${CMAKE_CURRENT_LIST_DIR}/kernel_record_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kernel_selections.cpp
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/record_builders.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/record_builders.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/cpu_record_handler_test.cpp
)
