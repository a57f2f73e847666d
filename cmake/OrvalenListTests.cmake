# Lists the cases of a freshly linked test program, at build time, so that ctest never
# starts a program only to learn its cases:
#   cmake -D RUNNER=<wine.sh> -D PROGRAM=<exe> -D OUTPUT=<file> -P OrvalenListTests.cmake
# OUTPUT gets `set(orvalen_cases <case>...)`. Starting a program under Wine fails now and
# then for Wine's own reasons (an empty listing, exit code 1); such a listing is tried again.
set(attempts 3)
# The tests' own Wine prefix (scripts/wine-env.sh).
set(ENV{ORVALEN_WINE} tests)

foreach(attempt RANGE 1 ${attempts})
  execute_process(COMMAND ${RUNNER} ${PROGRAM} --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result
                  TIMEOUT 120)
  if(result EQUAL 0 AND listing MATCHES "\n  [A-Za-z_]")
    break()
  endif()
  message(STATUS "Listing the cases of ${PROGRAM}: attempt ${attempt} gave \"${result}\"")
  if(attempt EQUAL attempts)
    message(FATAL_ERROR "Could not list the cases of ${PROGRAM} (result ${result}):\n${listing}\n${errors}")
  endif()
endforeach()

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
