# Source lists shared by every build of the plug-in (Linux, Windows, macOS).
set(TINTRA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

set(TINTRA_COLOR_SOURCES
  ${TINTRA_ROOT}/color/clip_methods.cpp
  ${TINTRA_ROOT}/color/pixel_functions.cpp
  ${TINTRA_ROOT}/color/pixel_arrays.cpp
  ${TINTRA_ROOT}/gamut/gamut_boundary.cpp
  ${TINTRA_ROOT}/gamut/adaptive_clip.cpp
)

# The host boundary and the effect glue: with the colour sources above, the
# whole plug-in.
set(TINTRA_PLUGIN_SOURCES
  ${TINTRA_ROOT}/host/suite_handler.cpp
  ${TINTRA_ROOT}/effect/strings.cpp
  ${TINTRA_ROOT}/effect/parameters.cpp
  ${TINTRA_ROOT}/effect/registration.cpp
  ${TINTRA_ROOT}/effect/effect_main.cpp
)
