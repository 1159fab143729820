#!/usr/bin/env bash
# The macOS deliverable: cross-builds it, inspects the bundle (slices, imports,
# exports, signatures, Info.plist, PkgInfo, property list), runs the tests of
# the bundle writers, and runs the host-check suites (integration_tests and
# tintra_reliability_host_tests) against the Linux twin built from the same
# sources and stand-in headers, using the test programs of the Linux build
# (TINTRA_LINUX_BUILD, default build/linux).
#
# Then it runs the bundle itself through the AE host stand-in's Mach-O loader: the
# x86_64 slice natively (host-check suites; renders byte-identical to those
# of TINTRA.so), the arm64 slice under qemu-aarch64 with the aarch64 build of
# the test programs (TINTRA_AARCH64_BUILD, default build/linux-aarch64):
# host-check suites, and renders compared with TINTRA.so's channel by
# channel. For each slice, a tampered bundle and an unknown import must be
# refused.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${TINTRA_MACOS_BUILD:-$root/build/macos}"
linux_build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
aarch64_build="${TINTRA_AARCH64_BUILD:-$root/build/linux-aarch64}"

TINTRA_MACOS_BUILD="$build" "$root/scripts/build-macos"

ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

TINTRA_MACOS_BUNDLE="$build/TINTRA.plugin" \
  python3 -m unittest discover -s "$root/tests/macos" -p 'test_*.py'

twin="$build/linux/TINTRA.so"
bundle="$build/TINTRA.plugin"
so="$linux_build/TINTRA.so"
linux_check="$linux_build/tests/windows/tintra_platform_check"
tintra="$linux_build/tintra"
for program in "$linux_build/tests/integration/integration_tests" \
  "$linux_build/tests/reliability/tintra_reliability_host_tests" "$linux_check" "$tintra"; do
  if [ ! -x "$program" ]; then
    echo "30-macos: no $program; build the Linux tree first (scripts/build)" >&2
    exit 1
  fi
done

# host_checks BUILD PLUGIN [PREFIX...]: the host-check suites of the test
# programs in BUILD against PLUGIN, each run through PREFIX (qemu for arm64).
host_checks() {
  local programs="$1" plugin="$2"
  shift 2
  TINTRA_PLUGIN="$plugin" "$@" "$programs/tests/integration/integration_tests" --gtest_brief=1
  TINTRA_PLUGIN="$plugin" "$@" "$programs/tests/reliability/tintra_reliability_host_tests" --gtest_brief=1
}

echo "30-macos: host-check suites on the Linux twin $twin" >&2
host_checks "$linux_build" "$twin"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- x86_64 slice, natively -------------------------------------------------------

echo "30-macos: host-check suites on the x86_64 slice of $bundle (Mach-O loader)" >&2
host_checks "$linux_build" "$bundle"

echo "30-macos: x86_64 slice renders must equal TINTRA.so renders byte for byte" >&2
"$linux_check" check "$so" --renders "$work/linux.renders"
"$linux_check" check "$bundle" --renders "$work/x86_64.renders"
cmp "$work/linux.renders" "$work/x86_64.renders"
for depth in 8 16; do
  "$tintra" generate chart --size 180x90 --depth "$depth" -o "$work/chart$depth.png"
  for clip in adaptive chroma truncate debug; do
    for plugin in so bundle; do
      path="$so"
      [ "$plugin" = bundle ] && path="$bundle"
      "$tintra" render "$work/chart$depth.png" -o "$work/$plugin-$clip-$depth.png" \
        --plugin "$path" --hue 40 --chroma 60 --clip "$clip"
    done
    cmp "$work/so-$clip-$depth.png" "$work/bundle-$clip-$depth.png"
  done
  "$tintra" sheet "$work/chart$depth.png" -o "$work/so-sheet-$depth.png" --plugin "$so" --chroma 60
  "$tintra" sheet "$work/chart$depth.png" -o "$work/bundle-sheet-$depth.png" --plugin "$bundle" --chroma 60
  cmp "$work/so-sheet-$depth.png" "$work/bundle-sheet-$depth.png"
done
echo "30-macos: tintra render and sheet identical through both, 8 and 16 bits, every clip method" >&2

# The shipped slices keep frame pointers, so their compact unwind entries are
# all frame-based. A build without frame pointers exercises the loader's
# other unwind paths (frameless functions with saved registers, entries that
# defer to the image's own __eh_frame); exceptions must still pass through.
variant="$work/no-frame-pointer"
cmake -S "$root/cmake/macos" -B "$variant" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS=-fomit-frame-pointer -DTINTRA_MACOS_TESTS=OFF >/dev/null
cmake --build "$variant" --target tintra_bundle >/dev/null
echo "30-macos: host-check suites on the x86_64 slice built without frame pointers" >&2
host_checks "$linux_build" "$variant/TINTRA.plugin"

echo "30-macos: a tampered x86_64 slice and an unknown import are refused" >&2
python3 "$root/tests/macos/loader_refusals.py" "$bundle" x86_64 "$tintra" info --plugin '{plugin}'

# --- arm64 slice, under qemu-aarch64 ----------------------------------------------

TINTRA_AARCH64_BUILD="$aarch64_build" "$root/scripts/build-aarch64"
qemu=(qemu-aarch64)
echo "30-macos: host-check suites on the arm64 slice under ${qemu[*]}" >&2
host_checks "$aarch64_build" "$bundle" "${qemu[@]}"

echo "30-macos: host-check suites on the arm64 slice built without frame pointers" >&2
host_checks "$aarch64_build" "$variant/TINTRA.plugin" "${qemu[@]}"

echo "30-macos: arm64 slice renders compared with TINTRA.so renders" >&2
"${qemu[@]}" "$aarch64_build/tests/windows/tintra_platform_check" check "$bundle" --renders "$work/arm64.renders"
"$linux_check" compare "$work/linux.renders" "$work/arm64.renders"

echo "30-macos: a tampered arm64 slice and an unknown import are refused" >&2
python3 "$root/tests/macos/loader_refusals.py" "$bundle" arm64 \
  "${qemu[@]}" "$aarch64_build/tests/windows/tintra_platform_check" check '{plugin}'
