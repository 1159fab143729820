#!/usr/bin/env bash
# The habits a reader relies on, checked in seconds:
# - the colour and gamut code include nothing of the effect, the tools or the
#   tests, and of the host only its two pixel records (host/pf_pixel.h), so
#   that they can be tested and benchmarked alone;
# - every C++ line changed since the base commit is formatted as .clang-format
#   says. "Changed" is the difference between the commit named in
#   .clang-format-base and the work tree, committed or not: it reads the same
#   on a developer's machine and in CI's fresh clone, which has the history
#   and nothing else. A clone without that commit (a shallow one) checks the
#   lines of its last commit instead. Code older than the base is formatted
#   when it is next changed, not all at once.
# With --fix the changed lines are formatted in place instead of checked.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"

if ! command -v clang-format-diff >/dev/null; then
  echo "15-style: clang-format is not installed (scripts/deps/lint.list; run scripts/install-deps)" >&2
  exit 1
fi

strays="$(grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(effect|host|tools|ofx|tests|bench)/' \
  color/* gamut/* | grep -v '"host/pf_pixel.h"' || true)"
if [ -n "$strays" ]; then
  echo "$strays" >&2
  echo "15-style: the colour and gamut code include only colour, gamut and host/pf_pixel.h" >&2
  exit 1
fi

if ! scripts/test.d/lib/tintra_rooms.sh; then
  echo "15-style: a tintra room includes from a higher one (order in scripts/test.d/lib/tintra_rooms.sh)" >&2
  exit 1
fi

base="$(grep -v '^#' .clang-format-base | head -n 1)"
if git cat-file -e "$base^{commit}" 2>/dev/null; then
  since="$base"
elif git rev-parse -q --verify HEAD~1 >/dev/null; then
  echo "15-style: the base commit $base is not in this clone; checking the last commit's lines" >&2
  since=HEAD~1
else
  echo "15-style: no base commit and no parent commit in this clone; no lines to check" >&2
  exit 0
fi

# The stand-ins for the macOS SDK's headers are written as that SDK is.
changes="$(git diff -U0 --no-color "$since" -- '*.cpp' '*.h' ':!cmake/macos/include')"
if [ "${1:-}" = "--fix" ]; then
  clang-format-diff -p1 -i <<<"$changes"
  exit 0
fi
wrong="$(clang-format-diff -p1 <<<"$changes")"
if [ -n "$wrong" ]; then
  echo "$wrong"
  echo "15-style: lines changed since $since differ from .clang-format (fix: bash scripts/test.d/15-style.sh --fix)" >&2
  exit 1
fi
echo "15-style: colour includes and tintra's rooms clean; .clang-format clean on the C++ lines changed since $since" >&2
