list(APPEND EDITORS_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/editor_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/editor_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_frame_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/class_dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_object_properties_test.cpp
  ${CMAKE_SOURCE_DIR}/engine/project/tests/field_extremes.cpp
  ${CMAKE_SOURCE_DIR}/engine/project/tests/field_extremes.h
)
