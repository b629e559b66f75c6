# SPDX-License-Identifier: MIT
# Installation of the browser build: the media layer and its platform layer
# for a porter's own program, built with emscripten's toolchain file against
# this prefix (find_package(Rallex) as on the desktop, with Rallex::platform_web
# as the backend), and the page that starts such a program (?program=NAME).
# FreeType, built with emcc by scripts/web, is installed with them.
install(TARGETS media platform platform_web platform_main
        EXPORT RallexTargets
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
        OBJECTS DESTINATION "${CMAKE_INSTALL_LIBDIR}/rallex")
install(FILES ${RALLEX_MEDIA_HEADERS} DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/rallex/media")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/platform/include/platform/"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/rallex/platform" FILES_MATCHING PATTERN "*.h")
install(FILES "${RALLEX_WEB_FREETYPE}/lib/libfreetype.a" DESTINATION "${CMAKE_INSTALL_LIBDIR}/rallex-web")
install(DIRECTORY "${RALLEX_WEB_FREETYPE}/include/freetype2/"
        DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/rallex-web/freetype2")
install(FILES ${RALLEX_WEB_JS_LIBRARIES} DESTINATION "${CMAKE_INSTALL_DATADIR}/rallex/web")
# The page with what it serves beside a program (built into web/ of the build;
# its page and licences page are those for any program, from web-installed/),
# and the server of scripts/web for trying it (node share/rallex/web/serve.mjs
# FOLDER).
set(page "${CMAKE_BINARY_DIR}/web")
install(FILES "${CMAKE_BINARY_DIR}/web-installed/index.html" "${CMAKE_BINARY_DIR}/web-installed/licenses.html"
              "${page}/page.js" "${page}/icon.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/rallex/web/page")
install(DIRECTORY "${page}/licenses" "${page}/fonts" "${page}/soundfonts" "${page}/synth" "${page}/sources"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/rallex/web/page")
install(FILES "${PROJECT_SOURCE_DIR}/web/serve.mjs" DESTINATION "${CMAKE_INSTALL_DATADIR}/rallex/web")

set(RALLEX_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/Rallex")
install(EXPORT RallexTargets NAMESPACE Rallex:: DESTINATION "${RALLEX_CMAKEDIR}")
include(CMakePackageConfigHelpers)
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/RallexConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/cmake/RallexConfig.cmake" INSTALL_DESTINATION "${RALLEX_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/cmake/RallexConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/cmake/RallexConfig.cmake" "${PROJECT_BINARY_DIR}/cmake/RallexConfigVersion.cmake"
        DESTINATION "${RALLEX_CMAKEDIR}")
