#!/usr/bin/env bash
# Sourced by scripts/real-hosts. natron_build builds NatronRenderer 2.5 and
# the openfx-io PNG and OpenImageIO readers/writers from their public
# repositories, at the commits pinned below, into a cache folder outside the
# checkout ($cache/natron-<Natron's commit>), each part marked finished by a
# file written last, so a run cut short builds only what is missing. The
# repositories are read from $TINTRA_HOST_SOURCES/<owner>+<name>/repo (bare
# clones) when there, else cloned bare into $cache/git. Sets natron_renderer
# and natron_plugins (the folder holding PNG.ofx.bundle and OIIO.ofx.bundle).

natron_commit=26c3c85e5  # RB-2.5
natron_openfx=d5db5d04  # its libs/OpenFX (the Documentation/ folders of both are left
# out: their large files are not all in the clones)
sequence_parsing=ab247c29  # its pinned commit is gone; master builds
tinydir=3aae9224
io_commit=1bce1f1a  # openfx-io master
io_openfx=2303ff81
io_supportext=2485505d
ocio_configs=557b981

# repo OWNER/NAME: a bare clone of it.
repo() {
  local local_copy="${TINTRA_HOST_SOURCES:-$cache/git}/${1/\//+}/repo"
  if [ ! -d "$local_copy" ]; then
    local_copy="$cache/git/${1/\//+}/repo"
    [ -d "$local_copy" ] || git clone -q --bare "https://github.com/$1" "$local_copy" >&2
  fi
  echo "$local_copy"
}

# unpack OWNER/NAME COMMIT FOLDER [EXCLUDED PATH]: the files of COMMIT in FOLDER.
unpack() {
  local exclude=()
  [ $# -lt 4 ] || exclude=(":(exclude)$4")
  mkdir -p "$3"
  git -C "$(repo "$1")" archive "$2" -- . "${exclude[@]}" | tar -x -C "$3"
}

natron_build() {
  local top="$cache/natron-$natron_commit" status=0
  local src="$top/src" build="$top/build" io="$top/openfx-io" log="$top/build.log"
  natron_renderer="$build/Renderer/NatronRenderer"
  natron_plugins="$top/io-plugins"
  mkdir -p "$top"
  if [ ! -f "$top/.sources" ]; then
    rm -rf "$src" "$io"
    echo "real-hosts: unpacking Natron $natron_commit and openfx-io $io_commit into $top" >&2
    unpack NatronGitHub/Natron "$natron_commit" "$src" Documentation
    unpack NatronGitHub/openfx "$natron_openfx" "$src/libs/OpenFX" Documentation
    unpack NatronGitHub/SequenceParsing "$sequence_parsing" "$src/libs/SequenceParsing"
    unpack cxong/tinydir "$tinydir" "$src/libs/SequenceParsing/tinydir"
    unpack NatronGitHub/openfx-io "$io_commit" "$io"
    unpack NatronGitHub/openfx "$io_openfx" "$io/openfx" Documentation
    unpack NatronGitHub/openfx-supportext "$io_supportext" "$io/SupportExt"
    unpack NatronGitHub/SequenceParsing "$sequence_parsing" "$io/IOSupport/SequenceParsing"
    unpack cxong/tinydir "$tinydir" "$io/IOSupport/SequenceParsing/tinydir"
    touch "$top/.sources"
  fi
  if [ ! -f "$top/.natron" ]; then
    echo "real-hosts: building NatronRenderer (about an hour on 2 busy cores; log: $log)" >&2
    {
      cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
        -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DNATRON_BUILD_TESTS=OFF -DPython3_EXECUTABLE=/usr/bin/python3 \
        -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache &&
        nice -n 19 cmake --build "$build" -j "$(nproc)" --target NatronRenderer &&
        rm -rf "$build/Resources/OpenColorIO-Configs" &&
        mkdir -p "$build/Resources/OpenColorIO-Configs" &&
        (
          # Natron's default config, blender, without its filmic LUTs (the
          # clone lacks their large files; the sRGB and linear spaces the
          # readers and writers use do not need them), and the other two.
          configs="$(repo NatronGitHub/OpenColorIO-Configs)" into="$build/Resources/OpenColorIO-Configs"
          git -C "$configs" archive --prefix=blender/ "$ocio_configs:blender" -- config.ocio luts | tar -x -C "$into" &&
            git -C "$configs" archive --prefix=nuke-default/ "$ocio_configs:nuke-default" | tar -x -C "$into" &&
            git -C "$configs" archive --prefix=natron/ "$ocio_configs:natron" | tar -x -C "$into"
        )
    } >>"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || [ ! -x "$natron_renderer" ]; then
      tail -n 30 "$log" >&2
      echo "real-hosts: the Natron build failed; its log is $log" >&2
      return 1
    fi
    touch "$top/.natron"
  fi
  if [ ! -f "$top/.io" ]; then
    echo "real-hosts: building openfx-io's PNG and OIIO plug-ins (log: $log)" >&2
    rm -rf "$natron_plugins"
    mkdir -p "$natron_plugins"
    {
      nice -n 19 make -C "$io" -j "$(nproc)" SUBDIRS=PNG CONFIG=release &&
        nice -n 19 make -C "$io" -j "$(nproc)" SUBDIRS=OIIO CONFIG=release &&
        cp -r "$io"/PNG/*-release/PNG.ofx.bundle "$io"/OIIO/*-release/OIIO.ofx.bundle "$natron_plugins/"
    } >>"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] ||
      { tail -n 30 "$log" >&2; echo "real-hosts: the openfx-io build failed; its log is $log" >&2; return 1; }
    touch "$top/.io"
  fi
}
