# The shell's editor services carried out by this library.
list(APPEND EDITORS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/editors_impl.h
  ${CMAKE_CURRENT_LIST_DIR}/editors_impl.cpp
)
