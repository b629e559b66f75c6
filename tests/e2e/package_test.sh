#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package: scripts/package builds it from this build (lintian may
# find no error), dpkg-deb shows the game's files with the right modes, the
# library dependencies of its program and the recommended sound font; unpacked
# into a temporary root, the game starts from another directory, shows the
# court and the score lines, and ends on Escape with status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/shots.sh"

deb="$("$E2E_ROOT/scripts/package" "$BUILD_DIR" 2>"$WORK/package.log")" || fail "scripts/package failed: $(cat "$WORK/package.log")"
[ -f "$deb" ] || fail "scripts/package named no package ($deb)"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "rallex" ] || fail "package name $(field Package)"
[ "$(field Section)" = "games" ] || fail "section $(field Section)"
# The libraries the program links, as Debian names their packages, each with a
# version from the symbols it uses; the font the score lines ask for.
depends="$(field Depends)"
for want in 'libsdl2-2\.0-0 (>= ' 'libx11-6' 'libfluidsynth3 (>= ' 'libfreetype6 (>= ' 'libfontconfig1 (>= ' 'libc6 (>= ' \
  'libstdc++6 (>= ' 'fonts-liberation'; do
  grep -q "$want" <<<"$depends" || fail "Depends lacks $want: $depends"
done
grep -q "fluid-soundfont-gm" <<<"$(field Recommends)" || fail "the General MIDI sound font is not recommended"
echo "ok: Depends: $depends"

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
