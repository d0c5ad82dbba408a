# Text, path, file and time utilities.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp ${CMAKE_CURRENT_LIST_DIR}/text.h
  ${CMAKE_CURRENT_LIST_DIR}/comments.cpp ${CMAKE_CURRENT_LIST_DIR}/comments.h
  ${CMAKE_CURRENT_LIST_DIR}/escape.cpp ${CMAKE_CURRENT_LIST_DIR}/escape.h
  ${CMAKE_CURRENT_LIST_DIR}/path.cpp ${CMAKE_CURRENT_LIST_DIR}/path.h
  ${CMAKE_CURRENT_LIST_DIR}/file_io.cpp ${CMAKE_CURRENT_LIST_DIR}/file_io.h
  ${CMAKE_CURRENT_LIST_DIR}/file_replace.cpp ${CMAKE_CURRENT_LIST_DIR}/descriptor.h
  ${CMAKE_CURRENT_LIST_DIR}/replace_failure_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_lock.cpp ${CMAKE_CURRENT_LIST_DIR}/save_lock.h
  ${CMAKE_CURRENT_LIST_DIR}/save_test_hooks.cpp ${CMAKE_CURRENT_LIST_DIR}/save_test_hooks.h
  ${CMAKE_CURRENT_LIST_DIR}/program_title.cpp ${CMAKE_CURRENT_LIST_DIR}/program_title.h
  ${CMAKE_CURRENT_LIST_DIR}/print_text.cpp ${CMAKE_CURRENT_LIST_DIR}/print_text.h
)
list(APPEND ENGINE_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/path_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/file_replace_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/source_tree.h
)
