# Checks that the data log LOG exists and holds the block of the window TITLE.
if(NOT EXISTS "${LOG}")
  message(FATAL_ERROR "no data log at ${LOG}")
endif()
file(READ "${LOG}" log)
string(FIND "${log}" "***${TITLE}***" at)
if(at LESS 0)
  message(FATAL_ERROR "the data log ${LOG} holds no ${TITLE} block")
endif()
