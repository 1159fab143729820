#!/usr/bin/env bash
# The macOS deliverable: cross-builds it, inspects the bundle (slices, imports,
# exports, signatures, Info.plist, PkgInfo, property list), runs the tests of
# the bundle writers, and runs the plug-in's integration tests against the
# Linux twin built from the same sources and stand-in headers, using the test
# programs of the Linux build (TINTRA_LINUX_BUILD, default build/linux).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TINTRA_MACOS_BUILD:-$root/build/macos}"
linux_build="${TINTRA_LINUX_BUILD:-$root/build/linux}"

TINTRA_MACOS_BUILD="$build" "$root/scripts/build-macos"

ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

TINTRA_MACOS_BUNDLE="$build/TINTRA.plugin" \
  python3 -m unittest discover -s "$root/tests/macos" -p 'test_*.py'

twin="$build/linux/TINTRA.so"
integration="$linux_build/tests/integration/integration_tests"
if [ ! -x "$integration" ]; then
  echo "30-macos: no integration tests at $integration; build the Linux tree first (scripts/build)" >&2
  exit 1
fi
echo "30-macos: integration tests on the Linux twin $twin" >&2
TINTRA_PLUGIN="$twin" "$integration"
