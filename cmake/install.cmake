# SPDX-License-Identifier: MIT
# Installation (GNUInstallDirs, relocatable) and the Debian package.
#
# Component "game": the rallex program with its pictures and sounds, a rallex
# command on the PATH, the desktop entry, the icons and the AppStream metadata.
# Component "dev": the media and platform headers under include/rallex, their
# static libraries, the CMake package Rallex and the pkg-config file rallex.pc.
include(CMakePackageConfigHelpers)

# Debian's layout for games: the command in games/ (on a player's PATH, as
# /usr/games and /usr/local/games are), the data in share/games/rallex, the
# program itself, started by the command, in libexec/rallex.
set(RALLEX_INSTALL_GAMESDIR "games" CACHE STRING "Where the rallex command goes (relative to the prefix)")
set(RALLEX_INSTALL_GAMEDATADIR "${CMAKE_INSTALL_DATADIR}/games/rallex" CACHE STRING
    "Where the game's pictures and sounds go (relative to the prefix)")
set(RALLEX_GAME_PROGRAMDIR "${CMAKE_INSTALL_LIBEXECDIR}/rallex")
set(RALLEX_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/Rallex")
set(RALLEX_APPID "io.github.rallex.Rallex")

# --- the game ---------------------------------------------------------------
install(TARGETS rallex RUNTIME DESTINATION "${RALLEX_GAME_PROGRAMDIR}" COMPONENT game)
file(GLOB RALLEX_ASSETS CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/assets/*.bmp"
                                          "${PROJECT_SOURCE_DIR}/assets/*.wav")
# The window icon is built into the program as a resource.
list(FILTER RALLEX_ASSETS EXCLUDE REGEX "/appicon\\.bmp$")
install(FILES ${RALLEX_ASSETS} DESTINATION "${RALLEX_INSTALL_GAMEDATADIR}" COMPONENT game)

# The rallex command finds the data directory and the program relative to its
# own place. Paths relative to the prefix are placed under one made-up root, so
# that the relative path between them does not depend on the prefix.
function(rallex_relative out from to)
  foreach(v from to)
    if(NOT IS_ABSOLUTE "${${v}}")
      set(${v} "/prefix/${${v}}")
    endif()
  endforeach()
  file(RELATIVE_PATH rel "${from}" "${to}")
  set(${out} "${rel}" PARENT_SCOPE)
endfunction()
rallex_relative(RALLEX_REL_DATA "${RALLEX_INSTALL_GAMESDIR}" "${RALLEX_INSTALL_GAMEDATADIR}")
rallex_relative(RALLEX_REL_PROGRAM "${RALLEX_INSTALL_GAMESDIR}" "${RALLEX_GAME_PROGRAMDIR}/rallex")
configure_file("${PROJECT_SOURCE_DIR}/dist/rallex.in" "${PROJECT_BINARY_DIR}/dist/rallex" @ONLY)
install(PROGRAMS "${PROJECT_BINARY_DIR}/dist/rallex" DESTINATION "${RALLEX_INSTALL_GAMESDIR}" COMPONENT game)

# The desktop entry names the data directory (Path=) and the command by their
# absolute paths, known only when installing (cmake --install --prefix can move
# the prefix), so it is written then.
install(CODE "
  set(RALLEX_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/dist/rallex.desktop.in\")
  set(RALLEX_APPLICATIONSDIR \"${CMAKE_INSTALL_DATADIR}/applications\")
  set(RALLEX_GAMEDATADIR \"${RALLEX_INSTALL_GAMEDATADIR}\")
  set(RALLEX_GAMESDIR \"${RALLEX_INSTALL_GAMESDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/install_desktop.cmake\")
  " COMPONENT game)

# The icon is drawn once as SVG; the PNGs are that drawing rendered at each
# size (rsvg-convert -w N -h N dist/icons/rallex.svg), not one picture scaled.
foreach(size 32 48 256)
  install(FILES "${PROJECT_SOURCE_DIR}/dist/icons/rallex-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME rallex.png COMPONENT game)
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/dist/icons/rallex.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" COMPONENT game)
configure_file("${PROJECT_SOURCE_DIR}/dist/${RALLEX_APPID}.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/dist/${RALLEX_APPID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/dist/${RALLEX_APPID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo" COMPONENT game)

# --- the media layer as a library ---------------------------------------------
set(RALLEX_INSTALLED_LIBRARIES media platform platform_sdl platform_headless platform_testing platform_main)
install(TARGETS ${RALLEX_INSTALLED_LIBRARIES}
        EXPORT RallexTargets
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT dev
        OBJECTS DESTINATION "${CMAKE_INSTALL_LIBDIR}/rallex" COMPONENT dev)
# pkg-config has no object sets: the desktop backend is also an archive, which
# rallex.pc links whole.
add_library(platform_sdl_archive STATIC $<TARGET_OBJECTS:platform_sdl>)
set_target_properties(platform_sdl_archive PROPERTIES OUTPUT_NAME rallex_platform_sdl)
install(TARGETS platform_sdl_archive ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT dev)
# The public headers only (src/media/CMakeLists.txt lists them).
install(FILES ${RALLEX_MEDIA_HEADERS} DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/rallex/media" COMPONENT dev)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/platform/include/platform/"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/rallex/platform" COMPONENT dev
        FILES_MATCHING PATTERN "*.h")
install(EXPORT RallexTargets NAMESPACE Rallex:: DESTINATION "${RALLEX_CMAKEDIR}" COMPONENT dev)
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/RallexConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/cmake/RallexConfig.cmake" INSTALL_DESTINATION "${RALLEX_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/cmake/RallexConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/cmake/RallexConfig.cmake"
              "${PROJECT_BINARY_DIR}/cmake/RallexConfigVersion.cmake"
        DESTINATION "${RALLEX_CMAKEDIR}" COMPONENT dev)

rallex_relative(RALLEX_PC_TO_PREFIX "${CMAKE_INSTALL_LIBDIR}/pkgconfig" "")
string(REGEX REPLACE "/$" "" RALLEX_PC_TO_PREFIX "${RALLEX_PC_TO_PREFIX}")
configure_file("${PROJECT_SOURCE_DIR}/cmake/rallex.pc.in" "${PROJECT_BINARY_DIR}/dist/rallex.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/dist/rallex.pc"
        DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT dev)

# --- the Debian packages (scripts/package) ------------------------------------
# Two packages: rallex, the game, and librallex-dev, the media layer for
# programmers. The game depends only on what the game uses: the MIDI
# synthesiser is loaded when a program opens a MIDI device, and the game
# plays no music.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rallex)
set(CPACK_PACKAGE_VENDOR "The Rallex developers")
# The maintainer field; set RALLEX_MAINTAINER to the address that answers.
set(RALLEX_MAINTAINER "Rallex developers <rallex-devel@example.org>" CACHE STRING
    "Maintainer of the Debian package: name <address>")
set(CPACK_PACKAGE_CONTACT "${RALLEX_MAINTAINER}")
# Each package's description is its summary line, then the long text. (A
# CPACK_PACKAGE_DESCRIPTION_SUMMARY would be put before both.)
string(CONCAT CPACK_DEBIAN_GAME_DESCRIPTION
  "one-player paddle-and-ball arcade game\n"
  "Move your paddle along the bottom of the court with the mouse and hit the\n"
  "ball back past the computer's paddle at the top. Where the ball meets the\n"
  "paddle decides its angle. The ball and the computer speed up as the rally\n"
  "goes on, and the first side to 10 points wins.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME rallex)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
# The X core fonts that the error and question boxes are drawn with.
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "xfonts-base")
# The score lines ask for Arial, which fontconfig finds as Liberation Sans.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME librallex-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# Static libraries: what a program built on them links comes from these.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsdl2-dev, libx11-dev, libfreetype-dev, libfontconfig-dev, libhwy-dev, pkgconf | pkg-config")
# The reference's pages link Debian's jQuery (docs/CMakeLists.txt).
if(TARGET docs)
  string(APPEND CPACK_DEBIAN_DEV_PACKAGE_DEPENDS ", libjs-jquery")
endif()
# Music: the synthesiser loaded at run time, and the sound font it plays with.
set(CPACK_DEBIAN_DEV_PACKAGE_RECOMMENDS "libfluidsynth3")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "fluid-soundfont-gm")
string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
  "Rallex media layer: development files\n"
  "Display and off-screen surfaces with copies and effects, image loading, a\n"
  "bitmap font, keyboard, mouse and joystick input, sampled sound, MIDI music\n"
  "and error reporting, written for late-1990s Windows and run on Linux on a\n"
  "platform layer of its own: headers, static libraries, a CMake package and a\n"
  "pkg-config file.")
# What Debian asks of every package beside the files: the copyright, a change
# log and (the game's) manual page, compressed without names or times.
foreach(component "game;rallex" "dev;librallex-dev")
  list(GET component 0 c)
  list(GET component 1 package)
  install(FILES "${PROJECT_SOURCE_DIR}/dist/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
          COMPONENT ${c})
  install(FILES "${PROJECT_BINARY_DIR}/dist/changelog.gz" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}"
          COMPONENT ${c})
endforeach()
find_program(RALLEX_GZIP gzip REQUIRED)
foreach(name changelog rallex.6)
  set(out "${PROJECT_BINARY_DIR}/dist/${name}.gz")
  add_custom_command(OUTPUT "${out}"
    COMMAND "${RALLEX_GZIP}" -9n -c "${PROJECT_SOURCE_DIR}/dist/${name}" > "${out}"
    DEPENDS "${PROJECT_SOURCE_DIR}/dist/${name}" VERBATIM)
  list(APPEND RALLEX_DOCS "${out}")
endforeach()
install(FILES "${PROJECT_BINARY_DIR}/dist/rallex.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6" COMPONENT game)
add_custom_target(rallex_docs ALL DEPENDS ${RALLEX_DOCS})
# Everything the install above takes from the build, and nothing else:
# scripts/package builds this one target, so that the list cannot drift from
# the install's.
add_custom_target(rallex_installed)
add_dependencies(rallex_installed rallex rallex_docs platform_sdl_archive ${RALLEX_INSTALLED_LIBRARIES})
if(TARGET docs)
  add_dependencies(rallex_installed docs)
endif()
include(CPack)
