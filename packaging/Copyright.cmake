# The package's copyright file, in Debian's machine-readable format, written
# from LICENSE at the repository's root: the notice and the licence's text
# are LICENSE's own.
#
#   tallowick_write_copyright(LICENSE OUTPUT)
function(tallowick_write_copyright licence_file output)
  file(READ ${licence_file} licence)
  if(NOT licence MATCHES "^MIT License\n")
    message(FATAL_ERROR "${licence_file} does not start with \"MIT License\"; the copyright "
      "file names the licence as Expat, and packaging/Copyright.cmake must follow a change")
  endif()
  if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n")
    message(FATAL_ERROR "${licence_file} has no line \"Copyright (c) YEARS HOLDER\"")
  endif()
  set(notice ${CMAKE_MATCH_1})
  string(FIND "${licence}" "Permission is hereby granted" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${licence_file} has no licence text after its copyright line")
  endif()
  string(SUBSTRING "${licence}" ${start} -1 text)
  string(STRIP "${text}" text)
  # A field's continuation lines start with a space, and an empty one is " .".
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")

  file(CONFIGURE OUTPUT ${output} CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: tallowick

Files: *
Copyright: @notice@
License: Expat
 @text@
" @ONLY)
endfunction()
