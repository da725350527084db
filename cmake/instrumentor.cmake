# cmake/instrumentor.cmake: vexinstr, the instrumentor, built on libclang's C interface
# (Debian's libclang-dev). Included after the test programs are defined.
file(GLOB VEX_CLANG_HINTS LIST_DIRECTORIES true /usr/lib/llvm-*)
list(SORT VEX_CLANG_HINTS ORDER DESCENDING)  # the newest LLVM first
find_path(VEX_CLANG_INCLUDE clang-c/Index.h HINTS ${VEX_CLANG_HINTS} PATH_SUFFIXES include)
find_library(VEX_CLANG_LIBRARY NAMES clang libclang HINTS ${VEX_CLANG_HINTS} PATH_SUFFIXES lib)
if(NOT VEX_CLANG_INCLUDE OR NOT VEX_CLANG_LIBRARY)
  message(FATAL_ERROR "libclang is needed for vexinstr: apt-get install libclang-dev")
endif()

file(GLOB VEX_INSTR_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/instr/*.cpp)
list(REMOVE_ITEM VEX_INSTR_SOURCES ${CMAKE_SOURCE_DIR}/src/instr/main.cpp)
add_library(vexinstr_core STATIC ${VEX_INSTR_SOURCES})
target_include_directories(vexinstr_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_include_directories(vexinstr_core SYSTEM PUBLIC ${VEX_CLANG_INCLUDE})
target_link_libraries(vexinstr_core PUBLIC ${VEX_CLANG_LIBRARY})

add_executable(vexinstr ${CMAKE_SOURCE_DIR}/src/instr/main.cpp)
target_link_libraries(vexinstr PRIVATE vexinstr_core)
install(TARGETS vexinstr RUNTIME DESTINATION bin)

if(TARGET tests_instr)
  target_link_libraries(tests_instr PRIVATE vexinstr_core)
  # The cases are woven, built with the staged Target Package, run and reported.
  target_compile_definitions(tests_instr PRIVATE VEX_INSTR_BINARY="$<TARGET_FILE:vexinstr>"
    VEX_REPORT_BINARY="$<TARGET_FILE:vexreport>" VEX_STAGE_DIR="${CMAKE_BINARY_DIR}/stage")
  add_dependencies(tests_instr vexinstr vexreport vextp)
endif()

# What vexinstr and vexreport read, under libFuzzer.
if(VEX_FUZZ)
  target_compile_options(vexinstr_core PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(vexreport_core PRIVATE -fsanitize=fuzzer-no-link)
  add_executable(fuzz_readers ${CMAKE_SOURCE_DIR}/fuzz/fuzz_readers.cpp)
  target_compile_options(fuzz_readers PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_readers PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_readers PRIVATE vexinstr_core vexreport_core)
endif()
