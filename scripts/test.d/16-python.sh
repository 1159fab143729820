#!/usr/bin/env bash
# Every Python file of the project (tests, scripts, bench and the stages'
# helpers) passes Debian's pyflakes: no unused or undefined names, no import
# that shadows another. Python is kept in .py files, never in here-documents,
# so that this check sees all of it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"

if ! command -v pyflakes3 >/dev/null; then
  echo "16-python: pyflakes3 is not installed (scripts/deps/lint.list; run scripts/install-deps)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.py')
if [ ${#files[@]} -eq 0 ]; then
  echo "16-python: no Python files found; the search is broken" >&2
  exit 1
fi
pyflakes3 "${files[@]}"
echo "16-python: pyflakes clean on ${#files[@]} files" >&2
