# ombacrypt enciphers model files; the build uses it to make the demo's enciphered model beside the programs.
add_executable(ombacrypt ${CMAKE_CURRENT_LIST_DIR}/ombacrypt.cpp)
korvane_target_defaults(ombacrypt)
target_link_libraries(ombacrypt PRIVATE engine)
set_target_properties(ombacrypt PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(KORVANE_DEMO_PLAIN_MP ${CMAKE_SOURCE_DIR}/samples/demo/models/z5mp.mdl)
if(EXISTS ${KORVANE_DEMO_PLAIN_MP})
  set(enciphered ${CMAKE_BINARY_DIR}/bin/models/z5mp.mde)
  add_custom_command(OUTPUT ${enciphered}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/models
    COMMAND ombacrypt ${KORVANE_DEMO_PLAIN_MP} ${enciphered}
    DEPENDS ombacrypt ${KORVANE_DEMO_PLAIN_MP}
    COMMENT "Enciphering the demo's multiprocessor model")
  add_custom_target(demo_enciphered_model ALL DEPENDS ${enciphered})
endif()
