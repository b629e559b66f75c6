#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tests/web/porter_build.sh BUILD_WEB: what a porter does. Runs the commands of
# the README's "program of your own" block as they are written there, in a
# scratch folder with BUILD_WEB as its build-web/ and its own copy of examples/,
# with the prefix (~/rallex-web there) put in the scratch folder. The porter's
# site (the installed page with sprite.js, .wasm and .data) is left in
# BUILD_WEB/porter-site for tests/web/site_test.mjs.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "porter: $*" >&2; exit 1; }

commands="$(sed -n '/^<!-- porter commands -->$/,/^<!-- end of porter commands -->$/p' "$root/README.md" |
            sed -e '1d' -e '$d' -e 's/^    //')"
[ "$(printf '%s\n' "$commands" | wc -l)" -ge 5 ] || fail "the README's porter commands are not found"
# NODE_PATH is not set: the installed package must make the link work without it.
unset NODE_PATH
ln -s "$build" "$work/build-web"
cp -r "$root/examples" "$work/examples"
cd "$work"
while IFS= read -r line; do
  line="${line//\~\/rallex-web/$work/prefix}"
  echo "porter: $line" >"$work/step.log"
  case "$line" in
    node\ *serve.mjs*)
      # The server runs until stopped: it must start and serve the page.
      # exec: the background job is the server itself, so that the trap's
      # kill stops it rather than only the shell around it.
      line="${line%%#*}"
      eval "exec $line" >"$work/url" 2>>"$work/step.log" &
      server=$!
      for _ in $(seq 50); do [ -s "$work/url" ] && break; sleep 0.1; done
      url="$(head -1 "$work/url")"
      [ -n "$url" ] || { cat "$work/step.log" >&2; fail "the installed server does not start"; }
      node -e 'fetch(process.argv[1]).then(r => r.text()).then(t => process.exit(t.includes("page.js") ? 0 : 1),
               () => process.exit(1))' "${url}index.html" || fail "the installed server does not serve the page"
      ;;
    *)
      eval "$line" >>"$work/step.log" 2>&1 || { cat "$work/step.log" >&2; fail "this README command fails: $line"; }
      ;;
  esac
done <<<"$commands"

grep -q "CMAKE_BUILD_TYPE:STRING=Release" build-example-web/CMakeCache.txt || fail "the example is not built optimised"
grep -q "Rallex_DIR:PATH=$work/prefix/" build-example-web/CMakeCache.txt || fail "the example found another Rallex"
for f in sprite.js sprite.wasm sprite.data index.html page.js licenses.html; do
  [ -f "site/$f" ] || fail "the site lacks $f"
done
rm -rf "$build/porter-site"
cp -r site "$build/porter-site"
echo "porter: the README's commands build examples/ for the web against the installed package"
