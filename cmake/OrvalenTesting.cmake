# GoogleTest built from Debian's sources with the cross compiler, and one helper
# to declare a test executable whose cases ctest runs one per process under Wine.
include(GoogleTest)

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
#                  [FIXTURES_REQUIRED <fixture>])
# Links the shared test support (clean registry root and device root per test),
# which provides main(). Cases that share a machine-wide resource (a named mutex,
# a window class other processes look for) name it as RESOURCE_LOCK and run one at a time.
function(orvalen_add_test name)
  cmake_parse_arguments(T "RUN_SERIAL" "TIMEOUT;RESOURCE_LOCK;FIXTURES_REQUIRED" "SOURCES;LIBS" ${ARGN})
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
  set(extra_properties)
  if(T_RESOURCE_LOCK)
    set(extra_properties RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(T_RUN_SERIAL)
    list(APPEND extra_properties RUN_SERIAL TRUE)
  endif()
  if(T_FIXTURES_REQUIRED)
    list(APPEND extra_properties FIXTURES_REQUIRED ${T_FIXTURES_REQUIRED})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT}
               ${extra_properties}
               # One variable only: discovery splits a list value at its ';'. scripts/test.sh
               # also exports ORVALEN_SOURCE_DIR and ORVALEN_BINARY_DIR for every test.
               ENVIRONMENT "ORVALEN_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
