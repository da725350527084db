# cmake/report.cmake: vexreport, the report viewer (standard library only).
file(GLOB VEX_REPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/report/*.cpp)
list(REMOVE_ITEM VEX_REPORT_SOURCES ${CMAKE_SOURCE_DIR}/src/report/main.cpp)
add_library(vexreport_core STATIC ${VEX_REPORT_SOURCES})
target_include_directories(vexreport_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
add_executable(vexreport ${CMAKE_SOURCE_DIR}/src/report/main.cpp)
target_link_libraries(vexreport PRIVATE vexreport_core)
install(TARGETS vexreport RUNTIME DESTINATION bin)
