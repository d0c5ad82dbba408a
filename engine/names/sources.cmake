list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/record_arrays.h
  ${CMAKE_CURRENT_LIST_DIR}/identifier.cpp ${CMAKE_CURRENT_LIST_DIR}/identifier.h
  ${CMAKE_CURRENT_LIST_DIR}/kernel_lookup.cpp ${CMAKE_CURRENT_LIST_DIR}/kernel_lookup.h
  ${CMAKE_CURRENT_LIST_DIR}/project_walk.cpp ${CMAKE_CURRENT_LIST_DIR}/project_walk.h
  ${CMAKE_CURRENT_LIST_DIR}/tree_items.cpp ${CMAKE_CURRENT_LIST_DIR}/tree_items.h
  ${CMAKE_CURRENT_LIST_DIR}/application_sections.cpp ${CMAKE_CURRENT_LIST_DIR}/application_sections.h
  ${CMAKE_CURRENT_LIST_DIR}/name_conflicts.cpp ${CMAKE_CURRENT_LIST_DIR}/name_conflicts.h
  ${CMAKE_CURRENT_LIST_DIR}/report_texts.cpp ${CMAKE_CURRENT_LIST_DIR}/report_texts.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/record_builder.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/identifier_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/lookup_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/label_conflict_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/object_name_rule_test.cpp
)
