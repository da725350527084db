# vex_discover_cases.cmake: run after every build of a driver made with DISCOVER_CASES
# (cmake -P): asks the driver for its TEST CASEs (--vex-list) and writes OUT, the ctest
# file that registers one test per case, `<NAME>.<dotted path>`, each running the driver
# on that case alone with its own dynamic file and JUnit file. OUT is replaced whole, so
# ctest never reads half of it; a driver that cannot list its cases fails the build.
foreach(var DRIVER REPORT LISTINGS NAME OUT CTEST_CMAKE RUN_SCRIPT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "vex_discover_cases.cmake: -D${var}= is missing")
  endif()
endforeach()
execute_process(COMMAND "${DRIVER}" --vex-list --vex-listings "${LISTINGS}"
                RESULT_VARIABLE status OUTPUT_VARIABLE listed ERROR_VARIABLE problem)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${NAME}: `${DRIVER} --vex-list' failed (${status}):\n${problem}")
endif()

# One line per case: its dotted path, blanks, its script file:line.
string(REPLACE "\n" ";" lines "${listed}")
set(text "set(_vex_cases \"\")\n")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([A-Za-z0-9_.]+)[ \t]")
    continue()
  endif()
  set(path "${CMAKE_MATCH_1}")
  set(test "${NAME}.${path}")
  string(APPEND text
    "add_test([==[${test}]==] [==[${CTEST_CMAKE}]==] [==[-DDRIVER=${DRIVER}]==]\n"
    "  [==[-DREPORT=${REPORT}]==] [==[-DLISTINGS=${LISTINGS}]==] [==[-DISOLATE=${ISOLATE}]==]\n"
    "  [==[-DVEX_TIMEOUT=${VEX_TIMEOUT}]==] [==[-DRUN=${path}]==]\n"
    "  [==[-DTDF=${LISTINGS}/cases/${path}.tdf]==]\n"
    "  [==[-DJUNIT=${LISTINGS}/cases/${path}.junit.xml]==] -P [==[${RUN_SCRIPT}]==])\n"
    "set_tests_properties([==[${test}]==] PROPERTIES WORKING_DIRECTORY [==[${LISTINGS}]==])\n"
    "list(APPEND _vex_cases [==[${test}]==])\n")
endforeach()
file(WRITE "${OUT}.new" "${text}")
file(RENAME "${OUT}.new" "${OUT}")
