# The Windows poppler that the release carries beside the viewer, laid out in
# <build>/bundled-poppler as it is shipped (the two tools, the libraries they
# load, share/poppler) from the package scripts/windows-poppler unpacks. The
# release packs this folder as poppler\; the tests run these very files.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-poppler --path
                OUTPUT_VARIABLE ORVA_WINDOWS_POPPLER_DEFAULT OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ORVA_WINDOWS_POPPLER ${ORVA_WINDOWS_POPPLER_DEFAULT} CACHE PATH
    "The unpacked Windows poppler (Library/bin, share/poppler)")
set(ORVA_BUNDLED_POPPLER ${CMAKE_BINARY_DIR}/bundled-poppler)
add_custom_command(
  OUTPUT ${ORVA_BUNDLED_POPPLER}/pdftoppm.exe
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/stage-poppler ${ORVA_WINDOWS_POPPLER} ${ORVA_BUNDLED_POPPLER}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/stage-poppler
  COMMENT "Laying out the bundled poppler in ${ORVA_BUNDLED_POPPLER}"
  VERBATIM)
add_custom_target(bundled_poppler ALL DEPENDS ${ORVA_BUNDLED_POPPLER}/pdftoppm.exe)
