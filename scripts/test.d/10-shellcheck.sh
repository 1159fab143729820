#!/usr/bin/env bash
# Every shell script of the project passes shellcheck: the scripts in
# scripts/, scripts/test.d/ (and the stages' lib/), scripts/real-hosts.d/ and
# bench/*.sh, found by their "#!" line (or a .sh name), so a new script is
# checked without being listed here.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"

if ! command -v shellcheck >/dev/null; then
  echo "10-shellcheck: shellcheck is not installed (scripts/deps/lint.list; run scripts/install-deps)" >&2
  exit 1
fi

scripts=()
for file in "$root"/scripts/* "$root"/scripts/test.d/* "$root"/scripts/test.d/lib/* "$root"/scripts/real-hosts.d/* \
  "$root"/bench/*; do
  [ -f "$file" ] || continue
  case "$file" in
    *.sh) scripts+=("$file") ;;
    *.*) ;;
    *) if head -n 1 "$file" | grep -Eq '^#!.*\b(ba|da)?sh\b'; then scripts+=("$file"); fi ;;
  esac
done
# The test command itself must be among them, or the search above is broken.
case " ${scripts[*]} " in
  *" $root/scripts/test "*) ;;
  *) echo "10-shellcheck: scripts/test was not found among the scripts" >&2; exit 1 ;;
esac

echo "10-shellcheck: ${#scripts[@]} scripts" >&2
shellcheck --format=gcc "${scripts[@]}"
