#!/usr/bin/env bash
# Sourced by the stages that run Windows programs. wine_prefix FOLDER STAGE
# makes a Wine prefix of the stage's own in its scratch FOLDER (created on
# first use, Wine's notes about it dropped, no display) and stops Wine's
# server, then removes FOLDER, when the stage exits. wine_run runs a program
# with the Wine errors kept; a failure ends the stage, and all the runs of a
# stage together have 15 minutes, so that a Wine that hangs does not hang the
# whole test run.

wine_prefix() {
  wine_folder="$1"
  wine_stage="$2"
  wine_deadline=$((SECONDS + 900))
  export WINEPREFIX="$wine_folder/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  trap wine_cleanup EXIT
}

wine_cleanup() {
  if [ -d "$WINEPREFIX" ]; then wineserver -w || true; fi
  rm -rf "$wine_folder"
}

wine_run() {
  local status=0
  timeout "$((wine_deadline > SECONDS ? wine_deadline - SECONDS : 1))" wine "$@" \
    2> >(grep -v '^wine: ' >&2) || status=$?
  if [ "$status" -ne 0 ]; then
    if [ "$status" -eq 124 ]; then
      echo "$wine_stage: the Wine runs did not finish within 15 minutes" >&2
    else
      echo "$wine_stage: $1 failed under Wine (status $status)" >&2
    fi
    exit 1
  fi
}
