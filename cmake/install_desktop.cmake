# SPDX-License-Identifier: MIT
# Writes rallex.desktop at install time with the absolute paths of the install
# prefix in force then. Set by the caller: RALLEX_DESKTOP_TEMPLATE and the
# directories RALLEX_APPLICATIONSDIR, RALLEX_GAMEDATADIR and RALLEX_GAMESDIR
# (each relative to the prefix, or absolute).
foreach(v APPLICATIONSDIR GAMEDATADIR GAMESDIR)
  if(IS_ABSOLUTE "${RALLEX_${v}}")
    set(full_${v} "${RALLEX_${v}}")
  else()
    set(full_${v} "${CMAKE_INSTALL_PREFIX}/${RALLEX_${v}}")
  endif()
endforeach()
set(RALLEX_DATA_PATH "${full_GAMEDATADIR}")
set(RALLEX_COMMAND "${full_GAMESDIR}/rallex")
set(dest "$ENV{DESTDIR}${full_APPLICATIONSDIR}/rallex.desktop")
message(STATUS "Installing: ${dest}")
configure_file("${RALLEX_DESKTOP_TEMPLATE}" "${dest}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${dest}")
