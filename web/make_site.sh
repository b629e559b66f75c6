#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# web/make_site.sh WEB SITE: the folder to put on a web host, made from the
# page's build folder WEB (build-web/web, which also holds the build's files
# and the test programs). SITE gets only what visitors load, with a .gz and a
# .br copy of every file that compresses, for hosts that serve those as they
# are. Files already up to date are left alone, so a second run is quick.
set -euo pipefail
web="$(cd "$1" && pwd)"
site="$2"

# The .js, .wasm and .data (where there is one) of the programs named.
programs() {
  local name
  for name in "$@"; do
    echo "$name.js $name.wasm"
    [ ! -f "$web/$name.data" ] || echo "$name.data"
  done
}
# The examples of the gallery, as examples/CMakeLists.txt lists them.
examples="$(sed -n '/^set(EXAMPLES/,/)/p' "$(dirname "$0")/../examples/CMakeLists.txt" | sed -e 's/^set(EXAMPLES//' -e 's/)//')"

# What visitors load, relative to WEB. Another page is one more line: its
# HTML file, the folders it loads from and $(programs NAME...) of its programs.
parts=(
  "index.html page.js icon.svg $(programs rallex)"                  # the game
  "gallery.html gallery $(programs $examples)"                      # the gallery of examples
  "licenses.html licenses sources"                                  # the licences and sources of all of it
  "fonts synth soundfonts"                                          # what every program loads when it needs it
)
# What is worth compressing; the source packages are compressed already.
compressible='\.(html|js|wasm|data|txt|svg|ttf|sf2)$'

mkdir -p "$site"
site="$(cd "$site" && pwd)"
declare -A keep=()
for part in "${parts[@]}"; do
  for name in $part; do
    [ -e "$web/$name" ] || { echo "site: $web/$name is missing (build the page first)" >&2; exit 1; }
    while IFS= read -r -d '' file; do
      rel="${file#"$web"/}"
      keep["$rel"]=1
      mkdir -p "$(dirname "$site/$rel")"
      if ! cmp -s "$file" "$site/$rel"; then
        cp "$file" "$site/$rel"
        rm -f "$site/$rel.gz" "$site/$rel.br"
      fi
      if [[ "$rel" =~ $compressible ]]; then
        keep["$rel.gz"]=1
        keep["$rel.br"]=1
        [ -f "$site/$rel.gz" ] || gzip -9 -n -c "$site/$rel" >"$site/$rel.gz"
        # Brotli's best level takes seconds a megabyte: big files get a level
        # that is ten times faster and a few per cent larger.
        if [ ! -f "$site/$rel.br" ]; then
          level=11
          [ "$(stat -c %s "$site/$rel")" -lt 1048576 ] || level=9
          brotli -q "$level" -c "$site/$rel" >"$site/$rel.br"
        fi
      fi
    done < <(find "$web/$name" -type f -print0)
  done
done

# Nothing else: files of an earlier run that are no longer part of the site go.
while IFS= read -r -d '' file; do
  rel="${file#"$site"/}"
  [ -n "${keep[$rel]:-}" ] || rm -f "$file"
done < <(find "$site" -type f -print0)
find "$site" -mindepth 1 -type d -empty -delete
echo "site: $site, $(du -sh "$site" | cut -f1)" >&2
