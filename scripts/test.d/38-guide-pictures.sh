#!/usr/bin/env bash
# The pictures in docs/images/ show what the current build does: they are
# rendered again (scripts/guide-pictures) into a scratch folder and must come
# out byte for byte as committed, no picture missing and none left over. A
# render that changed is shown with oiiotool's report of the difference; run
# scripts/guide-pictures and look at the pictures before committing them.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
committed="$root/docs/images"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

TINTRA_PICTURES="$work/images" "$root/scripts/guide-pictures" 2>/dev/null
failed=0
while IFS= read -r name; do
  if [ ! -f "$committed/$name" ]; then
    echo "38-guide-pictures: $name is rendered but not in docs/images" >&2
    failed=1
  elif [ ! -f "$work/images/$name" ]; then
    echo "38-guide-pictures: docs/images/$name is no longer rendered" >&2
    failed=1
  elif ! cmp -s "$committed/$name" "$work/images/$name"; then
    echo "38-guide-pictures: docs/images/$name differs from what the build renders:" >&2
    oiiotool --diff "$committed/$name" "$work/images/$name" >&2 || true
    failed=1
  fi
done < <( (cd "$committed" && find . -name '*.png'; cd "$work/images" && find . -name '*.png') | sed 's|^\./||' | sort -u)
[ "$failed" -eq 0 ] || exit 1
echo "38-guide-pictures: $(find "$committed" -name '*.png' | wc -l) pictures as the build renders them" >&2
