#!/usr/bin/env bash
# The release downloads: scripts/package signs with a throwaway self-signed
# certificate and osslsigncode verifies the signed TINTRA.aex; then two
# unsigned runs must give identical files, SHA256SUMS must verify, and the
# zips must hold exactly the built deliverables (tests/package). The
# unsigned runs come after the signed one, so the comparison with the build
# also shows that signing left the build's own TINTRA.aex alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
export TINTRA_WINDOWS_BUILD="${TINTRA_WINDOWS_BUILD:-$root/build/windows}"
export TINTRA_MACOS_BUILD="${TINTRA_MACOS_BUILD:-$root/build/macos}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "40-package: signing with a throwaway certificate" >&2
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TINTRA throwaway test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
"$root/scripts/package" --out "$work/signed" --sign-cert "$work/cert.pem" --sign-key "$work/key.pem" 2>/dev/null
windows_zip="$(cd "$work/signed" && ls TINTRA-*-windows-x64.zip)"
unzip -p "$work/signed/$windows_zip" "${windows_zip%.zip}/TINTRA.aex" >"$work/signed.aex"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.aex" >"$work/verify.log" 2>&1 || {
  cat "$work/verify.log" >&2
  echo "40-package: the signed TINTRA.aex does not verify" >&2
  exit 1
}
if osslsigncode verify -CAfile "$work/cert.pem" -in "$TINTRA_WINDOWS_BUILD/TINTRA.aex" >/dev/null 2>&1; then
  echo "40-package: the unsigned build verifies too, so the check above proves nothing" >&2
  exit 1
fi

echo "40-package: two unsigned runs" >&2
"$root/scripts/package" --out "$work/first" 2>/dev/null
# Another time zone for the second run: entry dates must not follow local time.
TZ=Pacific/Kiritimati "$root/scripts/package" --out "$work/second" 2>/dev/null
for file in "$work/first"/*; do
  if ! cmp "$file" "$work/second/$(basename "$file")"; then
    echo "40-package: $(basename "$file") differs between two runs" >&2
    exit 1
  fi
done
[ "$(ls "$work/first" | wc -l)" -eq 3 ] || { echo "40-package: expected two zips and SHA256SUMS" >&2; exit 1; }
(cd "$work/first" && sha256sum --quiet -c SHA256SUMS)

TINTRA_DIST="$work/first" python3 -m unittest discover -s "$root/tests/package" -p 'test_*.py'
