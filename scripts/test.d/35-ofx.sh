#!/usr/bin/env bash
# The OFX deliverable: builds the three OFX binaries and the bundle
# (scripts/build-ofx), checks each binary's exports and imports and the
# bundle's Info.plist, then runs tintra_ofx_check on every platform against
# the bundle and that platform's After Effects build: natively on Linux,
# under Wine on Windows, through the AE host stand-in's Mach-O loader for the macOS
# x86_64 slice, and under qemu-aarch64 for the arm64 slice. Each run renders
# the platform set through both plug-ins (OFX bytes must equal the After
# Effects 8-bit bytes), short and float frames through the OFX build, and
# the same frames through hosts that answer differently (no optional
# properties, one thread, 8-bit only, rows top down away from the origin).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
linux_build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
windows_build="${TINTRA_WINDOWS_BUILD:-$root/build/windows}"
macos_build="${TINTRA_MACOS_BUILD:-$root/build/macos}"
aarch64_build="${TINTRA_AARCH64_BUILD:-$root/build/linux-aarch64}"
ofx_build="${TINTRA_OFX_BUILD:-$root/build/ofx}"

check="$linux_build/tests/ofx/tintra_ofx_check"
if [ ! -x "$check" ] || [ ! -f "$linux_build/TINTRA.ofx" ]; then
  echo "35-ofx: no $check or TINTRA.ofx; build the Linux tree first (scripts/build)" >&2
  exit 1
fi
TINTRA_WINDOWS_BUILD="$windows_build" "$root/scripts/build-windows" >/dev/null
TINTRA_MACOS_BUILD="$macos_build" "$root/scripts/build-macos" >/dev/null
TINTRA_AARCH64_BUILD="$aarch64_build" "$root/scripts/build-aarch64" >/dev/null
TINTRA_OFX_NO_BUILD=1 TINTRA_LINUX_BUILD="$linux_build" TINTRA_WINDOWS_BUILD="$windows_build" \
  TINTRA_MACOS_BUILD="$macos_build" TINTRA_OFX_BUILD="$ofx_build" "$root/scripts/build-ofx"
bundle="$ofx_build/TINTRA.ofx.bundle"
contents="$bundle/Contents"

fail() {
  echo "35-ofx: $*" >&2
  exit 1
}

echo "35-ofx: the bundle's files" >&2
python3 "$root/scripts/test.d/lib/check_ofx_plist.py" "$contents/Info.plist"
exports="OfxGetNumberOfPlugins OfxGetPlugin"
[ "$(nm -D --defined-only "$contents/Linux-x86-64/TINTRA.ofx" | awk '{print $3}' | sort | xargs)" = "$exports" ] ||
  fail "Linux-x86-64/TINTRA.ofx exports more or less than $exports"
win_dump="$(x86_64-w64-mingw32-objdump -p "$contents/Win64/TINTRA.ofx")"
[ "$(grep 'DLL Name' <<<"$win_dump" | awk '{print $3}' | sort | xargs)" = "KERNEL32.dll msvcrt.dll" ] ||
  fail "Win64/TINTRA.ofx imports other DLLs than KERNEL32.dll and msvcrt.dll"
[ "$(sed -n '/Ordinal\/Name Pointer/,/^$/p' <<<"$win_dump" | awk '$1 == "[" {print $3}' | sort | xargs)" = "$exports" ] ||
  fail "Win64/TINTRA.ofx exports more or less than $exports"
[ "$(llvm-lipo-19 -archs "$contents/MacOS/TINTRA.ofx" | xargs -n1 | sort | xargs)" = "arm64 x86_64" ] ||
  fail "MacOS/TINTRA.ofx is not universal x86_64 + arm64"
for arch in x86_64 arm64; do
  slice="$macos_build/ofx-slices/$arch/TINTRA.ofx"
  llvm-objdump-19 --macho --private-headers "$slice" | grep -q LC_CODE_SIGNATURE || fail "$arch slice is not signed"
  [ "$(llvm-objdump-19 --macho --exports-trie "$slice" | awk '/_Ofx/{print $2}' | sort | xargs)" = \
    "_OfxGetNumberOfPlugins _OfxGetPlugin" ] || fail "$arch slice exports more or less than $exports"
done
# Hosts built on the standard's own host library refuse a property name they
# do not know, and the plug-in once shipped one: every binary must hold the
# standard's string and not the old one.
for bin in Linux-x86-64 Win64 MacOS; do
  names="$(strings -a "$contents/$bin/TINTRA.ofx")"
  grep -qx OfxImageEffectPropMultipleClipDepths <<<"$names" || fail "$bin/TINTRA.ofx lacks OfxImageEffectPropMultipleClipDepths"
  ! grep -q OfxImageEffectPropSupportsMultipleClipDepths <<<"$names" || fail "$bin/TINTRA.ofx holds the old property name"
done
echo "35-ofx: exports, imports, slices, signatures, property names and Info.plist as expected" >&2

echo "35-ofx: Linux: $contents/Linux-x86-64/TINTRA.ofx against $linux_build/TINTRA.so" >&2
"$check" "$linux_build/TINTRA.so" "$bundle"

# shellcheck source=scripts/test.d/lib/wine.sh
. "$root/scripts/test.d/lib/wine.sh"
wine_prefix "$(mktemp -d)" 35-ofx
echo "35-ofx: Windows (Wine): $contents/Win64/TINTRA.ofx against $windows_build/TINTRA.aex" >&2
wine_run "$windows_build/tests/ofx/tintra_ofx_check.exe" "$windows_build/TINTRA.aex" "$bundle"

echo "35-ofx: macOS x86_64 slice (Mach-O loader) against the x86_64 slice of TINTRA.plugin" >&2
"$check" "$macos_build/TINTRA.plugin" "$contents/MacOS/TINTRA.ofx"

echo "35-ofx: macOS arm64 slice (qemu-aarch64) against the arm64 slice of TINTRA.plugin" >&2
qemu-aarch64 "$aarch64_build/tests/ofx/tintra_ofx_check" "$macos_build/TINTRA.plugin" "$bundle"
echo "35-ofx: OFX checks passed on Linux, Windows and both macOS slices" >&2
