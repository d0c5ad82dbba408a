# Application and project files, and opening and saving a whole project.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/application_file.h
  ${CMAKE_CURRENT_LIST_DIR}/application_names.cpp ${CMAKE_CURRENT_LIST_DIR}/application_names.h
  ${CMAKE_CURRENT_LIST_DIR}/application_choose.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_defaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_messages.cpp ${CMAKE_CURRENT_LIST_DIR}/file_messages.h
  ${CMAKE_CURRENT_LIST_DIR}/name_rules.cpp ${CMAKE_CURRENT_LIST_DIR}/name_rules.h
  ${CMAKE_CURRENT_LIST_DIR}/global_names.cpp ${CMAKE_CURRENT_LIST_DIR}/global_names.h
  ${CMAKE_CURRENT_LIST_DIR}/object_keys.cpp ${CMAKE_CURRENT_LIST_DIR}/object_keys.h
  ${CMAKE_CURRENT_LIST_DIR}/project_check.cpp ${CMAKE_CURRENT_LIST_DIR}/project_check.h
  ${CMAKE_CURRENT_LIST_DIR}/project_file.cpp ${CMAKE_CURRENT_LIST_DIR}/project_file.h
  ${CMAKE_CURRENT_LIST_DIR}/project_manager_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/read_back.cpp ${CMAKE_CURRENT_LIST_DIR}/read_back.h
  ${CMAKE_CURRENT_LIST_DIR}/round_trip.cpp ${CMAKE_CURRENT_LIST_DIR}/round_trip.h
  ${CMAKE_CURRENT_LIST_DIR}/project_save.cpp ${CMAKE_CURRENT_LIST_DIR}/project_save.h
  ${CMAKE_CURRENT_LIST_DIR}/save_with_one_message.cpp ${CMAKE_CURRENT_LIST_DIR}/save_with_one_message.h
  ${CMAKE_CURRENT_LIST_DIR}/section_io.cpp ${CMAKE_CURRENT_LIST_DIR}/section_io.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/project_fixtures.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/project_fixtures.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/application_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/project_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/project_check_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/read_back_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/model_sharing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/save_with_one_message_test.cpp
)
