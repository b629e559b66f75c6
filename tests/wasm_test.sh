#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tests/wasm_test.sh [BUILD_DIR]: builds the platform and media layers and
# their unit tests for WebAssembly on the headless backend (emscripten, with
# FreeType as scripts/web builds it and GoogleTest from Debian's source), then
# runs them under node at each processor level of the WebAssembly build.
# Exits non-zero when the build or any test fails.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-wasm-test}"
. "$root/tests/cross_levels.sh"
deps="${RALLEX_WEB_DEPS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/rallex-web}"
# Debian's emscripten finds its JavaScript modules (acorn) only here.
export NODE_PATH=/usr/share/nodejs

"$root/scripts/deps" || exit 1
"$root/scripts/web" --deps || exit 1

# emcmake would name "node --experimental-wasm-threads" as the emulator,
# an option today's node refuses; the toolchain file is named directly.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" -DRALLEX_WEB_FREETYPE="$deps/freetype" \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 -DCMAKE_C_FLAGS_DEBUG=-O1 \
    -DRALLEX_WERROR=ON -DRALLEX_HEADLESS_ONLY=ON -DRALLEX_BENCH=OFF >&2 || exit 1
fi
cmake --build "$dir" -j "$(nproc)" --target platform_tests media_tests >&2 || exit 1

cross_exclude_midi "the page's synthesiser is JavaScript that runs in the browser, not under node"
exclude 'GdiBitmap.EveryWrittenVariantReadsAsImageMagickReadsIt:GdiBitmap.AlphaChannelsAreKept:GdiBitmap.RewrittenHeadersReadTheSame:GdiBitmap.RunLengthEscapesReadAsImageMagickReadsThem:GdiBitmap.ResourcesHoldPackedDibsOrWholeFiles:GdiBitmap.LoadImageScalesToARequestedSize:GdiBitmap.StretchBltConvertsIntoTheSurfaceFormat:GdiBitmap.TruncatedFilesFailOrReadSafely:GdiBitmap.IconsAreReadByTheSameReader:ImageMagickPsd.*:BitmapStream.ReadsImageMagickBitmaps:BitmapStream.SizesOffsetsAndTruncation:BitmapStream.RunLengthBitmapsKeepTheirByteCount:SurfaceLoadTest.BitmapsMatchImageMagick:SurfaceLoadTest.SixteenBitDisplayConvertsColours:SurfaceLoadTest.PhotoshopFilesMatchImageMagick:SurfaceLoadTest.ResourceComesBeforeFile:SurfaceLoadTest.LibraryEntriesLoadInPlace:SurfaceLoadTest.LostPicturesAreReadAgain:SurfaceLoadTest.ReloadAndCopyBitmapReportFailures:SurfaceLoadTest.BitmapSurfacesPlainAndScaled:SurfaceLoadTest.Palettes:WavLayouts.*:*SoxWav.*:PresentationSettings.TheFileIsWrittenWholeOrNotAtAll' \
  "they run ImageMagick, sox or ls to make or check their files, and WebAssembly has no child processes"
exclude 'PresentationSettings.AConfigHomeThatIsAFileIsOneLine' \
  "emscripten's in-memory file system answers a path through a plain file with another error than Linux does"

# One CTest test a program: its own output (-V) shows what failed and the
# count of its tests that passed and were skipped (GTEST_BRIEF, without
# colours: node's output counts as a terminal).
run_at_level() {
  RALLEX_CPU="$1" GTEST_BRIEF=1 GTEST_COLOR=no cross_ctest "$dir" --timeout 900 -V
}
run_cross_levels wasm "$dir" run_at_level
