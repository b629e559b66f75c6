# SPDX-License-Identifier: MIT
# The libraries of the browser build. FreeType is Debian's source built with
# emcc by scripts/web (RALLEX_WEB_FREETYPE is its install prefix). Font matching
# and the MIDI synthesiser have browser forms of their own inside the platform
# layer, so fontconfig and FluidSynth stand as empty targets here.
set(RALLEX_WEB_FREETYPE "" CACHE PATH "Install prefix of FreeType built with emcc")
if(NOT EXISTS "${RALLEX_WEB_FREETYPE}/lib/libfreetype.a")
  message(FATAL_ERROR "RALLEX_WEB_FREETYPE must name FreeType built with emcc (scripts/web builds it)")
endif()
add_library(PkgConfig::FREETYPE INTERFACE IMPORTED)
target_include_directories(PkgConfig::FREETYPE INTERFACE "${RALLEX_WEB_FREETYPE}/include/freetype2")
target_link_libraries(PkgConfig::FREETYPE INTERFACE "${RALLEX_WEB_FREETYPE}/lib/libfreetype.a")
add_library(PkgConfig::FONTCONFIG INTERFACE IMPORTED)
# Highway's headers only: the browser build calls nothing of its library (one
# target, WebAssembly SIMD, compiled in). They are Debian's, found through a
# directory of their own so that no other header of the desktop's comes along.
file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/web-include")
file(CREATE_LINK /usr/include/hwy "${PROJECT_BINARY_DIR}/web-include/hwy" SYMBOLIC)
add_library(PkgConfig::HWY INTERFACE IMPORTED)
target_include_directories(PkgConfig::HWY INTERFACE "${PROJECT_BINARY_DIR}/web-include")
add_compile_options(-msimd128)
# The Liberation faces that font matching hands out: the page serves them from
# its fonts/ folder, and the unit tests under node find them there too.
set(RALLEX_WEB_FONTS "/usr/share/fonts/truetype/liberation" CACHE PATH "Folder of the Liberation fonts")
