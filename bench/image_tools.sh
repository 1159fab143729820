#!/usr/bin/env bash
# tintra beside ImageMagick and oiiotool on one 4K 16-bit PNG:
#
#   convert in.png out.png                       (ImageMagick: decode, encode)
#   oiiotool in.png -o out.png                   (OpenImageIO: decode, encode)
#   tintra render in.png -o out.png --hue 120    (decode, render, encode)
#
# Each round runs the three in turn, so that a change in the machine's load
# touches all three alike; the figures are the medians of the rounds' wall
# times. The input is tintra's generated scene, written at zlib level 6 as an
# ordinary PNG would be. Targets: tintra at most half of convert and no slower
# than oiiotool.
#
#   bench/image_tools.sh [ROUNDS]      (default 5; build/linux must be built)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
rounds="${1:-5}"
for tool in convert oiiotool "$build/tintra"; do
  command -v "$tool" >/dev/null || { echo "image_tools.sh: $tool is missing (scripts/install-deps, scripts/build)" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tintra" generate scene --size 3840x2160 --depth 16 --png-compression 6 -o "$work/in.png" 2>/dev/null

# shellcheck source=bench/wall_times.sh
source "$root/bench/wall_times.sh"
describe_machine
echo "tools:   $(convert -version | head -1 | cut -d' ' -f2-3), oiiotool $(oiiotool --version 2>&1 | head -1 | awk '{print $NF}'), $("$build/tintra" --version | head -1)"
echo "input:   3840x2160 16-bit RGB PNG, $(stat -c %s "$work/in.png") bytes; $rounds rounds"

im=() oi=() ti=()
for ((r = 1; r <= rounds; r++)); do
  im+=("$(millis convert "$work/in.png" "$work/im.png")")
  oi+=("$(millis oiiotool "$work/in.png" -o "$work/oi.png")")
  ti+=("$(millis "$build/tintra" render "$work/in.png" -o "$work/ti.png" --hue 120)")
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

m_im=$(echo "${im[*]}" | median)
m_oi=$(echo "${oi[*]}" | median)
m_ti=$(echo "${ti[*]}" | median)
printf '%-40s %8s ms   (rounds: %s)\n' "convert in.png out.png" "$m_im" "${im[*]}"
printf '%-40s %8s ms   (rounds: %s)\n' "oiiotool in.png -o out.png" "$m_oi" "${oi[*]}"
printf '%-40s %8s ms   (rounds: %s)\n' "tintra render in.png -o out.png --hue 120" "$m_ti" "${ti[*]}"
awk -v t="$m_ti" -v i="$m_im" -v o="$m_oi" 'BEGIN {
  printf "tintra / convert  = %.2f (target <= 0.50) %s\n", t / i, t <= i / 2 ? "met" : "MISSED"
  printf "tintra / oiiotool = %.2f (target <= 1.00) %s\n", t / o, t <= o ? "met" : "MISSED"
}'
echo "output sizes: convert $(stat -c %s "$work/im.png"), oiiotool $(stat -c %s "$work/oi.png"), tintra $(stat -c %s "$work/ti.png") bytes"
