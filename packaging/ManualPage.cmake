# The host's manual page, written by tallowick-manual (packaging/manual) and
# compressed as Debian keeps manual pages.
set(TALLOWICK_MANUAL ${CMAKE_CURRENT_BINARY_DIR}/tallowick.1.gz)
add_custom_command(OUTPUT ${TALLOWICK_MANUAL}
  COMMAND tallowick_manual tallowick.1
    --date ${TALLOWICK_RELEASE_DATE}
    --summary ${PROJECT_DESCRIPTION}
    --description-file ${TALLOWICK_DESCRIPTION_FILE}
    --application-dir ${TALLOWICK_PACKAGE_PREFIX}/${TALLOWICK_INSTALL_APP_DIR}
    --interface-file ${TALLOWICK_PACKAGE_PREFIX}/${TALLOWICK_INTERFACE_DIR}/${TALLOWICK_INTERFACE_FILE_NAME}
  COMMAND gzip -9nf tallowick.1
  DEPENDS tallowick_manual ${TALLOWICK_DESCRIPTION_FILE}
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_target(tallowick_manual_page ALL DEPENDS ${TALLOWICK_MANUAL})
install(FILES ${TALLOWICK_MANUAL} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
