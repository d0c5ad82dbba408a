# Configuration, model and kernel (CPU) files, and the file chooser.
list(APPEND ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_chooser.cpp ${CMAKE_CURRENT_LIST_DIR}/file_chooser.h
)
