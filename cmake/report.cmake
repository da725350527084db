# cmake/report.cmake: vexreport, the report viewer (standard library only).
file(GLOB VEX_REPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/report/*.cpp)
list(REMOVE_ITEM VEX_REPORT_SOURCES ${CMAKE_SOURCE_DIR}/src/report/main.cpp)
add_library(vexreport_core STATIC ${VEX_REPORT_SOURCES})
target_include_directories(vexreport_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
add_executable(vexreport ${CMAKE_SOURCE_DIR}/src/report/main.cpp)
target_link_libraries(vexreport PRIVATE vexreport_core)
install(TARGETS vexreport RUNTIME DESTINATION bin)

# The end-to-end tests run the whole loop: vexprepro, vexinstr, the compiler with the
# staged Target Package, the driver, vexreport.
if(TARGET tests_report)
  target_link_libraries(tests_report PRIVATE vexreport_core)
  target_compile_definitions(tests_report PRIVATE
    VEX_REPORT_BINARY="$<TARGET_FILE:vexreport>"
    VEX_INSTR_BINARY="$<TARGET_FILE:vexinstr>"
    VEX_STAGE_DIR="${CMAKE_BINARY_DIR}/stage")
  add_dependencies(tests_report vexreport vexinstr vextp)
endif()
