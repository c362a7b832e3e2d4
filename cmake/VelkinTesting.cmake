# Test programs are Windows executables run by CTest through Wine (see
# scripts/wine-run.sh), linked with GoogleTest built from Debian's sources by
# the same cross compiler.

set(VELKIN_WINE_ROOT "${CMAKE_BINARY_DIR}/.." CACHE PATH "Folder holding the Wine prefix of the tests")
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/scripts/wine-run.sh;${VELKIN_WINE_ROOT}")

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Seconds any one test may run: a loop that never ends fails its test instead
# of holding the whole run.
set(VELKIN_TEST_TIMEOUT 60)

# velkin_add_test(NAME source... [LIBRARIES lib...])
# One test program, one CTest test. The shared main checks the code page and
# points the string table at the program's own resources.
function(velkin_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS}
    ${PROJECT_SOURCE_DIR}/tests/common/TestMain.cpp ${PROJECT_SOURCE_DIR}/tests/common/TestResources.rc)
  # Tests may use every layer.
  target_link_libraries(${name} PRIVATE velkin_plugin simhost gtest ${ARG_LIBRARIES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # A 32-bit test maps 2 GB views only when large-address-aware.
  target_link_options(${name} PRIVATE $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-Wl,--large-address-aware>)
  add_test(NAME ${name} COMMAND ${name})
  # Under Wine a process that dies of an unhandled exception may exit with
  # code 0: a test passes only when GoogleTest reached its summary, and fails
  # on any failure it reports (the exit code is then not consulted).
  set_tests_properties(${name} PROPERTIES TIMEOUT ${VELKIN_TEST_TIMEOUT}
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  add_dependencies(${name} Velkin)
endfunction()
