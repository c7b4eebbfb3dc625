# Resources of the Windows programs, made from the project's version:
#   ORVA_READER_RC    the viewer's icon, application manifest and version
#                     information
#   orva_version_rc() version information for another program
include(${CMAKE_CURRENT_LIST_DIR}/icon.cmake)

set(ORVA_COMPANY "The OrvaReader authors")
set(ORVA_COPYRIGHT "Copyright (C) 2026 The OrvaReader authors")
set(ORVA_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(ORVA_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
set(ORVA_RC_TEMPLATE ${CMAKE_SOURCE_DIR}/src/resources/program.rc.in)

# Writes <resources>/NAME.rc: version information of NAME.exe, whose
# description is DESCRIPTION, followed by whatever else EXTRA declares.
function(orva_version_rc name description extra out)
  set(ORVA_RC_NAME ${name})
  set(ORVA_RC_FILENAME ${name}.exe)
  set(ORVA_RC_DESCRIPTION ${description})
  set(ORVA_RC_EXTRA ${extra})
  set(rc ${ORVA_RESOURCE_DIR}/${name}.rc)
  configure_file(${ORVA_RC_TEMPLATE} ${rc} @ONLY)
  set(${out} ${rc} PARENT_SCOPE)
endfunction()

# The manifest is resource 1 of type 24 (RT_MANIFEST): Windows reads it when
# the program starts.
set(ORVA_READER_MANIFEST ${ORVA_RESOURCE_DIR}/OrvaReader.manifest)
configure_file(${CMAKE_SOURCE_DIR}/src/resources/OrvaReader.manifest.in ${ORVA_READER_MANIFEST} @ONLY)
orva_version_rc(OrvaReader "OrvaReader document viewer"
  "1 ICON \"${ORVA_ICON_ICO}\"\n1 24 \"${ORVA_READER_MANIFEST}\"\n" ORVA_READER_RC)
set_source_files_properties(${ORVA_READER_RC} PROPERTIES OBJECT_DEPENDS "${ORVA_ICON_ICO};${ORVA_READER_MANIFEST}")
