# The Debian package of the install: `cpack` in a build folder makes it
# (scripts/package.sh does the whole job).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowick)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_VENDOR "Tallowick plug-in developers")
set(CPACK_PACKAGE_CONTACT "Tallowick plug-in developers <tallowick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Paint and animation host with the Cinderloom and Marrowset plug-ins")
set(CPACK_PACKAGE_DESCRIPTION "The host tallowick, its plug-ins Cinderloom_pm (a roll of \
film made of the host's frames) and Marrowset_pm (a held brush applied to the host's image), \
and the filter and scaling libraries they bind at run time.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt and C++ libraries the programs link come from dpkg-shlibdeps. It
# cannot see what they only reach at run time: the session bus the host
# serves on, the picture formats beyond Qt's own, and the font the designed
# boxes are measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus-daemon, qt6-image-formats-plugins, fonts-liberation2")

include(CPack)
