# The program icon is drawn from an SVG at every size the icon group holds and
# packed into one .ico of 32-bit images.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(ORVA_ICON_SVG ${CMAKE_SOURCE_DIR}/src/resources/orva.svg)
set(ORVA_ICON_SIZES 16 24 32 48 64 128 256)
set(ORVA_ICON_PNGS)
foreach(size ${ORVA_ICON_SIZES})
  set(png ${CMAKE_BINARY_DIR}/icon/orva-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png --output=${png} ${ORVA_ICON_SVG}
    DEPENDS ${ORVA_ICON_SVG} VERBATIM)
  list(APPEND ORVA_ICON_PNGS ${png})
endforeach()
set(ORVA_ICON_ICO ${CMAKE_BINARY_DIR}/icon/orva.ico)
add_custom_command(OUTPUT ${ORVA_ICON_ICO}
  COMMAND ${ICOTOOL} --create --output=${ORVA_ICON_ICO} ${ORVA_ICON_PNGS}
  DEPENDS ${ORVA_ICON_PNGS} VERBATIM)
