# The automation interface's description, link/Tallowick.Automation.xml, is
# the one source of both the file installed for callers and what the served
# objects answer to Introspect: this writes its <interface> element into a
# header, again whenever the file changes.
set(TALLOWICK_INTERFACE_XML ${CMAKE_CURRENT_SOURCE_DIR}/Tallowick.Automation.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TALLOWICK_INTERFACE_XML})

file(READ ${TALLOWICK_INTERFACE_XML} description)
string(FIND "${description}" "<interface " first)
string(FIND "${description}" "<interface " last REVERSE)
set(closing "</interface>")
string(FIND "${description}" "${closing}" end REVERSE)
if(first EQUAL -1 OR end EQUAL -1 OR NOT first EQUAL last)
  message(FATAL_ERROR "${TALLOWICK_INTERFACE_XML} must hold exactly one <interface> element")
endif()
string(LENGTH "${closing}" closing_length)
math(EXPR length "${end} + ${closing_length} - ${first}")
string(SUBSTRING "${description}" ${first} ${length} interface)
if(interface MATCHES "\\)xml\"")
  message(FATAL_ERROR "${TALLOWICK_INTERFACE_XML} holds )xml\", which ends the header's raw string")
endif()

file(CONFIGURE OUTPUT ${TALLOWICK_GENERATED_DIR}/link/AutomationInterface.h
  CONTENT "#pragma once

// Written by link/AutomationInterface.cmake from link/Tallowick.Automation.xml;
// edit that file.
namespace host::dbus {

// The <interface> element of the automation interface's description, as the
// installed file has it.
inline constexpr char kInterfaceDescription[] = R\"xml(@interface@)xml\";

} // namespace host::dbus
" @ONLY)

# The packaging installs the file itself.
set(TALLOWICK_INTERFACE_XML ${TALLOWICK_INTERFACE_XML} PARENT_SCOPE)
