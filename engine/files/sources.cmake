# Configuration, model and kernel (CPU) files, and the file chooser.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_chooser.cpp ${CMAKE_CURRENT_LIST_DIR}/file_chooser.h
  ${CMAKE_CURRENT_LIST_DIR}/file_message.cpp ${CMAKE_CURRENT_LIST_DIR}/file_message.h
  ${CMAKE_CURRENT_LIST_DIR}/script_list.cpp ${CMAKE_CURRENT_LIST_DIR}/script_list.h
  ${CMAKE_CURRENT_LIST_DIR}/config_file.cpp ${CMAKE_CURRENT_LIST_DIR}/config_file.h
  ${CMAKE_CURRENT_LIST_DIR}/xtea.cpp ${CMAKE_CURRENT_LIST_DIR}/xtea.h
  ${CMAKE_CURRENT_LIST_DIR}/model_cipher.cpp ${CMAKE_CURRENT_LIST_DIR}/model_cipher.h
  ${CMAKE_CURRENT_LIST_DIR}/model_file.cpp ${CMAKE_CURRENT_LIST_DIR}/model_file.h
  ${CMAKE_CURRENT_LIST_DIR}/model_reader.cpp ${CMAKE_CURRENT_LIST_DIR}/model_reader.h
  ${CMAKE_CURRENT_LIST_DIR}/model_lists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cpu_file.cpp ${CMAKE_CURRENT_LIST_DIR}/cpu_file.h
)
include(${CMAKE_CURRENT_LIST_DIR}/tools/tools.cmake)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/files_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/config_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/model_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/cpu_file_test.cpp
)
