# cmake/translations.cmake: compiles translations/*.ts into .qm files with Qt's lrelease,
# straight into the staged tree ${CMAKE_BINARY_DIR}/stage/lib/locale (the tests run with
# TARVELODIR=${CMAKE_BINARY_DIR}/stage), and installs them into lib/locale.
set(VEX_STAGE_LOCALE_DIR ${CMAKE_BINARY_DIR}/stage/lib/locale)
# The directory must exist even without translations: the tool refuses to start without it.
file(MAKE_DIRECTORY ${VEX_STAGE_LOCALE_DIR})
install(DIRECTORY DESTINATION lib/locale)

file(GLOB VEX_TS_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/translations/*.ts)
find_package(Qt6 QUIET COMPONENTS LinguistTools)
if(NOT TARGET Qt6::lrelease)
  message(WARNING "Qt6 LinguistTools not found (install qt6-l10n-tools and qt6-tools-dev): "
                  "no translation files are built; the tool then speaks English only.")
  return()
endif()

set_source_files_properties(${VEX_TS_FILES} PROPERTIES OUTPUT_LOCATION ${VEX_STAGE_LOCALE_DIR})
# The .qm files are built with the tool (vexprepro depends on vexprepro_lrelease).
qt_add_lrelease(vexprepro TS_FILES ${VEX_TS_FILES} OPTIONS -silent
                QM_FILES_OUTPUT_VARIABLE VEX_QM_FILES)
install(FILES ${VEX_QM_FILES} DESTINATION lib/locale)
