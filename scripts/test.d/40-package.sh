#!/usr/bin/env bash
# The release downloads: scripts/package refuses a tree with uncommitted
# changes (tried on a scratch repository, before any build); it signs with a
# throwaway self-signed certificate and osslsigncode verifies the signed
# TINTRA.aex; then two unsigned runs must give identical files, SHA256SUMS
# must verify with the commands the install note gives, and the zips (the
# OFX one with the whole TINTRA.ofx.bundle) must hold exactly the built
# deliverables with their modes, the note and the guide (tests/package).
# The unsigned runs come after the signed one, so the comparison with the
# build also shows that signing left the build's own TINTRA.aex alone.
# The Debian package passes lintian without an error, installs with apt-get,
# renders through the installed plug-ins the same bytes as the build (an
# 8-bit frame through TINTRA.so, a float one through TINTRA.ofx) and leaves
# nothing behind when purged. Installing needs root (or sudo without a
# password), and a machine without tintra installed already.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
export TINTRA_WINDOWS_BUILD="${TINTRA_WINDOWS_BUILD:-$root/build/windows}"
export TINTRA_MACOS_BUILD="${TINTRA_MACOS_BUILD:-$root/build/macos}"
export TINTRA_OFX_BUILD="${TINTRA_OFX_BUILD:-$root/build/ofx}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "40-package: uncommitted changes are refused" >&2
# A scratch repository with the script and builds that only say they ran:
# the check must come first, so a refusal never reaches them.
repo="$work/repo"
mkdir -p "$repo/scripts"
cp "$root/scripts/package" "$repo/scripts/"
for build in build-windows build-macos; do
  printf '#!/bin/sh\necho "%s ran" >&2\nexit 3\n' "$build" >"$repo/scripts/$build"
  chmod +x "$repo/scripts/$build"
done
git -C "$repo" init -q
git -C "$repo" add .
git -C "$repo" -c user.name=test -c user.email=test@example.invalid commit -qm scratch
# state of the scratch tree, options, the expected exit status
cases=(
  "clean||3"
  "a tracked file changed||2"
  "an untracked file||2"
  "an untracked file|--allow-modified|3"
)
for case in "${cases[@]}"; do
  IFS='|' read -r state option expected <<<"$case"
  git -C "$repo" checkout -q -- . && git -C "$repo" clean -qfd
  case "$state" in
    "a tracked file changed") echo "# changed" >>"$repo/scripts/build-macos" ;;
    "an untracked file") touch "$repo/notes.txt" ;;
  esac
  status=0
  "$repo/scripts/package" ${option:+"$option"} --out "$work/refused" 2>"$work/refused.log" || status=$?
  if [ "$status" -ne "$expected" ] || { [ "$expected" -eq 2 ] && ! grep -q "uncommitted changes" "$work/refused.log"; }; then
    cat "$work/refused.log" >&2
    echo "40-package: $state ${option}: exit status $status, expected $expected" >&2
    exit 1
  fi
done

# This tree may itself hold uncommitted work: then the zips are marked.
options=()
export TINTRA_MODIFIED=0
if [ -n "$(git -C "$root" status --porcelain)" ]; then
  options=(--allow-modified)
  TINTRA_MODIFIED=1
fi
export TINTRA_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"

echo "40-package: signing with a throwaway certificate" >&2
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TINTRA throwaway test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
"$root/scripts/package" "${options[@]}" --out "$work/signed" --sign-cert "$work/cert.pem" \
  --sign-key "$work/key.pem" 2>/dev/null
windows_zip="$(cd "$work/signed" && echo TINTRA-*-windows-x64.zip)"
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
"$root/scripts/package" "${options[@]}" --out "$work/first" 2>/dev/null
# Another time zone for the second run: entry dates must not follow local time.
TZ=Pacific/Kiritimati "$root/scripts/package" "${options[@]}" --out "$work/second" 2>/dev/null
files=("$work/first"/*)
[ "${#files[@]}" -eq 5 ] || { echo "40-package: expected three zips, the .deb and SHA256SUMS" >&2; exit 1; }
for file in "${files[@]}"; do
  if ! cmp "$file" "$work/second/$(basename "$file")"; then
    echo "40-package: $(basename "$file") differs between two runs" >&2
    exit 1
  fi
done

# A user who downloaded some of the zips checks them as the install note says.
mkdir "$work/one"
cp "$work/first/SHA256SUMS" "$work/first"/TINTRA-*-macos.zip "$work/first"/TINTRA-*-ofx.zip "$work/one/"
(
  cd "$work/one"
  sha256sum --quiet -c --ignore-missing SHA256SUMS
  shasum -a 256 -c --ignore-missing SHA256SUMS >/dev/null
  grep macos.zip SHA256SUMS | shasum -a 256 -c >/dev/null
)

TINTRA_DIST="$work/first" TINTRA_SIGNED_DIST="$work/signed" \
  python3 -m unittest discover -s "$root/tests/package" -p 'test_*.py'

echo "40-package: the Debian package" >&2
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "40-package: installing the .deb needs root or sudo without a password" >&2; exit 1; }
  as_root=(sudo -n)
fi
if dpkg-query -W -f='${Status}' tintra 2>/dev/null | grep -q 'installed'; then
  echo "40-package: a tintra package is installed already; this stage would purge it, so it stops" >&2
  exit 1
fi
cd "$work/first"
debs=(tintra_*_amd64.deb)
grep -q "  ${debs[0]}\$" SHA256SUMS || { echo "40-package: ${debs[0]} is not in SHA256SUMS" >&2; exit 1; }
grep "  ${debs[0]}\$" SHA256SUMS >&2
# Errors fail the stage; the warnings left are those docs/releasing.md explains.
lintian --fail-on error "${debs[0]}" >&2
# The package's own folders that exist before it comes, to tell its leftovers.
mapfile -t paths < <(dpkg-deb --fsys-tarfile "${debs[0]}" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^/\?$')
before=()
for path in "${paths[@]}"; do [ -e "$path" ] && before+=("$path"); done
purge() { "${as_root[@]}" apt-get purge -y -q tintra >/dev/null 2>&1 || true; }
trap 'purge; rm -rf "$work"' EXIT
# dpkg's progress is one long line of carriage returns in a log.
quiet_progress() { sed 's/(Reading database[^)]*)//g' >&2; }
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "./${debs[0]}" 2>&1 |
  quiet_progress
dpkg-query -W -f='${Package} ${Version} ${Status}\n' tintra >&2

build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
"$build/tintra" generate scene -o scene.png --size 96x64 2>/dev/null
"$build/tintra" generate scene -o scene.exr --size 96x64 2>/dev/null
# frame, the render's options
renders=(
  "scene.png|--hue 40"
  "scene.exr|--hue 40 --chroma 20 --clip none"
)
for case in "${renders[@]}"; do
  IFS='|' read -r input options <<<"$case"
  extension="${input##*.}"
  # shellcheck disable=SC2086 # the options are words
  "$build/tintra" render "$input" -o "build.$extension" $options 2>/dev/null
  # shellcheck disable=SC2086
  /usr/bin/tintra render "$input" -o "installed.$extension" $options 2>/dev/null
  cmp "build.$extension" "installed.$extension" ||
    { echo "40-package: /usr/bin/tintra renders $input $options differently from the build" >&2; exit 1; }
  echo "40-package: /usr/bin/tintra render $input $options: the build's bytes" >&2
done
# The man page comes from the build's tintra.1, once the build makes one.
case " ${paths[*]} " in
  *" /usr/share/man/man1/tintra.1.gz "*)
    man -w tintra >&2 || { echo "40-package: man -w tintra finds no page" >&2; exit 1; } ;;
  *) echo "40-package: man -w tintra skipped: the package has no man page yet (no $build/tintra.1)" >&2 ;;
esac

# The farm's submitter from the package, its task found beside it, its page
# installed; every link of a shipped page leads to a shipped file.
/usr/bin/tintra-farm-render --help | grep -q "status" ||
  { echo "40-package: /usr/bin/tintra-farm-render --help says nothing" >&2; exit 1; }
[ -x /usr/lib/tintra/farm-task ] || { echo "40-package: farm-task is not beside farm-render" >&2; exit 1; }
man -w tintra-farm-render >&2 || { echo "40-package: man -w tintra-farm-render finds no page" >&2; exit 1; }
for page in /usr/share/doc/tintra/*.md; do
  while read -r target; do
    [ -e "/usr/share/doc/tintra/$target" ] ||
      { echo "40-package: $(basename "$page") links to $target, which the package does not install" >&2; exit 1; }
  done < <(grep -o '](\([^)#:]*\)' "$page" | sed 's/^](//' | grep -v '^$' | sort -u)
done
/usr/bin/tintra --version | head -n 1 | grep -Eq '^tintra [0-9]+\.[0-9]+\.[0-9]+ ' ||
  { echo "40-package: /usr/bin/tintra --version does not start with its version" >&2; exit 1; }

"${as_root[@]}" apt-get purge -y -q tintra 2>&1 | quiet_progress
trap 'rm -rf "$work"' EXIT
if dpkg-query -W tintra >/dev/null 2>&1; then
  echo "40-package: dpkg still knows tintra after the purge" >&2
  exit 1
fi
left=()
for path in "${paths[@]}"; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  case " ${before[*]} " in *" $path "*) continue ;; esac
  left+=("$path")
done
[ ${#left[@]} -eq 0 ] || { echo "40-package: left after the purge: ${left[*]}" >&2; exit 1; }
echo "40-package: the .deb installed, rendered the build's bytes and was purged without a trace" >&2
