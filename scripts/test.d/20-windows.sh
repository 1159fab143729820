#!/usr/bin/env bash
# The Windows deliverable: cross-builds build/windows/TINTRA.aex and the
# Windows test programs, checks the file (headers, exports, imports, the PIPL
# and manifest resources), checks that a second build of the DLL in another
# folder is byte-identical, then runs under Wine, in one Wine prefix, against
# the DLL: the host-check suites that also run natively and on both macOS
# slices (integration_tests, here with the resources read through the loaded
# DLL, and tintra_reliability_host_tests), and tintra_platform_check, whose
# renders are compared with those of the Linux build (TINTRA_LINUX_BUILD,
# default build/linux).
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

# shellcheck source=scripts/test.d/lib/wine.sh
. "$root/scripts/test.d/lib/wine.sh"
work="$(mktemp -d)"
wine_prefix "$work" 20-windows

echo "20-windows: the file $build/TINTRA.aex" >&2
python3 "$root/tests/windows/test_aex_file.py" "$build/TINTRA.aex"

echo "20-windows: a second build in $work/build must be byte-identical" >&2
TINTRA_WINDOWS_BUILD="$work/build" "$root/scripts/build-windows" tintra_aex >/dev/null
if ! cmp "$build/TINTRA.aex" "$work/build/TINTRA.aex"; then
  echo "20-windows: TINTRA.aex is not reproducible" >&2
  exit 1
fi
echo "20-windows: identical, sha256 $(sha256sum <"$build/TINTRA.aex" | cut -d' ' -f1)" >&2

echo "20-windows: Linux reference run on $linux_build/TINTRA.so" >&2
"$linux_check" check "$linux_build/TINTRA.so" --renders "$work/linux.renders"

export TINTRA_PLUGIN="$build/TINTRA.aex"
echo "20-windows: integration tests under Wine on $TINTRA_PLUGIN (prefix $WINEPREFIX)" >&2
wine_run "$build/tests/integration/integration_tests.exe" --gtest_brief=1
echo "20-windows: reliability host tests under Wine on $TINTRA_PLUGIN" >&2
wine_run "$build/tests/reliability/tintra_reliability_host_tests.exe" --gtest_brief=1
echo "20-windows: renders under Wine on $TINTRA_PLUGIN" >&2
wine_run "$build/tests/windows/tintra_platform_check.exe" check "$TINTRA_PLUGIN" --renders "$work/windows.renders"

echo "20-windows: Linux and Windows renders compared" >&2
"$linux_check" compare "$work/linux.renders" "$work/windows.renders"
