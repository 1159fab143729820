#!/usr/bin/env bash
# tintra's rooms, highest first: a file includes only from its own room or
# a lower one. The commands (main.cpp, *_command.cpp) sit at the top of
# tools/tintra; the parser turns argv into a request; rendering carries out a
# plan through the plug-in; planning says which input goes to which output;
# image_io reads and writes files; reporting says what happened; base (signals,
# names) serves them all. Prints each upward include and fails when there is
# one. Run from the top of the tree, or give it the tree's path.
set -euo pipefail
cd "${1:-.}"

rank() {
  case "$1" in
    command_line) echo 5 ;;
    rendering) echo 4 ;;
    planning) echo 3 ;;
    image_io) echo 2 ;;
    reporting) echo 1 ;;
    base) echo 0 ;;
    *) echo 6 ;;  # the commands, at the top
  esac
}

room() {
  local rest="${1#tools/tintra/}"
  case "$rest" in
    */*) echo "${rest%%/*}" ;;
    *) echo top ;;
  esac
}

status=0
while IFS=: read -r file _ target; do
  from="$(room "$file")"
  to="$(room "$target")"
  if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "$file includes $target: $from may not include from $to" >&2
    status=1
  fi
done < <(git ls-files 'tools/tintra/*.cpp' 'tools/tintra/*.h' |
  xargs grep -HnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"tools/tintra/[^"]+"' |
  sed -E 's/:[^:"]*"([^"]+)"$/:\1/')
exit "$status"
