# Helpers that register test executables with CTest.
# Every test runs offscreen with a private, empty home and config folder, so no
# test reads or writes the real user's settings.
find_package(GTest REQUIRED)
include(GoogleTest)

set(KUVO_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tests)

function(_kuvo_test_env name out)
  set(home ${CMAKE_BINARY_DIR}/testhome/${name})
  file(MAKE_DIRECTORY ${home})
  set(${out}
      "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;QTEST_FUNCTION_TIMEOUT=300000;KUVO_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
      PARENT_SCOPE)
endfunction()

# kuvo_add_gtest(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [PREFIX "group."])
# PREFIX goes in front of every discovered test name, so "ctest -R group" finds them.
function(kuvo_add_gtest name)
  cmake_parse_arguments(ARG "" "PREFIX" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KUVO_TEST_OUTPUT_DIR})
  _kuvo_test_env(${name} env)
  set(prefix)
  if(ARG_PREFIX)
    set(prefix TEST_PREFIX ${ARG_PREFIX})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST ${prefix} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()

# kuvo_add_qtest(name SOURCES a.cpp LIBS lib1): one Qt Test executable, one CTest entry.
function(kuvo_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KUVO_TEST_OUTPUT_DIR})
  add_test(NAME ${name} COMMAND ${name})
  _kuvo_test_env(${name} env)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
endfunction()
