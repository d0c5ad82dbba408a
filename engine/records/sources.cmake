list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/records.h
  ${CMAKE_CURRENT_LIST_DIR}/counted_array.h
  ${CMAKE_CURRENT_LIST_DIR}/model_option.h
  ${CMAKE_CURRENT_LIST_DIR}/model_bounds.h
  ${CMAKE_CURRENT_LIST_DIR}/text_field.cpp ${CMAKE_CURRENT_LIST_DIR}/text_field.h
  ${CMAKE_CURRENT_LIST_DIR}/field_descriptions.cpp ${CMAKE_CURRENT_LIST_DIR}/field_descriptions.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/records_layout_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/field_descriptions_test.cpp
)
