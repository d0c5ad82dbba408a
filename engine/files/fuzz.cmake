# Fuzzes the model reader (plain and enciphered text) and the kernel (CPU) file reader and writer.
korvane_add_fuzzer(NAME model_kernel_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/model_kernel_fuzz.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds
  SECONDS 15)

# Tests that load the demo through the program's folder need the enciphered demo model made first.
if(TARGET engine_tests AND TARGET demo_enciphered_model)
  add_dependencies(engine_tests demo_enciphered_model)
endif()
