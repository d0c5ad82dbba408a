# The sectioned text file.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/sectioned_file.cpp ${CMAKE_CURRENT_LIST_DIR}/sectioned_file.h
  ${CMAKE_CURRENT_LIST_DIR}/sectioned_parse.cpp ${CMAKE_CURRENT_LIST_DIR}/sectioned_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sectioned_index.h
  ${CMAKE_CURRENT_LIST_DIR}/name_set.cpp ${CMAKE_CURRENT_LIST_DIR}/name_set.h
  ${CMAKE_CURRENT_LIST_DIR}/field_numbers.cpp ${CMAKE_CURRENT_LIST_DIR}/field_numbers.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/sectioned_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/sectioned_roundtrip_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/sectioned_index_test.cpp
)
