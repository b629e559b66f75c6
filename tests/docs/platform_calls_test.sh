#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The reference's table of the platform's calls (docs/platform_calls.py) against
# what the platform library really defines: the functions the table lists are
# exactly the functions of the global namespace that librallex_platform.a
# defines (as nm reads the compiled objects), so the table neither promises a
# call that does not link nor leaves out one that does. And a declaration the
# reader cannot make out stops it with its file and line instead of being
# dropped from the table.
# Usage: platform_calls_test.sh SOURCE_DIR PLATFORM_ARCHIVE
set -euo pipefail
src="$1"
archive="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

headers=()
for h in "$src"/platform/include/platform/*.h; do
  [ "$(basename "$h")" = headless.h ] || headers+=("$h")
done
python3 "$src/docs/platform_calls.py" --list "${headers[@]}" | grep -v '::' | sort -u >"$work/table"
nm -C --defined-only "$archive" | awk '$2 == "T" { $1 = ""; $2 = ""; print }' | sed 's/^ *//' |
  grep -v '::' | grep -v '^operator' | sed 's/(.*//' | sort -u >"$work/defined"
[ "$(wc -l <"$work/defined")" -gt 100 ] || fail "nm found only $(wc -l <"$work/defined") functions in $archive"
if ! diff -u "$work/defined" "$work/table" >"$work/diff"; then
  fail "the table and the library differ ('-' defined but not in the table, '+' listed but not defined):
$(grep '^[-+][^-+]' "$work/diff")"
fi
echo "ok: the table lists the $(wc -l <"$work/table") functions the library defines"

# A declaration spread in a way the reader does not know.
printf '%s\n' '#pragma once' '/// Fine.' 'BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);' \
  'BOOL WINAPI_ODD = ShowWindow;' >"$work/odd.h"
if out="$(python3 "$src/docs/platform_calls.py" --list "$work/odd.h" 2>&1)"; then
  fail "an unreadable declaration passed: $out"
fi
grep -q "odd.h:4: cannot tell what this declares" <<<"$out" || fail "no file and line for the unreadable declaration: $out"
echo "ok: an unreadable declaration stops the reader with its file and line"
