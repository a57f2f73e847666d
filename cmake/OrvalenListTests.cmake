# Lists the cases of a freshly linked test program, at build time, so that ctest never
# starts a program only to learn its cases:
#   cmake -D RUNNER=<wine.sh> -D PROGRAM=<exe> -D OUTPUT=<file> -P OrvalenListTests.cmake
# OUTPUT gets `set(orvalen_cases <case>...)`. A start Wine refuses before the program ran
# a line is made again by the runner (scripts/wine.sh --start-mark); any other failure
# fails the build.
# The tests' own Wine prefix (scripts/wine-env.sh).
set(ENV{ORVALEN_WINE} tests)

execute_process(COMMAND ${RUNNER} --start-mark ${PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result
                TIMEOUT 120)
if(NOT result EQUAL 0 OR NOT listing MATCHES "\n  [A-Za-z_]")
  message(FATAL_ERROR "Could not list the cases of ${PROGRAM} (result ${result}):\n${listing}\n${errors}")
endif()

# Suites start in the first column and end in '.'; cases are indented by two blanks.
# Either may carry a "  # TypeParam = ..." or "  # GetParam() = ..." note.
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(cases "")
set(suite "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "  #.*$" "" line "${line}")
  if(line MATCHES "^([^ ].*\\.)$")
    set(suite "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  ([^ ]+)$" AND suite)
    set(name "${suite}${CMAKE_MATCH_1}")
    # Cases switched off in the source are not run, as GoogleTest itself does.
    if(NOT name MATCHES "(^|\\.|/)DISABLED_")
      string(APPEND cases " [==[${name}]==]")
    endif()
  endif()
endforeach()
file(WRITE "${OUTPUT}.new" "set(orvalen_cases${cases})\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
