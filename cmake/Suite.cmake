# Helpers that give every program the same shape: a library with the logic,
# a thin executable in bin/, and GoogleTest executables beside them.

# suite_program(<name> SOURCES <logic sources...>)
# Builds <name>_core from the logic sources and the program <name> from main.cpp.
function(suite_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  add_library(${name}_core STATIC ${ARG_SOURCES})
  target_include_directories(${name}_core PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${name}_core PUBLIC suite_common)
  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_core)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${SUITE_BIN_DIR}")
  install(TARGETS ${name} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${name}.1")
    install(FILES "${name}.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
    set_property(GLOBAL APPEND PROPERTY SUITE_MAN_PAGES "${CMAKE_CURRENT_SOURCE_DIR}/${name}.1")
  endif()
endfunction()

# suite_test(<name> SOURCES <sources...> [LIBS <libraries...>] [PROGRAMS <programs...>])
# A GoogleTest executable; PROGRAMS are built before it, for end-to-end tests.
function(suite_test name)
  if(NOT SUITE_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROGRAMS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} suite_test_support GTest::gtest_main)
  foreach(program IN LISTS ARG_PROGRAMS)
    add_dependencies(${name} ${program})
  endforeach()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
