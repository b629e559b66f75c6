#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The game and the media layer installed: `cmake --install` of the build into a
# staging prefix, which is then moved elsewhere (nothing may depend on where it
# was installed). From there the sprite example builds with CMake
# (find_package) and with pkg-config, from a copy of examples/ outside this
# tree; it runs on the headless backend and, built with pkg-config, in a real
# window; and the installed rallex command, typed from another directory
# (through a link), shows the court and the score lines and ends on Escape with
# status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"
[ -f "$BUILD_DIR/cmake_install.cmake" ] || fail "no configured build in $BUILD_DIR"

first="$WORK/first"
cmake --install "$BUILD_DIR" --prefix "$first" >"$WORK/install.log" 2>&1 || fail "install failed: $(cat "$WORK/install.log")"

# The desktop entry: valid, started in the data directory by the command.
desktop="$first/share/applications/rallex.desktop"
[ -f "$desktop" ] || fail "no rallex.desktop"
desktop-file-validate "$desktop" || fail "rallex.desktop does not validate"
[ "$(sed -n 's/^Path=//p' "$desktop")" = "$first/share/games/rallex" ] || fail "Path= is not the data directory: $(cat "$desktop")"
[ "$(sed -n 's/^Exec=//p' "$desktop")" = "$first/games/rallex" ] || fail "Exec= is not the rallex command: $(cat "$desktop")"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "rallex" ] || fail "Icon= does not name the theme icon"
for f in background.bmp ball.bmp paddle.bmp woohoo.wav doh.wav wall.wav paddle.wav; do
  cmp -s "$E2E_ROOT/assets/$f" "$first/share/games/rallex/$f" || fail "$f is missing from the data directory"
done
appstreamcli validate --no-net "$first/share/metainfo/io.github.rallex.Rallex.metainfo.xml" >"$WORK/as.log" 2>&1 ||
  fail "the AppStream metadata does not validate: $(cat "$WORK/as.log")"
echo "ok: desktop entry and AppStream metadata validate"

# The icons: each of its size, drawn at it (the 256-pixel one is not made of
# 8 x 8 blocks, as a 32-pixel picture scaled up would be), and the drawing
# itself as SVG.
icons="$first/share/icons/hicolor"
for size in 32 48 256; do
  got="$(identify -format '%wx%h' "$icons/${size}x${size}/apps/rallex.png" 2>/dev/null)" || fail "no ${size}px icon"
  [ "$got" = "${size}x${size}" ] || fail "the ${size}px icon is $got"
done
big="$icons/256x256/apps/rallex.png"
blocky="$(convert "$big" -sample 32x32 -sample 256x256 png:- | compare -metric AE - "$big" null: 2>&1)" || true
[ "$blocky" -gt 10000 ] || fail "the 256px icon is a 32-pixel picture scaled up ($blocky pixels differ from that)"
grep -q "<svg" "$icons/scalable/apps/rallex.svg" || fail "no scalable icon"
echo "ok: icons at 32, 48 and 256 pixels and scalable"

# The rallex command refuses to start without its data directory.
mkdir -p "$WORK/lonely/games"
cp "$first/games/rallex" "$WORK/lonely/games/"
if out="$("$WORK/lonely/games/rallex" 2>&1)"; then fail "rallex started without its data directory"; fi
grep -q "cannot enter the data directory" <<<"$out" || fail "no word about the missing data directory: $out"

# The programmers' reference, installed whole (with Doxygen's own jQuery, the
# prefix not being Debian's /usr).
for f in index.html porting.html platform_calls.html classScreen.html jquery.js; do
  [ -s "$first/share/doc/librallex-dev/html/$f" ] || fail "the reference lacks $f"
done
grep -q "IDirectDrawSurface4::Blt" "$first/share/doc/librallex-dev/html/platform_calls.html" ||
  fail "the table of the platform's calls lacks IDirectDrawSurface4::Blt"
echo "ok: the reference is installed"

# Everything moves together.
prefix="$WORK/moved"
mv "$first" "$prefix"

# The example, from a copy outside this tree, built with CMake against the
# moved prefix alone, for the desktop and the headless backend (the other
# examples: examples_install_test.sh).
cp -r "$E2E_ROOT/examples" "$WORK/example"
cmake -S "$WORK/example" -B "$WORK/example-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DRALLEX_EXAMPLES_HEADLESS=ON \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF \
  >"$WORK/example.log" 2>&1 || fail "the example does not configure: $(cat "$WORK/example.log")"
grep -qx "Rallex_DIR:PATH=$prefix/lib/cmake/Rallex" "$WORK/example-build/CMakeCache.txt" ||
  fail "the example found another Rallex: $(grep Rallex_DIR "$WORK/example-build/CMakeCache.txt")"
cmake --build "$WORK/example-build" --target sprite sprite_headless >>"$WORK/example.log" 2>&1 ||
  fail "the example does not build: $(tail -n 30 "$WORK/example.log")"
echo "ok: the example builds against the installed package"

# On the headless backend: the script moves the mouse right 100 and up 50 at
# 0.5 s, clicks at 0.6 s, moves right 1000 at 0.8 s and presses Escape at 1 s.
# The sprite (32 x 32) starts in the middle of 640 x 480, at (304, 224), and
# ends at the right edge, x 640 - 32 = 608; where its yellow lies within it
# comes from the picture itself.
out="$(cd "$WORK/example-build" && timeout 60 ./sprite_headless)" || fail "sprite_headless failed: $out"
read -r bw bh bx by <<<"$(convert "$E2E_ROOT/examples/sprite.bmp" -fill black +opaque '#FFCC00' -format '%@' info: |
  tr 'x+' '  ')"
[ -n "$by" ] || fail "cannot measure the sprite's yellow"
want_sprite="sprite $((608 + bx)) $((174 + by)) $bw $bh"
grep -qx "status 0" <<<"$out" || fail "Escape did not end the example with status 0: $out"
grep -qx "click at 404,174" <<<"$out" || fail "the click was not seen at (404, 174): $out"
grep -qx "frame 640 480" <<<"$out" || fail "the example's frame is not 640 x 480: $out"
grep -qx "$want_sprite" <<<"$out" || fail "the sprite is not where the mouse took it ($want_sprite): $out"
read -r _ heard_first heard_last <<<"$(grep '^sound ' <<<"$out")"
# Sound from the click (within a frame of 0.6 s) for no longer than click.wav.
length_ms="$(sox --i -D "$E2E_ROOT/examples/click.wav" | awk '{ printf "%d", $1 * 1000 + 0.5 }')"
[ "$heard_first" -ge 600 ] && [ "$heard_first" -le 617 ] || fail "the click's sound did not start at 0.6 s: $out"
[ "$heard_last" -gt "$heard_first" ] && [ "$heard_last" -le $((heard_first + length_ms)) ] ||
  fail "the sound lasted longer than click.wav ($length_ms ms): $out"
echo "ok: the example on the headless backend: sprite follows the mouse, click heard at $heard_first ms, Escape ends it"

# The same program built with pkg-config alone, in a real window.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
[ "$(pkg-config --modversion rallex)" = "$(sed -n 's/^project(Rallex VERSION \([0-9.]*\).*/\1/p' "$E2E_ROOT/CMakeLists.txt")" ] ||
  fail "rallex.pc has the wrong version"
# Only the API is installed: the media layer's classes and the platform's
# Windows-spelled headers, and a program including every installed header,
# and nothing of this tree, builds.
(cd "$prefix/include/rallex" && find . -name '*.h' | sed 's|^\./||' | sort) >"$WORK/headers"
want="$(printf '%s\n' media/errors.h media/input.h media/library.h media/music.h media/screen.h media/sound.h \
  media/surface.h platform/cpu.h platform/ddraw.h platform/dinput.h platform/dsound.h platform/headless.h \
  platform/headless_records.h platform/mmsystem.h platform/winbase.h platform/windows.h platform/wingdi.h \
  platform/wintypes.h platform/winuser.h)"
[ "$(cat "$WORK/headers")" = "$want" ] || fail "installed headers: $(tr '\n' ' ' <"$WORK/headers")"
sed 's|.*|#include "&"|' "$WORK/headers" >"$WORK/every_header.cpp"
echo 'int main() { return 0; }' >>"$WORK/every_header.cpp"
# shellcheck disable=SC2046
c++ -std=c++17 -Wall -Werror -o "$WORK/every_header" "$WORK/every_header.cpp" $(pkg-config --cflags --libs rallex) \
  >"$WORK/every.log" 2>&1 || fail "a program including every installed header does not build: $(cat "$WORK/every.log")"
echo "ok: the installed headers are the API, and a program including them all builds"
# shellcheck disable=SC2046
c++ -std=c++17 -o "$WORK/example-build/sprite_pc" "$WORK/example/sprite.cpp" $(pkg-config --cflags --libs rallex) \
  >"$WORK/pc.log" 2>&1 || fail "the example does not build with pkg-config: $(cat "$WORK/pc.log")"
start_xvfb 800x600x24
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
(cd "$WORK/example-build" && exec ./sprite_pc) >"$WORK/sprite.log" 2>&1 &
pid=$!
id="$(wait_for_window "Rallex sprite example" 30)" || fail "no example window: $(cat "$WORK/sprite.log")"
# The window's client area is the 640 x 480 picture (no window manager draws
# a frame here); the sprite starts in its middle, and relative mouse motion
# moves it.
eval "$(xdotool getwindowgeometry --shell "$id")"
yellow="80 100 60 100 -1 30"
sprite_at() {
  local n=0
  for _ in $(seq 1 50); do
    import -window root "$WORK/sprite.png" 2>/dev/null || true
    [ -f "$WORK/sprite.png" ] && n="$(count "$WORK/sprite.png" "32x32+$((X + $1))+$((Y + $2))" $yellow)"
    [ "$n" -ge 400 ] && return 0
    sleep 0.1
  done
  return 1
}
sprite_at 304 224 || fail "no sprite in the middle of the window"
xdotool mousemove_relative -- 100 -50
sprite_at 404 174 || fail "the sprite did not follow the mouse to (404, 174)"
xdotool key --window "$id" Escape 2>/dev/null || xdotool key Escape
wait_exit "$pid" 5
[ "$EXIT_STATUS" = "0" ] || fail "exit status of the example after Escape was $EXIT_STATUS: $(cat "$WORK/sprite.log")"
echo "ok: the example built with pkg-config: the sprite follows the mouse, Escape ends it"

# The installed game, typed as a command from another directory; the command
# is reached through a link in another PATH directory, as a player's ~/bin
# might hold, and still finds the data beside its real place.
mkdir -p "$WORK/elsewhere" "$WORK/bin"
ln -s "$prefix/games/rallex" "$WORK/bin/rallex"
PATH="$WORK/bin:$PATH" play_from "$WORK/elsewhere" rallex
echo "ok: rallex from another directory shows the court and the score lines and ends on Escape with status 0"
