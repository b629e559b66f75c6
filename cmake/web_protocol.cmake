# SPDX-License-Identifier: MIT
# The browser backend's two sides from one source each.
#
# rallex_web_protocol(DEF JS): writes JS, a JavaScript library that defines
# RWP with the event codes, the fields' places in an event's row and the
# scalings of DEF (platform/src/backend/web/protocol.def), which the C++ side
# includes as it is. Written again only when DEF changes what it says.
function(rallex_web_protocol def js)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${def}")
  file(STRINGS "${def}" lines REGEX "^RALLEX_WEB_[A-Z]+\\(")
  set(events "")
  set(fields "")
  set(scalings "")
  set(field 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^RALLEX_WEB_EVENT\\(([A-Za-z]+), *([0-9]+)\\)")
      string(APPEND events "      ${CMAKE_MATCH_1}: ${CMAKE_MATCH_2},\n")
    elseif(line MATCHES "^RALLEX_WEB_FIELD\\(([a-z]+)\\)")
      math(EXPR field "${field} + 1")
      string(APPEND fields "      ${CMAKE_MATCH_1}: ${field},\n")
    elseif(line MATCHES "^RALLEX_WEB_SCALING\\(([a-z]+), *[A-Za-z]+\\)")
      string(APPEND scalings "'${CMAKE_MATCH_1}', ")
    else()
      message(FATAL_ERROR "${def}: not understood: ${line}")
    endif()
  endforeach()
  math(EXPR ints "${field} + 1")
  string(REGEX REPLACE ", $" "" scalings "${scalings}")
  file(CONFIGURE OUTPUT "${js}" @ONLY CONTENT "// Made by the build from protocol.def (cmake/web_protocol.cmake).
mergeInto(LibraryManager.library, {
  $RWP: {
    // Event codes by the backend's names.
    events: {
${events}    },
    // Each field's place in an event's row; the code is at 0.
    fields: {
${fields}    },
    eventInts: ${ints},
    // The page's names of the scalings, in the backend's order.
    scalings: [${scalings}]
  }
});
")
endfunction()

# rallex_web_async_imports(VAR LIBRARY...): the functions of the JavaScript
# libraries that suspend the program (marked NAME__async: true beside their
# definition), as the comma-separated list that -sASYNCIFY_IMPORTS takes.
function(rallex_web_async_imports var)
  set(names "")
  foreach(library IN LISTS ARGN)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${library}")
    file(STRINGS "${library}" marks REGEX "^ *[A-Za-z_0-9]+__async: *true")
    foreach(mark IN LISTS marks)
      string(REGEX REPLACE "^ *([A-Za-z_0-9]+)__async.*" "\\1" name "${mark}")
      list(APPEND names "${name}")
    endforeach()
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "No function of ${ARGN} is marked __async: true")
  endif()
  list(JOIN names "," joined)
  set(${var} "${joined}" PARENT_SCOPE)
endfunction()
