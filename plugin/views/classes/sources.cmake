# The windows of the remaining object classes, the services trace window and the trace control window.
# Included by plugin/views/CMakeLists.txt before the library is made.
set(classes_dir ${CMAKE_CURRENT_LIST_DIR})
list(APPEND PLUGIN_VIEWS_CLASS_SOURCES
  ${classes_dir}/cells.h
  ${classes_dir}/class_windows.cpp ${classes_dir}/class_windows.h
  ${classes_dir}/timing_rows.cpp ${classes_dir}/timing_rows.h
  ${classes_dir}/timing_windows.cpp ${classes_dir}/timing_windows.h
  ${classes_dir}/pool_rows.cpp ${classes_dir}/pool_rows.h
  ${classes_dir}/pool_windows.cpp ${classes_dir}/pool_windows.h
  ${classes_dir}/level_rows.cpp ${classes_dir}/level_rows.h
  ${classes_dir}/level_windows.cpp ${classes_dir}/level_windows.h
  ${classes_dir}/service_table.cpp ${classes_dir}/service_table.h
  ${classes_dir}/service_trace_window.cpp ${classes_dir}/service_trace_window.h
  ${classes_dir}/trace_control_model.cpp ${classes_dir}/trace_control_model.h
  ${classes_dir}/trace_control_window.cpp ${classes_dir}/trace_control_window.h
  ${classes_dir}/class_registry.cpp
)

# Their suites, made once the library and its test support exist.
function(korvane_views_classes_tests)
  if(NOT KORVANE_TESTS OR NOT TARGET plugin_views)
    return()
  endif()
  set(dir ${CMAKE_SOURCE_DIR}/plugin/views)
  korvane_add_gtest(NAME plugin_views_classes_tests QT
    SOURCES
      ${CMAKE_SOURCE_DIR}/standins/debugger/simtarget/tests/generated_fixture.cpp
      ${CMAKE_SOURCE_DIR}/standins/ide/tests/lsan_suppressions.cpp
      ${dir}/tests/views_fixture.cpp
      ${dir}/classes/tests/timing_windows_test.cpp
      ${dir}/classes/tests/pool_windows_test.cpp
      ${dir}/classes/tests/trace_windows_test.cpp
    LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,plugin_views>" simtarget plugin_kernel_testing platform_qt_testing Qt6::Test)
  if(TARGET plugin_views_classes_tests)
    target_compile_definitions(plugin_views_classes_tests PRIVATE KORVANE_BUILD_DIR="${CMAKE_BINARY_DIR}")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR}/plugin/views CALL korvane_views_classes_tests)
