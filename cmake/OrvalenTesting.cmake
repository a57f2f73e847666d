# GoogleTest built from Debian's sources with the cross compiler, and one helper
# to declare a test executable whose cases ctest runs one per process under Wine.
set(ORVALEN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORVALEN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not ours to warn about.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

# orvalen_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>] [RESOURCE_LOCK <name>] [RUN_SERIAL]
#                  [FIXTURES_REQUIRED <fixtures...>])
# Links the shared test support (clean registry root and device root per test),
# which provides main(). Cases that share a machine-wide resource (a named mutex,
# a window class other processes look for) name it as RESOURCE_LOCK and run one at a time.
# Every case is a ctest test of its own, run in a process of its own. The cases are
# listed when the program is linked (OrvalenListTests.cmake), not when ctest starts.
set(ORVALEN_LIST_TESTS_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/OrvalenListTests.cmake)
# Every test runs in the tests' Wine prefix and finds both trees, under ctest or
# scripts/test.sh alike; a test added with add_test() sets it as its ENVIRONMENT.
set(ORVALEN_TEST_ENVIRONMENT
    "ORVALEN_WINE=tests;ORVALEN_SOURCE_DIR=${CMAKE_SOURCE_DIR};ORVALEN_BINARY_DIR=${CMAKE_BINARY_DIR}")
function(orvalen_add_test name)
  cmake_parse_arguments(T "RUN_SERIAL" "TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;FIXTURES_REQUIRED" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(TARGET orvalen_testsupport)
    target_link_libraries(${name} PRIVATE orvalen_testsupport)
  else()
    target_link_libraries(${name} PRIVATE gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # A case that GoogleTest skipped is shown as skipped, not passed.
  set(properties "WORKING_DIRECTORY [==[${CMAKE_CURRENT_BINARY_DIR}]==] TIMEOUT ${T_TIMEOUT} ENVIRONMENT \"${ORVALEN_TEST_ENVIRONMENT}\"")
  string(APPEND properties " SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==]")
  if(T_RESOURCE_LOCK)
    string(APPEND properties " RESOURCE_LOCK [==[${T_RESOURCE_LOCK}]==]")
  endif()
  if(T_RUN_SERIAL)
    string(APPEND properties " RUN_SERIAL TRUE")
  endif()
  if(T_FIXTURES_REQUIRED)
    string(APPEND properties " FIXTURES_REQUIRED [==[${T_FIXTURES_REQUIRED}]==]")
  endif()

  set(cases_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_cases.cmake)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D RUNNER=${CMAKE_CROSSCOMPILING_EMULATOR} -D PROGRAM=$<TARGET_FILE:${name}>
            -D OUTPUT=${cases_file} -P ${ORVALEN_LIST_TESTS_SCRIPT}
    BYPRODUCTS ${cases_file}
    VERBATIM)
  # Read by ctest: one test per listed case; before the program is built, one test that says so.
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_tests.cmake)
  file(GENERATE OUTPUT ${include_file} CONTENT "\
if(EXISTS [==[${cases_file}]==])
  include([==[${cases_file}]==])
  foreach(case IN LISTS orvalen_cases)
    add_test(\"\${case}\" [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==] --start-mark [==[$<TARGET_FILE:${name}>]==] \"--gtest_filter=\${case}\")
    set_tests_properties(\"\${case}\" PROPERTIES ${properties})
  endforeach()
else()
  add_test(${name}_NOT_BUILT [==[${CMAKE_COMMAND}]==] -E echo [==[${name} is not built: build it, then run ctest]==])
  set_tests_properties(${name}_NOT_BUILT PROPERTIES WILL_FAIL TRUE)
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
