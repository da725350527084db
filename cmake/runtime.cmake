# cmake/runtime.cmake: libvextp, the Target Package runtime that generated drivers and
# instrumented code link with. C++17 and the standard library only: it goes into the
# users' test programs. Installed with its headers in lib/, beside bin/.
file(GLOB VEX_TP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tp/*.cpp)
add_library(vextp STATIC ${VEX_TP_SOURCES})
set_target_properties(vextp PROPERTIES CXX_STANDARD 17 CXX_EXTENSIONS OFF
                                       POSITION_INDEPENDENT_CODE ON)
target_include_directories(vextp PUBLIC ${CMAKE_SOURCE_DIR}/tp)
# The records of the dynamic file (formats/trace.h), shared with vexreport; private, so
# the installed headers never need src/.
target_include_directories(vextp PRIVATE ${CMAKE_SOURCE_DIR}/src)
find_package(Threads REQUIRED)
target_link_libraries(vextp PUBLIC Threads::Threads)

# The headers as drivers include them: "lib/TP.h" from the prefix.
set(VEX_STAGE_LIB ${CMAKE_BINARY_DIR}/stage/lib)
foreach(header TP.h vxk.h)
  configure_file(${CMAKE_SOURCE_DIR}/tp/${header} ${VEX_STAGE_LIB}/${header} COPYONLY)
endforeach()
add_custom_command(TARGET vextp POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vextp> ${VEX_STAGE_LIB}/libvextp.a)

install(FILES ${CMAKE_SOURCE_DIR}/tp/TP.h ${CMAKE_SOURCE_DIR}/tp/vxk.h DESTINATION lib)
install(TARGETS vextp ARCHIVE DESTINATION lib)

# The CMake package: find_package(vexprepro CONFIG) and vex_add_test.
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/vexpreproConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/package/vexpreproConfig.cmake
              ${CMAKE_SOURCE_DIR}/cmake/package/vex_run_test.cmake
              ${CMAKE_SOURCE_DIR}/cmake/package/vex_discover_cases.cmake
              ${CMAKE_BINARY_DIR}/vexpreproConfigVersion.cmake
        DESTINATION lib/cmake/vexprepro)

# The driver-option tests compile drivers against the staged Target Package.
if(TARGET tests_runtime)
  target_compile_definitions(tests_runtime PRIVATE VEX_STAGE_DIR="${CMAKE_BINARY_DIR}/stage")
  add_dependencies(tests_runtime vextp)
endif()
