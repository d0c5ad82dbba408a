# The property sheets and pages of applications and CPUs, the user text and node name dialogs, and the
# display-free rules behind them (kept with the other models in ../model).
list(APPEND EDITORS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/../model/add_remove_move.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/add_remove_move.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/sheet_page_model.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/sheet_page_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/application_sheet.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/application_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_application.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_app_general.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_app_class.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_app_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_app_system.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_app_codegen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_option_rows.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_option_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_view.h
  ${CMAKE_CURRENT_LIST_DIR}/page_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_pages.h
  ${CMAKE_CURRENT_LIST_DIR}/application_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application_sheet_view.h
  ${CMAKE_CURRENT_LIST_DIR}/application_sheet_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/cpu_sheet.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/cpu_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_cpu.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_cpu_general.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_cpu_class.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/page_cpu_class.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cpu_sheet_view.h
  ${CMAKE_CURRENT_LIST_DIR}/cpu_sheet_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../model/user_text_dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/../model/user_text_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_text_dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/user_text_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_services.h
  ${CMAKE_CURRENT_LIST_DIR}/sheet_services.cpp
)
list(APPEND EDITORS_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/demo_project.h
  ${CMAKE_CURRENT_LIST_DIR}/tests/demo_project.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/add_remove_move_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/application_pages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/cpu_sheet_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/dialog_fit_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/option_and_class_pages_test.cpp
)
