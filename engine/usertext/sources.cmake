# The user text blocks of an application.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/user_text_store.cpp ${CMAKE_CURRENT_LIST_DIR}/user_text_store.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/user_text_store_test.cpp
)
