# Display-free dialog rules of the object and property editors.
list(APPEND EDITORS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dialog_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_dialog_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_dialog_factory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/choice_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_point_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/placement_models.cpp
  ${CMAKE_CURRENT_LIST_DIR}/task_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_object_properties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/class_options_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dynamic_objects_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/project_properties_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blank_text.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/tests/sources.cmake)
