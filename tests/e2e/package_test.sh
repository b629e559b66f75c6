#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian packages: scripts/package builds them from this build, or in an
# empty one (RALLEX_BUILD_DIR; scripts/test does that) from nothing (lintian
# may find no error). The game's: dpkg-deb shows its files with the right
# modes and the library dependencies of its program, and nothing of music
# (the game plays none); unpacked into a temporary root, the game starts from
# another directory, shows the court and the score lines, and ends on Escape
# with status 0. The media layer's (librallex-dev): its headers, libraries,
# CMake and pkg-config files and its own copyright, the -dev packages its
# headers and libraries need, the synthesiser recommended; unpacked, the
# example builds against it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"

debs="$("$E2E_ROOT/scripts/package" "$BUILD_DIR" 2>"$WORK/package.log")" || fail "scripts/package failed: $(cat "$WORK/package.log")"
deb="$(sed -n 1p <<<"$debs")"
dev="$(sed -n 2p <<<"$debs")"
[ -f "$deb" ] && [ -f "$dev" ] || fail "scripts/package named no two packages ($debs)"
# lintian (run by scripts/package with --info) has nothing to say, not even a
# warning or a note.
! grep -E '^[EWI]: ' "$WORK/package.log" || fail "lintian is not silent about the packages"
echo "ok: lintian is silent"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "rallex" ] || fail "package name $(field Package)"
[ "$(field Section)" = "games" ] || fail "section $(field Section)"
# The libraries the program links, as Debian names their packages, each with a
# version from the symbols it uses; the font the score lines ask for.
depends="$(field Depends)"
for want in 'libsdl2-2\.0-0 (>= ' 'libx11-6' 'libfreetype6 (>= ' 'libfontconfig1 (>= ' 'libc6 (>= ' \
  'libstdc++6 (>= ' 'libhwy1 (>= ' 'fonts-liberation'; do
  grep -q "$want" <<<"$depends" || fail "Depends lacks $want: $depends"
done
! grep -q "fluid" <<<"$depends $(field Recommends)" || fail "the game asks for music it does not play: $depends; $(field Recommends)"
echo "ok: Depends: $depends"

# The media layer's package.
[ "$(dpkg-deb -f "$dev" Package)" = "librallex-dev" ] || fail "package name $(dpkg-deb -f "$dev" Package)"
[ "$(dpkg-deb -f "$dev" Section)" = "libdevel" ] || fail "section $(dpkg-deb -f "$dev" Section)"
for want in libsdl2-dev libx11-dev libfreetype-dev libfontconfig-dev libhwy-dev; do
  grep -q "$want" <<<"$(dpkg-deb -f "$dev" Depends)" || fail "librallex-dev's Depends lacks $want: $(dpkg-deb -f "$dev" Depends)"
done
[ "$(dpkg-deb -f "$dev" Recommends)" = "libfluidsynth3" ] || fail "librallex-dev recommends $(dpkg-deb -f "$dev" Recommends)"
dpkg-deb -c "$dev" | awk '{ print $6 }' | sed 's|^\./|/|' >"$WORK/dev-contents"
# (The library folder is Debian's multiarch one when the build's prefix is /usr.)
for want in '/usr/include/rallex/media/screen\.h' '/usr/include/rallex/platform/ddraw\.h' \
  '/usr/lib/\([a-z0-9_-]*/\)\?librallex_media\.a' '/usr/lib/\([a-z0-9_-]*/\)\?cmake/Rallex/RallexConfig\.cmake' \
  '/usr/lib/\([a-z0-9_-]*/\)\?pkgconfig/rallex\.pc' '/usr/share/doc/librallex-dev/copyright'; do
  grep -qx "$want" "$WORK/dev-contents" || fail "librallex-dev lacks $want"
done
! grep -q "games\|rallex/rallex\|/doc/rallex/" "$WORK/dev-contents" || fail "librallex-dev holds the game's files"
# The programmers' reference, its pages loading Debian's jQuery rather than a copy.
for page in index porting platform_calls classSurface; do
  grep -qx "/usr/share/doc/librallex-dev/html/$page.html" "$WORK/dev-contents" || fail "librallex-dev lacks the reference's $page.html"
done
dpkg-deb -c "$dev" >"$WORK/dev-listing"
grep -q ' \./usr/share/doc/librallex-dev/html/jquery\.js -> \.\./\.\./\.\./javascript/jquery/jquery\.js$' "$WORK/dev-listing" ||
  fail "the reference's jquery.js is not a link to Debian's: $(grep jquery "$WORK/dev-listing")"
grep -q "libjs-jquery" <<<"$(dpkg-deb -f "$dev" Depends)" || fail "librallex-dev's Depends lacks libjs-jquery"
devroot="$WORK/devroot"
dpkg-deb -x "$dev" "$devroot"
cp -r "$E2E_ROOT/examples" "$WORK/example"
cmake -S "$WORK/example" -B "$WORK/example-build" -G Ninja -DCMAKE_PREFIX_PATH="$devroot/usr" -DRALLEX_EXAMPLES_HEADLESS=ON \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF >"$WORK/example.log" 2>&1 &&
  cmake --build "$WORK/example-build" --target sprite sprite_headless >>"$WORK/example.log" 2>&1 ||
  fail "the example does not build against librallex-dev: $(tail -20 "$WORK/example.log")"
grep -q "Rallex_DIR:PATH=$devroot/usr/lib/.*cmake/Rallex" "$WORK/example-build/CMakeCache.txt" ||
  fail "the example found another Rallex: $(grep Rallex_DIR "$WORK/example-build/CMakeCache.txt")"
echo "ok: librallex-dev: its files, Depends, Recommends, and the example builds against it"

# The files: the game's and nothing of the development package.
dpkg-deb -c "$deb" | awk '{ print $1, $6 }' | sed 's| \./| /|' >"$WORK/contents"
want_files=(
  "-rwxr-xr-x /usr/games/rallex"
  "-rwxr-xr-x /usr/libexec/rallex/rallex"
  "-rw-r--r-- /usr/share/applications/rallex.desktop"
  "-rw-r--r-- /usr/share/metainfo/io.github.rallex.Rallex.metainfo.xml"
  "-rw-r--r-- /usr/share/icons/hicolor/32x32/apps/rallex.png"
  "-rw-r--r-- /usr/share/icons/hicolor/48x48/apps/rallex.png"
  "-rw-r--r-- /usr/share/icons/hicolor/256x256/apps/rallex.png"
  "-rw-r--r-- /usr/share/icons/hicolor/scalable/apps/rallex.svg"
  "-rw-r--r-- /usr/share/doc/rallex/copyright"
  "-rw-r--r-- /usr/share/doc/rallex/changelog.gz"
  "-rw-r--r-- /usr/share/man/man6/rallex.6.gz"
)
for f in background.bmp ball.bmp paddle.bmp woohoo.wav doh.wav wall.wav paddle.wav; do
  want_files+=("-rw-r--r-- /usr/share/games/rallex/$f")
done
for want in "${want_files[@]}"; do
  grep -qxF -e "$want" "$WORK/contents" || fail "the package lacks $want"
done
n_files="$(grep -c '^-' "$WORK/contents")"
[ "$n_files" -eq "${#want_files[@]}" ] || fail "the package holds $n_files files, not ${#want_files[@]}: $(grep '^-' "$WORK/contents")"
echo "ok: the package holds the game's $n_files files"

# Unpacked: the desktop entry points into /usr, the command finds its data
# relative to itself and the game starts from elsewhere.
root="$WORK/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/rallex.desktop"
[ "$(sed -n 's/^Path=//p' "$desktop")" = "/usr/share/games/rallex" ] || fail "Path= in the package: $(cat "$desktop")"
[ "$(sed -n 's/^Exec=//p' "$desktop")" = "/usr/games/rallex" ] || fail "Exec= in the package: $(cat "$desktop")"
file -b "$root/usr/libexec/rallex/rallex" | grep -q "stripped" && ! file -b "$root/usr/libexec/rallex/rallex" | grep -q "not stripped" ||
  fail "the program is not stripped"

start_xvfb 800x600x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
mkdir -p "$WORK/elsewhere"
play_from "$WORK/elsewhere" "$root/usr/games/rallex"
echo "ok: the unpacked game starts from another directory, shows the court and the score lines, ends on Escape with status 0"
