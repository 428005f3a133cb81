# The Debian package of the install: `cpack` in a build folder makes it
# (scripts/package.sh does the whole job, scripts/check-package.sh checks
# it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${TALLOWICK_VENDOR})
# The project has no mail address of its own: localhost says so instead of
# an address nobody reads (see lintian-overrides).
set(CPACK_PACKAGE_CONTACT "${TALLOWICK_VENDOR} <tallowick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which cpack
# reads with XML escapes ("host&apos;s").
file(READ ${TALLOWICK_DESCRIPTION_FILE} CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX ${TALLOWICK_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt and C++ libraries the programs link come from dpkg-shlibdeps, run on
# the built files when cpack runs (DebianDepends.cmake). It cannot see what
# they only reach at run time: the session bus the host serves on, the
# picture formats beyond Qt's own, and the font the designed boxes are
# measured in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus-daemon, qt6-image-formats-plugins, fonts-liberation2")
set(elf_files)
foreach(target IN LISTS TALLOWICK_INSTALLED_TARGETS)
  list(APPEND elf_files "$<TARGET_FILE:${target}>")
endforeach()
set(CPACK_TALLOWICK_ELF_FILES_LIST ${CMAKE_CURRENT_BINARY_DIR}/installed-elf-files.cmake)
file(GENERATE OUTPUT ${CPACK_TALLOWICK_ELF_FILES_LIST}
  CONTENT "set(TALLOWICK_ELF_FILES \"${elf_files}\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/DebianDepends.cmake)

include(CPack)
