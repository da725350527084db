# vexpreproConfig.cmake: the installed tools as imported targets, and vex_add_test, which
# turns test scripts and the code under test into a CTest test:
#
#   find_package(vexprepro CONFIG REQUIRED)
#   vex_add_test(NAME <name> SCRIPTS <script...> [CONTRACTS <otc script...>]
#                [SOURCES <code under test...>] [INSTRUMENT <sources and headers...>]
#                [LINK <library target...>] [BASE <dir>]
#                [OPTIONS <vexprepro options...>] [DISCOVER_CASES] [ISOLATE]
#                [TIMEOUT <seconds>] [PROPERTIES <test property> <value>...])
#   (PROPERTIES comes last: what follows it is passed to set_tests_properties.)
#
# The scripts are compiled by vexprepro in <binary dir>/vex_<name>/ (driver, instrumentation
# file, listings). vexinstr weaves the instrumentation into copies, in <dir>/vex_<name>/woven,
# of the driver and of the INSTRUMENT files, and the copies are built instead, whenever there
# are CONTRACTS, INSTRUMENT or LINK, or the scripts hold stub conditions or CHECK METHOD
# (list in INSTRUMENT every source that includes an instrumented header). LINK takes a
# library target's sources, include directories and definitions (generator expressions
# and all) and links what it links: its sources are woven and built into the test instead
# of the library. The copies stand at their paths relative to BASE, by default the deepest
# directory holding the INSTRUMENT files and LINK targets' include directories (the
# driver's copy, when the driver lies outside it, stands in the woven directory by its file
# name); the copy of every include directory that may hold an instrumented header (a LINK
# target's, and each between such a header and BASE) comes first on the include path, so
# the copies shadow the originals. The test runs the driver, then vexreport, and fails
# when a check or a contract failed.
# ISOLATE and TIMEOUT pass --vex-isolate and --vex-timeout to the driver; PROPERTIES go to
# set_tests_properties (a list value is quoted with escaped semicolons: "a\;b"). With
# DISCOVER_CASES there is one test per TEST CASE instead, `<name>.<dotted path>`, listed
# after every build of the driver by `driver --vex-list`, as gtest_discover_tests does:
# a case added to a script needs a build, not a configure.
include_guard(GLOBAL)
cmake_minimum_required(VERSION 3.25)
include(CMakeFindDependencyMacro)
find_dependency(Threads)

get_filename_component(VEX_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
set(VEX_RUN_TEST_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/vex_run_test.cmake")
set(VEX_DISCOVER_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/vex_discover_cases.cmake")

foreach(_vex_tool IN ITEMS vexprepro vexinstr vexreport)
  if(NOT TARGET vexprepro::${_vex_tool})
    add_executable(vexprepro::${_vex_tool} IMPORTED)
    set_target_properties(vexprepro::${_vex_tool} PROPERTIES
      IMPORTED_LOCATION "${VEX_PREFIX}/bin/${_vex_tool}")
  endif()
endforeach()
if(NOT TARGET vexprepro::vextp)
  # Drivers include "lib/TP.h": the prefix is the include directory.
  add_library(vexprepro::vextp STATIC IMPORTED)
  set_target_properties(vexprepro::vextp PROPERTIES
    IMPORTED_LOCATION "${VEX_PREFIX}/lib/libvextp.a"
    INTERFACE_INCLUDE_DIRECTORIES "${VEX_PREFIX}"
    INTERFACE_LINK_LIBRARIES Threads::Threads
    INTERFACE_COMPILE_FEATURES cxx_std_17)
endif()

# The deepest directory holding both `a` and `b` (absolute paths).
function(_vex_common_directory a b out)
  string(REPLACE "/" ";" a_parts "${a}")
  string(REPLACE "/" ";" b_parts "${b}")
  set(common "")
  list(LENGTH a_parts a_count)
  list(LENGTH b_parts b_count)
  set(i 0)
  while(i LESS a_count AND i LESS b_count)
    list(GET a_parts ${i} pa)
    list(GET b_parts ${i} pb)
    if(NOT pa STREQUAL pb)
      break()
    endif()
    if(NOT pa STREQUAL "")
      string(APPEND common "/${pa}")
    endif()
    math(EXPR i "${i} + 1")
  endwhile()
  if(common STREQUAL "")
    set(common "/")
  endif()
  set(${out} "${common}" PARENT_SCOPE)
endfunction()

# Appends to `out` the scripts that `script` INCLUDEs, and theirs, resolved as vexprepro
# resolves them (relative to the including script). Read at configure time; editing a
# script configures again, so a new INCLUDE is seen.
function(_vex_included_scripts script out)
  set(found ${${out}})
  set(pending "${script}")
  while(pending)
    list(POP_FRONT pending current)
    if(NOT EXISTS "${current}")
      continue()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${current}")
    file(STRINGS "${current}" lines REGEX "^[ \t]*[Ii][Nn][Cc][Ll][Uu][Dd][Ee][ \t]+\"")
    get_filename_component(current_dir "${current}" DIRECTORY)
    foreach(line IN LISTS lines)
      if(line MATCHES "\"([^\"]+)\"")
        get_filename_component(included "${CMAKE_MATCH_1}" ABSOLUTE BASE_DIR "${current_dir}")
        if(NOT included IN_LIST found)
          list(APPEND found "${included}")
          list(APPEND pending "${included}")
        endif()
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(vex_add_test)
  # Everything after PROPERTIES is test properties, TIMEOUT among them.
  set(head "")
  set(VEX_PROPERTIES "")
  set(in_properties FALSE)
  if(ARGC GREATER 0)
    math(EXPR last "${ARGC} - 1")
    foreach(i RANGE 0 ${last})
      if(in_properties)
        list(APPEND VEX_PROPERTIES "${ARGV${i}}")
      elseif("${ARGV${i}}" STREQUAL "PROPERTIES")
        set(in_properties TRUE)
      else()
        list(APPEND head "${ARGV${i}}")
      endif()
    endforeach()
  endif()
  cmake_parse_arguments(VEX "DISCOVER_CASES;ISOLATE" "NAME;TIMEOUT;BASE"
                        "SCRIPTS;CONTRACTS;SOURCES;INSTRUMENT;OPTIONS;LINK" ${head})
  if(NOT VEX_NAME OR NOT VEX_SCRIPTS)
    message(FATAL_ERROR "vex_add_test: NAME and SCRIPTS are required")
  endif()
  if(VEX_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vex_add_test: unexpected arguments: ${VEX_UNPARSED_ARGUMENTS}")
  endif()
  set(name "${VEX_NAME}")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/vex_${name}")
  file(MAKE_DIRECTORY "${dir}")

  set(scripts "")
  set(depends "")
  foreach(script IN LISTS VEX_SCRIPTS VEX_CONTRACTS)
    get_filename_component(script "${script}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND scripts "${script}")
    list(APPEND depends "${script}")
    _vex_included_scripts("${script}" depends)
  endforeach()
  # Conditions of stubs and method counters live in the driver: it is woven for them too.
  set(sections FALSE)
  foreach(script IN LISTS depends)
    file(STRINGS "${script}" hits REGEX "CHECK[ \t]+METHOD|^[ \t]*(REQUIRE|ENSURE)[ \t(]")
    if(hits)
      set(sections TRUE)
    endif()
  endforeach()

  set(driver "${dir}/${name}_driver.cc")
  set(oti "${dir}/${name}.oti")
  set(tdf "${dir}/${name}.tdf")
  add_custom_command(
    OUTPUT "${driver}" "${oti}"
    COMMAND ${CMAKE_COMMAND} -E env "TARVELODIR=${VEX_PREFIX}"
            $<TARGET_FILE:vexprepro::vexprepro> ${scripts} -G C++ -O "${driver}" -OTI "${oti}"
            -TDF "${tdf}" ${VEX_OPTIONS}
    DEPENDS ${depends} vexprepro::vexprepro
    WORKING_DIRECTORY "${dir}"
    COMMENT "vexprepro: ${name}"
    VERBATIM)

  set(sources "")
  foreach(source IN LISTS VEX_SOURCES)
    get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND sources "${source}")
  endforeach()
  set(instrument ${VEX_INSTRUMENT})
  set(include_dirs "${CMAKE_CURRENT_SOURCE_DIR}")  # where includers may look, at configure time
  foreach(target IN LISTS VEX_LINK)
    _vex_target_files(${target} sources instrument include_dirs)
  endforeach()

  set(shadows "")  # a variable of the caller's must not leak in
  if(VEX_CONTRACTS OR VEX_INSTRUMENT OR VEX_LINK OR sections)
    _vex_weave()
  endif()

  add_executable(${name} "${driver}" ${sources})
  if(shadows)
    target_include_directories(${name} BEFORE PRIVATE ${shadows})
  endif()
  foreach(target IN LISTS VEX_LINK)  # its usage, not its objects: the copies replace them
    target_include_directories(${name} PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
    target_compile_definitions(${name} PRIVATE
      $<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>)
    target_link_libraries(${name} PRIVATE $<TARGET_PROPERTY:${target},LINK_LIBRARIES>)
  endforeach()
  # The scripts' own #include lines name files beside them.
  target_include_directories(${name} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE vexprepro::vextp)
  # The driver's #pragma zentor lines are for the report tools, not the compiler.
  set_source_files_properties("${driver}" TARGET_DIRECTORY ${name} PROPERTIES
    COMPILE_OPTIONS "-Wno-unknown-pragmas")

  _vex_add_ctest("${name}" "${dir}" "${tdf}")
endfunction()

# Adds to `sources`, `instrument` and `include_dirs` those of library `target`: its
# sources (relative to its directory) and its own and public include directories.
function(_vex_target_files target sources instrument include_dirs)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "vex_add_test: LINK `${target}' is not a target")
  endif()
  get_target_property(target_dir ${target} SOURCE_DIR)
  get_target_property(files ${target} SOURCES)
  foreach(file IN LISTS files)
    if(NOT file MATCHES "\\$<")
      get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${target_dir}")
      list(APPEND ${sources} "${file}")
      list(APPEND ${instrument} "${file}")
    endif()
  endforeach()
  get_target_property(own ${target} INCLUDE_DIRECTORIES)
  get_target_property(public ${target} INTERFACE_INCLUDE_DIRECTORIES)
  foreach(d IN LISTS own public)
    if(d MATCHES "^\\$<BUILD_INTERFACE:(.*)>$")
      set(d "${CMAKE_MATCH_1}")
    endif()
    if(IS_ABSOLUTE "${d}" AND NOT d MATCHES "\\$<")
      list(APPEND ${include_dirs} "${d}")
    endif()
  endforeach()
  foreach(v IN ITEMS sources instrument include_dirs)
    set(${${v}} ${${${v}}} PARENT_SCOPE)
  endforeach()
endfunction()

# The base directory of the copies: BASE, or the deepest one holding the files to weave
# and the LINK targets' include directories, where the headers woven with their sources
# are (the driver's own directory when there are none). The driver's copy goes below it too
# when it lies there, else by its file name straight into the woven directory.
function(_vex_base files out)
  if(VEX_BASE)
    get_filename_component(base "${VEX_BASE}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  elseif(files)
    list(GET files 0 first)
    get_filename_component(base "${first}" DIRECTORY)
    foreach(file IN LISTS files)
      _vex_common_directory("${base}" "${file}" base)
    endforeach()
  else()
    get_filename_component(base "${driver}" DIRECTORY)
  endif()
  set(${out} "${base}" PARENT_SCOPE)
endfunction()

# The woven copies of the include directories: each known one, and each directory
# between an instrumented header and the base, comes first as its copy. Sets `shadows`.
macro(_vex_shadows)
  set(holders ${include_dirs})
  foreach(file IN LISTS instrumented)
    if(file MATCHES "\\.(h|hh|hpp|hxx|h\\+\\+|inl|ipp|tpp)$")
      get_filename_component(d "${file}" DIRECTORY)
      while(d MATCHES "^${base_regex}(/|$)")
        list(APPEND holders "${d}")
        get_filename_component(parent "${d}" DIRECTORY)
        if(parent STREQUAL d)
          break()
        endif()
        set(d "${parent}")
      endwhile()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES holders)
  foreach(d IN LISTS holders)
    if(d MATCHES "^${base_regex}(/|$)")
      file(RELATIVE_PATH relative "${base}" "${d}")
      list(APPEND shadows "${woven}/${relative}")
    endif()
  endforeach()
endmacro()

# Weaves the driver and the `instrument` files of vex_add_test into copies below
# <dir>/woven, and builds the copies: sets `driver`, `sources` and `shadows`.
macro(_vex_weave)
  set(instrumented "")
  foreach(file IN LISTS instrument)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND instrumented "${file}")
  endforeach()
  set(holders ${instrumented} ${include_dirs})
  list(REMOVE_ITEM holders "${CMAKE_CURRENT_SOURCE_DIR}")  # the tests' own, unless listed
  _vex_base("${holders}" base)
  set(base_regex "")  # what starts the paths below the base, "/" left out
  if(NOT base STREQUAL "/")
    string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" base_regex "${base}")
  endif()
  set(woven "${dir}/woven")
  if(driver MATCHES "^${base_regex}/")
    file(RELATIVE_PATH driver_relative "${base}" "${driver}")
  else()
    get_filename_component(driver_relative "${driver}" NAME)
  endif()
  set(woven_driver "${woven}/${driver_relative}")
  set(units "${driver}")
  set(woven_outputs "${woven_driver}")
  foreach(file IN LISTS instrumented)
    if(NOT file MATCHES "^${base_regex}(/|$)")
      message(FATAL_ERROR "vex_add_test: `${file}' is outside BASE `${base}'")
    endif()
    file(RELATIVE_PATH relative "${base}" "${file}")
    list(APPEND woven_outputs "${woven}/${relative}")
    if(NOT file MATCHES "\\.(h|hh|hpp|hxx|h\\+\\+|inl|ipp|tpp)$")
      list(APPEND units "${file}")
      list(REMOVE_ITEM sources "${file}")  # the woven copy is compiled instead
      list(APPEND sources "${woven}/${relative}")
    endif()
  endforeach()
  _vex_shadows()
  _vex_instr_command()
  set(driver "${woven_driver}")
endmacro()

# The command weaving `units` with the include path and definitions the build gives
# them, the copies themselves left out.
macro(_vex_instr_command)
  set(stamp "${dir}/woven.stamp")
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" woven_regex "${woven}")
  set(includes "$<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>")
  set(includes "$<FILTER:${includes},EXCLUDE,^${woven_regex}(/|$)>")
  set(defines "$<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>")
  set(standard "$<TARGET_PROPERTY:${name},CXX_STANDARD>")
  add_custom_command(
    OUTPUT "${stamp}" ${woven_outputs}
    COMMAND $<TARGET_FILE:vexprepro::vexinstr> -i "${oti}" -o "${woven}" -b "${base}"
            -MF "${dir}/woven.d" -MT "${stamp}" ${units}
            -- "-std=c++$<IF:$<BOOL:${standard}>,${standard},17>" "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>"
            "$<$<BOOL:${defines}>:-D$<JOIN:${defines},;-D>>"
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS "${oti}" "${driver}" ${instrumented} vexprepro::vexinstr
    DEPFILE "${dir}/woven.d"
    WORKING_DIRECTORY "${dir}"
    COMMENT "vexinstr: ${name}"
    COMMAND_EXPAND_LISTS
    VERBATIM)
endmacro()

# The CTest tests of driver target `name`: one running the whole driver, or with
# DISCOVER_CASES one per TEST CASE, read from the ctest file the build writes. Uses the
# caller's VEX_ISOLATE, VEX_TIMEOUT, VEX_PROPERTIES and VEX_DISCOVER_CASES.
function(_vex_add_ctest name dir tdf)
  if(VEX_TIMEOUT AND NOT VEX_TIMEOUT MATCHES "^[0-9]+$")
    message(FATAL_ERROR "vex_add_test: TIMEOUT wants whole seconds, not `${VEX_TIMEOUT}'")
  endif()
  set(run -DDRIVER=$<TARGET_FILE:${name}> -DREPORT=$<TARGET_FILE:vexprepro::vexreport>
          -DLISTINGS=${dir} -DISOLATE=${VEX_ISOLATE} -DVEX_TIMEOUT=${VEX_TIMEOUT})
  if(NOT VEX_DISCOVER_CASES)
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} ${run} "-DTDF=${tdf}" "-DJUNIT=${dir}/${name}.junit.xml"
              -P "${VEX_RUN_TEST_SCRIPT}"
      WORKING_DIRECTORY "${dir}")
    if(VEX_PROPERTIES)
      set_tests_properties(${name} PROPERTIES ${VEX_PROPERTIES})
    endif()
    return()
  endif()
  # The build writes the tests; ctest reads them through the include file, which says
  # so in a failing test while the driver was never built.
  set(tests "${dir}/${name}_cases.cmake")
  set(include "${dir}/${name}_include.cmake")
  set(properties "")
  foreach(p IN LISTS VEX_PROPERTIES)  # an escaped semicolon stays one value
    string(REPLACE "\"" "\\\"" p "${p}")
    string(REPLACE "$" "\\$" p "${p}")
    string(APPEND properties " \"${p}\"")
  endforeach()
  set(text "if(EXISTS \"${tests}\")\n  include(\"${tests}\")\n")
  if(VEX_PROPERTIES)
    string(APPEND text "  if(_vex_cases)\n"
                       "    set_tests_properties(\${_vex_cases} PROPERTIES${properties})\n"
                       "  endif()\n")
  endif()
  string(APPEND text "else()\n  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  file(WRITE "${include}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include}")
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} ${run} "-DNAME=${name}" "-DOUT=${tests}"
            "-DCTEST_CMAKE=${CMAKE_COMMAND}" "-DRUN_SCRIPT=${VEX_RUN_TEST_SCRIPT}"
            -P "${VEX_DISCOVER_SCRIPT}"
    WORKING_DIRECTORY "${dir}"
    BYPRODUCTS "${tests}"
    VERBATIM)
endfunction()
