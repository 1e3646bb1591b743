# Fails when one of EXECUTABLES (a ;-list) loads Qt Gui or Qt Widgets, directly or through another
# library.
file(GET_RUNTIME_DEPENDENCIES
     EXECUTABLES ${EXECUTABLES}
     RESOLVED_DEPENDENCIES_VAR resolved
     UNRESOLVED_DEPENDENCIES_VAR unresolved)
list(LENGTH resolved count)
if(count EQUAL 0)
  message(FATAL_ERROR "no dependency found for ${EXECUTABLES}: the check cannot see the link")
endif()
set(widgets ${resolved} ${unresolved})
list(FILTER widgets INCLUDE REGEX "Qt[0-9]*(Gui|Widgets)")
if(widgets)
  list(JOIN widgets "\n  " widgets)
  message(FATAL_ERROR "a core test loads\n  ${widgets}")
endif()
list(JOIN resolved "\n  " resolved)
message(STATUS "core tests load only\n  ${resolved}")
