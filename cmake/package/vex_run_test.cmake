# vex_run_test.cmake: what the CTest test of vex_add_test runs (cmake -P): the driver,
# then vexreport on the trace it left, also writing JUnit XML. The test fails when the
# driver failed (a check, a contract, a crash) or the report found a failure.
# Optional: ISOLATE (true: --vex-isolate), VEX_TIMEOUT (seconds: --vex-timeout) and RUN
# (one TEST CASE's dotted path: --vex-run, the dynamic file TDF by --vex-tdf, and a report
# of that case alone).
foreach(var DRIVER REPORT TDF LISTINGS JUNIT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "vex_run_test.cmake: -D${var}= is missing")
  endif()
endforeach()
set(options "")
set(report_options "")
if(ISOLATE)
  list(APPEND options --vex-isolate)
endif()
if(VEX_TIMEOUT)
  list(APPEND options --vex-timeout "${VEX_TIMEOUT}")
endif()
if(RUN)
  list(APPEND options --vex-run "${RUN}" --vex-tdf "${TDF}")
  list(APPEND report_options --hide-unselected)
  get_filename_component(tdf_dir "${TDF}" DIRECTORY)
  file(MAKE_DIRECTORY "${tdf_dir}")
endif()
file(REMOVE "${TDF}")
execute_process(COMMAND "${DRIVER}" ${options} RESULT_VARIABLE driver_status)
execute_process(COMMAND "${REPORT}" ${report_options} -d "${LISTINGS}" --junit "${JUNIT}"
                        "${TDF}"
                RESULT_VARIABLE report_status)
if(NOT driver_status STREQUAL "0" OR NOT report_status STREQUAL "0")
  message(FATAL_ERROR "test failed (driver: ${driver_status}, vexreport: ${report_status})")
endif()
