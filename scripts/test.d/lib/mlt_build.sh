#!/usr/bin/env bash
# Sourced by the stages that render through MLT. mlt_build ARCHIVE STAGE
# builds MLT from ARCHIVE (a `git archive` of one of its tags) with only its
# core and the avformat, xml and openfx modules, and installs it into a cache
# folder outside the checkout named after the archive's sha256, so that a
# second run reuses it. MLT finds its modules by the folder it was configured
# for, so it is installed there directly, and a file written last marks the
# build finished: one cut short is built again. It sets mlt_prefix to that
# folder and mlt_melt to its melt.

mlt_build() {
  local archive="$1" stage="$2" sha cache work status=0 module
  local off=(DECKLINK FREI0R GDK GLAXNIMATE GLAXNIMATE_QT6 JACKRACK KDENLIVE MOVIT NDI NORMALIZE
    OLDFILM OPENCV PLUS PLUSGPL QT QT6 RESAMPLE RTAUDIO RUBBERBAND RNNOISE SDL1 SDL2 SOX
    SPATIALAUDIO VIDSTAB VORBIS XINE)
  local options=(-DCMAKE_BUILD_TYPE=Release -DUSE_LV2=OFF -DUSE_VST2=OFF -DUSE_AVDEVICE=OFF
    -DCLANG_FORMAT=OFF -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF)
  for module in "${off[@]}"; do options+=("-DMOD_$module=OFF"); done
  sha="$(sha256sum "$archive" | cut -d' ' -f1)"
  cache="${XDG_CACHE_HOME:-$HOME/.cache}/tintra"
  mlt_prefix="$cache/mlt-$sha"
  mlt_melt="$mlt_prefix/bin/melt"
  if [ -f "$mlt_prefix/.complete" ]; then
    echo "$stage: MLT from the cache, $mlt_prefix" >&2
    return 0
  fi
  echo "$stage: building MLT from $(basename "$archive") (sha256 $sha) into $mlt_prefix" >&2
  mkdir -p "$cache"
  rm -rf "$mlt_prefix"
  work="$(mktemp -d "$cache/mlt-build.XXXXXX")"
  if command -v ccache >/dev/null; then
    options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  {
    tar -xzf "$archive" -C "$work" --strip-components=1 &&
      mkdir "$work/build" &&
      cmake -S "$work" -B "$work/build" -DCMAKE_INSTALL_PREFIX="$mlt_prefix" "${options[@]}" &&
      cmake --build "$work/build" -j "$(nproc)" &&
      cmake --install "$work/build"
  } >"$work/build.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || [ ! -x "$mlt_melt" ] || [ ! -e "$mlt_prefix/lib/mlt-7/libmltopenfx.so" ]; then
    tail -n 40 "$work/build.log" >&2
    echo "$stage: the MLT build failed; its log is $work/build.log" >&2
    return 1
  fi
  rm -rf "$work"
  touch "$mlt_prefix/.complete"
}
