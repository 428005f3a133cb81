# The menu's icons: the scalable one as drawn, and PNGs of the sizes that
# desktops without SVG support and software centres look for, rendered from
# it so that there is one drawing to change.
set(TALLOWICK_ICON ${CMAKE_CURRENT_SOURCE_DIR}/tallowick.svg)
install(FILES ${TALLOWICK_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

find_program(TALLOWICK_RSVG_CONVERT rsvg-convert)
if(NOT TALLOWICK_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) is missing; it renders "
    "the PNG icons from ${TALLOWICK_ICON}")
endif()
set(rendered_icons)
foreach(size 48 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/tallowick.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory icons/${size}x${size}
    COMMAND ${TALLOWICK_RSVG_CONVERT} --width ${size} --height ${size} --format png
      --output ${png} ${TALLOWICK_ICON}
    DEPENDS ${TALLOWICK_ICON}
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
  list(APPEND rendered_icons ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tallowick_icons ALL DEPENDS ${rendered_icons})
