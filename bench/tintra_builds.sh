#!/usr/bin/env bash
# tintra render through the After Effects build and through the OFX build of
# the plug-in, on one 4K 16-bit TIFF at Hue 120:
#
#   tintra render in.tif -o ae.tif  --hue 120 --plugin TINTRA.so
#   tintra render in.tif -o ofx.tif --hue 120 --plugin TINTRA.ofx
#
# The plug-ins' own per-pixel costs are close (tintra_ofx_render_bench), so
# the difference here is what tintra does around each host: its conversions
# of parameters and pixels. Each round runs both in turn, so that a change in
# the machine's load touches both alike; the figures are the medians of the
# rounds' wall times, and of their CPU times (user and system), which a
# machine shared with other work disturbs less. Target: the OFX build at most
# 1.05 times the AE build.
#
#   bench/tintra_builds.sh [ROUNDS]      (default 5; build/linux must be built)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
rounds="${1:-5}"
for file in "$build/tintra" "$build/TINTRA.so" "$build/TINTRA.ofx"; do
  [ -e "$file" ] || { echo "tintra_builds.sh: $file is missing (scripts/build)" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tintra" generate scene --size 3840x2160 --depth 16 -o "$work/in.tif" 2>/dev/null

# shellcheck source=bench/wall_times.sh
source "$root/bench/wall_times.sh"
describe_machine
echo "input:   3840x2160 16-bit RGB TIFF, $(stat -c %s "$work/in.tif") bytes; $rounds rounds"

ae=() ofx=() ae_cpu=() ofx_cpu=()
for ((r = 1; r <= rounds; r++)); do
  read -r wall cpu < <(millis "$build/tintra" render "$work/in.tif" -o "$work/ae.tif" --hue 120 --plugin "$build/TINTRA.so")
  ae+=("$wall") ae_cpu+=("$cpu")
  read -r wall cpu < <(millis "$build/tintra" render "$work/in.tif" -o "$work/ofx.tif" --hue 120 --plugin "$build/TINTRA.ofx")
  ofx+=("$wall") ofx_cpu+=("$cpu")
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

# One line per build and measure, then the ratio of the medians.
report() {
  local what=$1 m_ae m_ofx
  shift
  local -n a=$1 o=$2
  m_ae=$(echo "${a[*]}" | median)
  m_ofx=$(echo "${o[*]}" | median)
  printf '%-24s %4s %8s ms   (rounds: %s)\n' "After Effects build" "$what" "$m_ae" "${a[*]}"
  printf '%-24s %4s %8s ms   (rounds: %s)\n' "OFX build" "$what" "$m_ofx" "${o[*]}"
  awk -v a="$m_ae" -v o="$m_ofx" -v w="$what" 'BEGIN {
    printf "OFX / AE (%s) = %.2f (target <= 1.05) %s\n", w, o / a, o <= a * 1.05 ? "met" : "MISSED"
  }'
}
report wall ae ofx
report CPU ae_cpu ofx_cpu
