# The AppStream data of the desktop application: packaging/metainfo.xml.in
# with the project's version and summary, the release's date and the
# package's description (packaging/description.txt, a <p> a paragraph).
#
#   tallowick_write_metainfo(TEMPLATE DESCRIPTION_FILE OUTPUT)
# reads TALLOWICK_APPSTREAM_ID, TALLOWICK_APP_NAME, TALLOWICK_VENDOR,
# TALLOWICK_LICENSE_SPDX and TALLOWICK_RELEASE_DATE.
function(tallowick_write_metainfo template description_file output)
  file(READ ${description_file} description)
  string(STRIP "${description}" description)
  string(REPLACE "&" "&amp;" description "${description}")
  string(REPLACE "<" "&lt;" description "${description}")
  string(REPLACE ">" "&gt;" description "${description}")
  string(REGEX REPLACE "\n[ \t]*\n" "</p>\n    <p>" description "${description}")
  # What is left of line breaks joins the lines of a paragraph.
  string(REGEX REPLACE "([^>])\n" "\\1 " description "${description}")
  set(TALLOWICK_APPSTREAM_DESCRIPTION "    <p>${description}</p>")
  configure_file(${template} ${output} @ONLY)
endfunction()
