# Expression evaluator and structure tables under libFuzzer: the first input byte picks the target.
korvane_add_fuzzer(NAME footprint_expression_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz/expression_fuzz.cpp
  LIBS engine
  SEEDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/seeds
  SECONDS 15)
