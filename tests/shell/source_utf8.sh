#!/usr/bin/env bash
# Every source file of the project is valid UTF-8, so that any editor shows
# it as written (program texts that must be Windows-1252 bytes are escapes).
# The arguments of the other shell tests are ignored.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../lib/checks.sh" "$work"

checked=0
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fail "${file#"$top"/} is not valid UTF-8"
done < <(find "$top" \( -path "$top/build" -o -path "$top/.git" \) -prune -o -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.cmake' -o -name CMakeLists.txt \) \
  -print0)
[ "$checked" -gt 100 ] || fail "only $checked source files found under $top"
finish source_utf8
