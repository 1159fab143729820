#!/usr/bin/env bash
# The Windows deliverable: cross-builds build/windows/TINTRA.aex, checks the
# file (headers, exports, imports, the PIPL and manifest resources), checks
# that a second build in another folder is byte-identical, then runs
# tintra_platform_check under Wine against the DLL and compares its renders
# with those of the Linux build (TINTRA_LINUX_BUILD, default build/linux).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TINTRA_WINDOWS_BUILD:-$root/build/windows}"
linux_build="${TINTRA_LINUX_BUILD:-$root/build/linux}"

linux_check="$linux_build/tests/windows/tintra_platform_check"
if [ ! -x "$linux_check" ] || [ ! -f "$linux_build/TINTRA.so" ]; then
  echo "20-windows: no $linux_check or TINTRA.so; build the Linux tree first (scripts/build)" >&2
  exit 1
fi

TINTRA_WINDOWS_BUILD="$build" "$root/scripts/build-windows"

work="$(mktemp -d)"
export WINEPREFIX="$work/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  if [ -d "$WINEPREFIX" ]; then wineserver -w || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "20-windows: the file $build/TINTRA.aex" >&2
python3 "$root/tests/windows/test_aex_file.py" "$build/TINTRA.aex"

echo "20-windows: a second build in $work/build must be byte-identical" >&2
TINTRA_WINDOWS_BUILD="$work/build" "$root/scripts/build-windows" >/dev/null
if ! cmp "$build/TINTRA.aex" "$work/build/TINTRA.aex"; then
  echo "20-windows: TINTRA.aex is not reproducible" >&2
  exit 1
fi
echo "20-windows: identical, sha256 $(sha256sum <"$build/TINTRA.aex" | cut -d' ' -f1)" >&2

echo "20-windows: Linux reference run on $linux_build/TINTRA.so" >&2
"$linux_check" check "$linux_build/TINTRA.so" --renders "$work/linux.renders"

echo "20-windows: Wine run on $build/TINTRA.aex (prefix $WINEPREFIX)" >&2
# Wine's own notes about creating the prefix are dropped; the program's
# failures (also on stderr) are kept. A Wine that hangs must not hang the
# whole test run.
status=0
timeout 900 wine "$build/tests/windows/tintra_platform_check.exe" check "$build/TINTRA.aex" \
  --renders "$work/windows.renders" 2> >(grep -v '^wine: ' >&2) || status=$?
if [ "$status" -ne 0 ]; then
  [ "$status" -eq 124 ] && echo "20-windows: the Wine run did not finish within 15 minutes" >&2
  exit 1
fi

echo "20-windows: Linux and Windows renders compared" >&2
"$linux_check" compare "$work/linux.renders" "$work/windows.renders"
