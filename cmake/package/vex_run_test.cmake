# vex_run_test.cmake: what the CTest test of vex_add_test runs (cmake -P): the driver,
# then vexreport on the trace it left, also writing JUnit XML. The test fails when the
# driver failed (a check, a contract, a crash) or the report found a failure.
foreach(var DRIVER REPORT TDF LISTINGS JUNIT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "vex_run_test.cmake: -D${var}= is missing")
  endif()
endforeach()
file(REMOVE "${TDF}")
execute_process(COMMAND "${DRIVER}" RESULT_VARIABLE driver_status)
execute_process(COMMAND "${REPORT}" -d "${LISTINGS}" --junit "${JUNIT}" "${TDF}"
                RESULT_VARIABLE report_status)
if(NOT driver_status STREQUAL "0" OR NOT report_status STREQUAL "0")
  message(FATAL_ERROR "test failed (driver: ${driver_status}, vexreport: ${report_status})")
endif()
