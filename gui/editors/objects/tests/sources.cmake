list(APPEND EDITORS_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dialog_widgets_test.cpp
)
