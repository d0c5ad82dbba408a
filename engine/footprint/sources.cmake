list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/memory_footprint.h
  ${CMAKE_CURRENT_LIST_DIR}/expression.cpp ${CMAKE_CURRENT_LIST_DIR}/expression.h
  ${CMAKE_CURRENT_LIST_DIR}/estimator_messages.cpp ${CMAKE_CURRENT_LIST_DIR}/estimator_messages.h
  ${CMAKE_CURRENT_LIST_DIR}/symbol_table.cpp ${CMAKE_CURRENT_LIST_DIR}/symbol_table.h
  ${CMAKE_CURRENT_LIST_DIR}/model_tables.cpp ${CMAKE_CURRENT_LIST_DIR}/model_tables.h
  ${CMAKE_CURRENT_LIST_DIR}/structure_size.cpp ${CMAKE_CURRENT_LIST_DIR}/structure_size.h
  ${CMAKE_CURRENT_LIST_DIR}/footprint.cpp ${CMAKE_CURRENT_LIST_DIR}/footprint.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/expression_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/symbol_table_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/structure_size_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/footprint_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/demo_footprint_test.cpp
)
