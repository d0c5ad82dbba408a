# Shared build settings and the helpers every subsystem uses to add tests, fuzz targets and benchmarks.

set(KORVANE_WARNINGS -Wall -Wextra -Werror)
# g++ 12 reports false -Wrestrict overlaps inside std::string concatenation at -O2 and above
# (in the library's inlined code, not ours); the check is off for that compiler only.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND KORVANE_WARNINGS -Wno-restrict)
endif()

if(KORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KORVANE_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(KORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
# Every sanitizer report ends the program with a failure, whatever the compiler flags above allow. Use of a
# function's locals after it returned is caught too (an object a test registered on its stack and left behind).
set(KORVANE_SANITIZER_ENV ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan_suppressions.txt)

# Test programs start through cmake/test_env.sh, which picks the Qt platform: offscreen, or xcb on an X
# server of the test's own when KORVANE_QT_PLATFORM=xcb (the test command runs the GUI suites both ways).
set(KORVANE_TEST_LAUNCHER ${CMAKE_COMMAND} -E env ${KORVANE_SANITIZER_ENV}
    KORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR} KORVANE_BINARY_DIR=${CMAKE_BINARY_DIR}
    sh ${CMAKE_CURRENT_LIST_DIR}/test_env.sh)

# korvane_target_defaults(target [TEST]): warnings as errors on one of our own targets. The programs' and the
# plug-in's own code (gui/, platform/, plugin/; not their tests) converts text between Qt and bytes only
# through platform/qt/locale_text.h: Qt's implicit conversions from and to const char* and QByteArray do
# not compile there, and the text conversion test refuses the explicit ones.
function(korvane_target_defaults target)
  cmake_parse_arguments(D "TEST" "" "" ${ARGN})
  target_compile_options(${target} PRIVATE ${KORVANE_WARNINGS})
  if(NOT D_TEST AND CMAKE_CURRENT_SOURCE_DIR MATCHES "^${CMAKE_SOURCE_DIR}/(gui|platform|plugin)(/|$)")
    target_compile_definitions(${target} PRIVATE
      QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY)
  endif()
endfunction()

# korvane_add_gtest(NAME name SOURCES ... LIBS ... [QT] [TIMEOUT s] [WHOLE_TIMEOUT s] [PROCESSORS n] [NO_WHOLE]):
# one GoogleTest executable. ctest runs each test in a process of its own and, as the test <name>_whole
# (label "whole"), the executable once with every test, so state one test leaves behind shows. QT marks
# suites that need a Qt platform (label "gui"); their whole run also carries the label "xcb", which the test
# command runs once more on an X server.
# Each limit is about three times what the program's slowest test (TIMEOUT, default 60 s) or its whole run
# (WHOLE_TIMEOUT, default 300 s) takes on a quiet machine. PROCESSORS is the cores a test keeps busy at once
# (threads or programs running side by side; default 1), so that ctest never starts more work than the
# machine has cores. NO_WHOLE leaves out the whole run, for a program whose tests each run hundreds of
# copies of a project through one process already.
function(korvane_add_gtest)
  if(NOT KORVANE_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "QT;NO_WHOLE" "NAME;TIMEOUT;WHOLE_TIMEOUT;PROCESSORS" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  if(NOT T_WHOLE_TIMEOUT)
    set(T_WHOLE_TIMEOUT 300)
  endif()
  if(NOT T_PROCESSORS)
    set(T_PROCESSORS 1)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  korvane_target_defaults(${T_NAME} TEST)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  # The tests' environment goes through the launcher, since a list-valued ENVIRONMENT property does not
  # survive test discovery.
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${KORVANE_TEST_LAUNCHER}")
  set(labels unit)
  set(whole_labels whole)
  if(T_QT)
    set(labels gui)
    set(whole_labels whole gui xcb)
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} PROCESSORS ${T_PROCESSORS} LABELS "${labels}")
  if(T_NO_WHOLE)
    return()
  endif()
  add_test(NAME ${T_NAME}_whole COMMAND ${KORVANE_TEST_LAUNCHER} $<TARGET_FILE:${T_NAME}>
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  # A high cost starts the long whole runs first when ctest runs tests side by side.
  set_tests_properties(${T_NAME}_whole PROPERTIES TIMEOUT ${T_WHOLE_TIMEOUT} PROCESSORS ${T_PROCESSORS}
    COST 1000 LABELS "${whole_labels}")
endfunction()

# korvane_gtest_processors(target regex count [timeout]): the discovered tests of target whose names match
# regex (no backslashes) keep count threads busy; ctest is told so (PROCESSORS), for them and for the
# target's whole run. A timeout given is their own limit, in seconds.
function(korvane_gtest_processors target regex count)
  if(NOT KORVANE_TESTS)
    return()
  endif()
  set(properties "PROCESSORS ${count}")
  if(ARGC GREATER 3)
    string(APPEND properties " TIMEOUT ${ARGV3}")
  endif()
  string(MAKE_C_IDENTIFIER "${regex}" id)
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}_processors_${id}.cmake")
  file(WRITE "${file}" "foreach(test IN LISTS ${target}_TESTS)\n  if(test MATCHES \"${regex}\")\n"
    "    set_tests_properties(\"\${test}\" PROPERTIES ${properties})\n  endif()\nendforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
  get_test_property(${target}_whole PROCESSORS whole)
  if(NOT whole OR whole LESS count)
    set_tests_properties(${target}_whole PROPERTIES PROCESSORS ${count})
  endif()
endfunction()

# Writes the plug-in's settings for the stand-in host under dir (given as XDG_CONFIG_HOME to a test):
# little-endian, the data file at data_file, no logging.
function(korvane_write_plugin_settings dir data_file)
  file(WRITE "${dir}/Korvane Systems, Inc./OMBA Korvane 1.0/Kernel Awareness/Debugger/ARM.ini"
    "[]\n\"Little Endian\"=dword:00000001\n\"S-Record Path\"=\"${data_file}\"\n"
    "\"Logging Enabled\"=dword:00000000\n\"Logfile Path\"=\"\"\n")
endfunction()

# korvane_add_program_test(NAME name COMMAND program args... [ENVIRONMENT var=value...] [TIMEOUT s]
# [PROCESSORS n]): a test that runs one of the Qt programs through the launcher (labels "gui" and "xcb", like a
# whole GUI suite); the limit is 120 s unless given.
function(korvane_add_program_test)
  if(NOT KORVANE_TESTS)
    return()
  endif()
  cmake_parse_arguments(P "" "NAME;TIMEOUT;PROCESSORS" "COMMAND;ENVIRONMENT" ${ARGN})
  if(NOT P_TIMEOUT)
    set(P_TIMEOUT 120)
  endif()
  if(NOT P_PROCESSORS)
    set(P_PROCESSORS 1)
  endif()
  add_test(NAME ${P_NAME} COMMAND ${KORVANE_TEST_LAUNCHER} ${P_COMMAND})
  set_tests_properties(${P_NAME} PROPERTIES TIMEOUT ${P_TIMEOUT} PROCESSORS ${P_PROCESSORS} LABELS "gui;xcb")
  if(P_ENVIRONMENT)
    set_tests_properties(${P_NAME} PROPERTIES ENVIRONMENT "${P_ENVIRONMENT}")
  endif()
endfunction()

# korvane_add_fuzzer(NAME name SOURCES ... LIBS ... SEEDS dir [SECONDS n]): a libFuzzer target, built
# only with KORVANE_FUZZ, and a ctest case that runs it for a bounded time over a copy of its seeds.
function(korvane_add_fuzzer)
  if(NOT KORVANE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "NAME;SEEDS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}-corpus)
  add_test(NAME ${F_NAME}
    COMMAND ${CMAKE_COMMAND} -E env ${KORVANE_SANITIZER_ENV}
            $<TARGET_FILE:${F_NAME}> -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=10
            -print_final_stats=1 ${work} ${F_SEEDS})
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED ${F_NAME}-dir)
  add_test(NAME ${F_NAME}-mkdir COMMAND ${CMAKE_COMMAND} -E make_directory ${work})
  set_tests_properties(${F_NAME}-mkdir PROPERTIES FIXTURES_SETUP ${F_NAME}-dir)
endfunction()

# korvane_add_benchmark(NAME name SOURCES ... LIBS ...): a Google Benchmark program (not run by ctest).
function(korvane_add_benchmark)
  if(NOT KORVANE_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  korvane_target_defaults(${B_NAME})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
