# Reads the data log of the 5,000-semaphore scenario: the last semaphore is listed by name, the task
# waiting on it names it, and no handle is called invalid.
file(READ "${LOG}" log)
if(NOT log MATCHES "\n5000,Sem5000,")
  message(FATAL_ERROR "semaphore 5000 is not listed in ${LOG}")
endif()
if(NOT log MATCHES "\\*\\*\\*Tasks\\*\\*\\*\n[^\n]*\n[^\n]*\n1,Waiter,[^\n]*Sem5000")
  message(FATAL_ERROR "the waiting task does not name Sem5000 in ${LOG}")
endif()
if(log MATCHES "Invalid")
  message(FATAL_ERROR "an invalid handle in ${LOG}")
endif()
