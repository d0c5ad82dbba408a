# Fuzzes the model reader (plain and enciphered text) and the kernel (CPU) file reader and writer.
korvane_add_fuzzer(NAME model_kernel_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/model_kernel_fuzz.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds
  SECONDS 15)
