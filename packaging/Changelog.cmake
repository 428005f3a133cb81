# packaging/changelog is the record of releases. Its newest entry must be
# the version project() sets, and that entry's date is the release's date
# the manual page and the AppStream data give.
#
#   tallowick_release_date(CHANGELOG VERSION OUTPUT_VARIABLE)
function(tallowick_release_date changelog version output_variable)
  file(STRINGS ${changelog} lines)
  list(GET lines 0 heading)
  if(NOT heading MATCHES "^tallowick \\(([^)]+)\\) [a-z-]+; urgency=[a-z]+$")
    message(FATAL_ERROR "${changelog}: the first line, \"${heading}\", is not an entry's "
      "heading \"tallowick (VERSION) DISTRIBUTION; urgency=URGENCY\"")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL version)
    message(FATAL_ERROR "${changelog}: the newest entry is version ${CMAKE_MATCH_1}, but "
      "project() says ${version}; add an entry for ${version}")
  endif()

  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  foreach(line IN LISTS lines)
    if(line MATCHES "^ -- .+ <.+>  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
      set(day ${CMAKE_MATCH_1})
      set(year ${CMAKE_MATCH_3})
      list(FIND months ${CMAKE_MATCH_2} month)
      if(month EQUAL -1)
        message(FATAL_ERROR "${changelog}: \"${CMAKE_MATCH_2}\" in \"${line}\" is no month")
      endif()
      math(EXPR month "${month} + 1")
      if(month LESS 10)
        set(month 0${month})
      endif()
      if(day LESS 10 AND NOT day MATCHES "^0")
        set(day 0${day})
      endif()
      set(${output_variable} ${year}-${month}-${day} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "${changelog}: the newest entry has no trailer line "
    "\" -- NAME <ADDRESS>  DAY, DD MON YYYY HH:MM:SS +ZZZZ\"")
endfunction()
