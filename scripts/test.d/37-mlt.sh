#!/usr/bin/env bash
# The OFX bundle inside MLT 7.40 (the engine of Kdenlive and Shotcut), a host
# we did not write. Builds MLT from ../shared/hosts/ (only its core and the
# avformat, xml and openfx modules) into a cache folder outside the checkout,
# reused while the archive is the same, then, with the bundle alone in a
# scratch OFX_PLUGIN_PATH:
#   - `melt -query` must list the parameters as the plug-in declares them
#     (titles, defaults, slider ranges, choice labels; read from `tintra
#     info`, never from a list kept here);
#   - renders through melt, each compared pixel for pixel with `tintra
#     --plugin` applied to MLT's own render of the same input without the
#     filter (MLT's decoding is not lossless, so the input file itself is
#     not the reference): 8-bit for every choice of every popup, 16-bit
#     (rgba64), rows top down (mlt_origin=1) as well as MLT's bottom-up
#     default, a 50-frame video on two render threads (real_time=-2), and a
#     Hue keyframed from 0 to 360 over it, each frame against tintra at the
#     value MLT's own animation code gives that frame; Mix at 0.5 when the
#     plug-in declares a Mix.
# TINTRA_MLT_ARCHIVE names another MLT archive; XDG_CACHE_HOME moves the cache.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
linux_build="${TINTRA_LINUX_BUILD:-$root/build/linux}"
ofx_build="${TINTRA_OFX_BUILD:-$root/build/ofx}"
archive="${TINTRA_MLT_ARCHIVE:-$root/../shared/hosts/mlt-7.40.0.tar.gz}"
tintra="$linux_build/tintra"

fail() {
  echo "37-mlt: $*" >&2
  exit 1
}

if [ ! -x "$tintra" ] || [ ! -f "$linux_build/TINTRA.ofx" ] || [ ! -f "$linux_build/ofx/Info.plist" ]; then
  fail "no $tintra, TINTRA.ofx or ofx/Info.plist; build the Linux tree first (scripts/build)"
fi
[ -f "$archive" ] || fail "no MLT archive at $archive (TINTRA_MLT_ARCHIVE names another)"
# shellcheck source=scripts/test.d/lib/mlt_build.sh
. "$root/scripts/test.d/lib/mlt_build.sh"
mlt_build "$archive" 37-mlt

work="$(mktemp -d /tmp/tintra-mlt.XXXXXX)"
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY

# The bundle 35-ofx made when it holds this Linux build, else one of this
# Linux build alone: on Linux MLT loads nothing else from it.
mkdir -p "$work/plugins/TINTRA.ofx.bundle/Contents/Linux-x86-64"
bundle="$work/plugins/TINTRA.ofx.bundle"
if cmp -s "$ofx_build/TINTRA.ofx.bundle/Contents/Linux-x86-64/TINTRA.ofx" "$linux_build/TINTRA.ofx"; then
  cp -r "$ofx_build/TINTRA.ofx.bundle/." "$bundle"
  echo "37-mlt: the bundle $ofx_build/TINTRA.ofx.bundle" >&2
else
  cp "$linux_build/ofx/Info.plist" "$bundle/Contents/"
  cp "$linux_build/TINTRA.ofx" "$bundle/Contents/Linux-x86-64/"
  echo "37-mlt: a bundle of $linux_build/TINTRA.ofx ($ofx_build holds no bundle of it)" >&2
fi
export OFX_PLUGIN_PATH="$work/plugins"

"$tintra" info --plugin "$bundle" >"$work/info.txt"
identifier="$(awk '$1 == "identifier" {print $2}' "$work/info.txt")"
[ -n "$identifier" ] || fail "tintra info names no identifier for $bundle"
filter="openfx.$identifier"
"$mlt_melt" -query "filter=$filter" >"$work/query.yml" 2>"$work/query.log" ||
  { cat "$work/query.log" >&2; fail "melt -query filter=$filter failed"; }
echo "37-mlt: melt -query filter=$filter lists:" >&2
python3 "$root/scripts/test.d/lib/mlt_params.py" "$work/info.txt" "$work/query.yml" >"$work/params.tsv"

# MLT's name and tintra's option for each parameter, by the plug-in's title.
declare -A mlt_name option
popups=()
while IFS=$'\t' read -r name title opt choices; do
  mlt_name[$title]="$name"
  option[$title]="$opt"
  [ -z "$choices" ] || popups+=("$title")
done <"$work/params.tsv"
for title in Hue Chroma; do
  [ -n "${mlt_name[$title]:-}" ] || fail "the plug-in declares no $title"
done

# One image and a 50-frame video, 96x64, in a profile of that size.
"$tintra" generate chart -o "$work/chart.png" --size 96x64
"$tintra" generate scene -o "$work/scene/s.####.png" --size 96x64 --frames 1-50
ffmpeg -loglevel error -framerate 25 -i "$work/scene/s.%04d.png" -c:v ffv1 "$work/scene.mkv"
printf '%s\n' description=tintra frame_rate_num=25 frame_rate_den=1 width=96 height=64 progressive=1 \
  sample_aspect_num=1 sample_aspect_den=1 display_aspect_num=3 display_aspect_den=2 colorspace=709 \
  >"$work/profile"

# melt_render NAME INPUT DEPTH THREADS [PROPERTY=VALUE...]: renders INPUT
# through melt into the PNG frames NAME/001.png..., at DEPTH 8 or 16 bits, on
# -THREADS render threads (MLT's real_time: negative never drops a frame; -2
# renders two frames at once), through the plug-in with those properties when
# there are any.
melt_render() {
  local name="$1" input="$2" depth="$3" threads="$4" format=rgba pix_fmt=rgba
  shift 4
  [ "$depth" = 8 ] || { format=rgba64; pix_fmt=rgba64be; }
  local source=("$input") with=()
  case "$input" in *.png) source+=(out=0) ;; esac
  [ $# -eq 0 ] || with=(-filter "$filter" "$@")
  mkdir "$work/$name"
  "$mlt_melt" -quiet -profile "$work/profile" "${source[@]}" "${with[@]}" \
    -consumer "avformat:$work/$name/%03d.png" vcodec=png pix_fmt="$pix_fmt" mlt_image_format="$format" \
    real_time="$threads" >"$work/$name.log" 2>&1 ||
    { cat "$work/$name.log" >&2; fail "$name: melt failed"; }
}

# same NAME REFERENCE: every frame MLT rendered into NAME equals tintra's in
# REFERENCE, pixel for pixel.
same() {
  local name="$1" reference="$2" frame count=0
  for frame in "$work/$name"/*.png; do
    idiff -fail 0 -warn 0 "$frame" "$work/$reference/${frame##*/}" >"$work/idiff.log" 2>&1 ||
      { cat "$work/idiff.log" >&2; fail "$name: frame ${frame##*/} differs from tintra's"; }
    count=$((count + 1))
  done
  [ "$count" -gt 0 ] || fail "$name: MLT wrote no frame"
  echo "37-mlt: $name: $count frame(s) identical to tintra's" >&2
}

# compare NAME PASS DEPTH THREADS TINTRA-OPTIONS -- PROPERTIES: NAME through
# melt with PROPERTIES against tintra with TINTRA-OPTIONS on the frames of PASS.
compare() {
  local name="$1" pass="$2" depth="$3" threads="$4" options=() input="$work/chart.png"
  shift 4
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  [ "$threads" = -1 ] || input="$work/scene.mkv"
  melt_render "$name" "$input" "$depth" "$threads" "$@"
  "$tintra" render "$work/$pass" -o "$work/$name-tintra" -q --plugin "$bundle" "${options[@]}" 2>"$work/tintra.log" ||
    { cat "$work/tintra.log" >&2; fail "$name: tintra failed"; }
  same "$name" "$name-tintra"
}

hue="${mlt_name[Hue]}" chroma="${mlt_name[Chroma]}"
turn=("${option[Hue]}" 100 "${option[Chroma]}" 40)
melt_render pass8 "$work/chart.png" 8 -1
melt_render pass16 "$work/chart.png" 16 -1
melt_render passvideo "$work/scene.mkv" 8 -2
for title in "${popups[@]}"; do
  IFS=$'\t' read -r -a labels <<<"$(awk -F'\t' -v t="$title" '$2 == t' "$work/params.tsv" | cut -f4-)"
  for i in "${!labels[@]}"; do
    compare "8-bit, $title ${labels[$i]}" pass8 8 -1 "${turn[@]}" "${option[$title]}" $((i + 1)) -- \
      "$hue=100" "$chroma=40" "${mlt_name[$title]}=${labels[$i]}"
  done
done
compare "16-bit (rgba64)" pass16 16 -1 "${turn[@]}" -- "$hue=100" "$chroma=40"
compare "8-bit, rows top down (mlt_origin=1)" pass8 8 -1 "${turn[@]}" -- "$hue=100" "$chroma=40" mlt_origin=1
compare "16-bit, rows top down (mlt_origin=1)" pass16 16 -1 "${turn[@]}" -- "$hue=100" "$chroma=40" mlt_origin=1
compare "50 frames on two threads (real_time=-2)" passvideo 8 -2 "${option[Hue]}" -60 "${option[Chroma]}" 25 -- \
  "$hue=-60" "$chroma=25"
if [ -n "${mlt_name[Mix]:-}" ]; then
  compare "8-bit, Mix 0.5" pass8 8 -1 "${turn[@]}" "${option[Mix]}" 0.5 -- "$hue=100" "$chroma=40" "${mlt_name[Mix]}=0.5"
fi

# Hue keyframed over the video: each frame against tintra at the value MLT's
# animation code gives that frame, from a program built against this MLT.
keys="0=0;49=360"
cc -std=gnu11 -O1 -o "$work/anim_values" "$root/scripts/test.d/lib/mlt_anim_values.c" \
  -I"$mlt_prefix/include/mlt-7" -L"$mlt_prefix/lib" -lmlt-7 -Wl,-rpath,"$mlt_prefix/lib"
"$work/anim_values" "$keys" 50 >"$work/hues.txt"
melt_render keyframed "$work/scene.mkv" 8 -2 "$hue=$keys" "$chroma=25"
mkdir "$work/keyframed-tintra"
frame=0
while read -r value; do
  frame=$((frame + 1))
  printf '%03d\0%s\0' "$frame" "$value"
done <"$work/hues.txt" >"$work/jobs"
# shellcheck disable=SC2016 # the arguments are the inner shell's
xargs -0 -n 2 -P "$(nproc)" -a "$work/jobs" sh -c '"$0" render "$1/passvideo/$5.png" \
  -o "$1/keyframed-tintra/$5.png" -q --plugin "$2" "$3" "$6" "$4" 25' \
  "$tintra" "$work" "$bundle" "${option[Hue]}" "${option[Chroma]}" 2>"$work/tintra.log" ||
  { cat "$work/tintra.log" >&2; fail "keyframed: tintra failed"; }
same keyframed keyframed-tintra
echo "37-mlt: keyframed Hue $keys over 50 frames: from $(sed -n 1p "$work/hues.txt") to $(sed -n 50p "$work/hues.txt") degrees, as MLT gives them" >&2
echo "37-mlt: every render through MLT $(basename "$mlt_prefix" | cut -c1-12) identical to tintra's, in $SECONDS s" >&2
