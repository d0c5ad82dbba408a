# The Qt side of the object and property dialogs.
list(APPEND EDITORS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/control_builder.h
  ${CMAKE_CURRENT_LIST_DIR}/control_builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_table.h
  ${CMAKE_CURRENT_LIST_DIR}/control_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/model_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/model_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/object_dialogs.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/tests/sources.cmake)
