# Run by cpack before it makes the Debian package (CPACK_PROJECT_CONFIG_FILE):
# the shared libraries the installed programs link, as dpkg-shlibdeps names
# their packages, join the package's dependencies. CPack's own
# CPACK_DEBIAN_PACKAGE_SHLIBDEPS would find the same, but it also takes the
# maker's two libraries in /usr/lib/tallowick for public ones and has the
# package's maintainer scripts call ldconfig, which a private folder does
# not need.
if(CPACK_GENERATOR STREQUAL "DEB")
  include(${CPACK_TALLOWICK_ELF_FILES_LIST})
  set(shlibdeps_dir ${CPACK_PACKAGE_DIRECTORY}/_shlibdeps)
  file(REMOVE_RECURSE ${shlibdeps_dir})
  # dpkg-shlibdeps looks for the source package's control file.
  file(WRITE ${shlibdeps_dir}/debian/control "")
  execute_process(COMMAND dpkg-shlibdeps -O ${TALLOWICK_ELF_FILES}
    WORKING_DIRECTORY ${shlibdeps_dir}
    OUTPUT_VARIABLE shlibdeps ERROR_VARIABLE shlibdeps_errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT shlibdeps MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps found no dependencies of ${TALLOWICK_ELF_FILES} "
      "(status ${status}): ${shlibdeps_errors}")
  endif()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
  file(REMOVE_RECURSE ${shlibdeps_dir})
endif()
