list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cpu_record_handler.cpp ${CMAKE_CURRENT_LIST_DIR}/cpu_record_handler.h
  ${CMAKE_CURRENT_LIST_DIR}/kernel_record_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kernel_selections.cpp
  ${CMAKE_CURRENT_LIST_DIR}/project_manager.h
  ${CMAKE_CURRENT_LIST_DIR}/project_free.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_compare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/class_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/attached_objects.cpp ${CMAKE_CURRENT_LIST_DIR}/attached_objects.h
  ${CMAKE_CURRENT_LIST_DIR}/record_arrays.cpp ${CMAKE_CURRENT_LIST_DIR}/record_arrays.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/record_builders.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/record_builders.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/cpu_record_handler_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/cpu_record_files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/project_manager_test.cpp
)
