# Fuzzes the sectioned-file reader and checks that whatever it reads is written back readably.
korvane_add_fuzzer(NAME sectioned_file_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/sectioned_file_fuzz.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds
  SECONDS 15)
