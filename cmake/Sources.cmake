# Source lists shared by every build of the plug-in (Linux, Windows, macOS).
set(TINTRA_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

set(TINTRA_COLOR_SOURCES
  ${TINTRA_ROOT}/color/clip_methods.cpp
  ${TINTRA_ROOT}/color/pixel_functions.cpp
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

# The colour step for float images and 16-bit images on 0..65535, which only
# the OFX plug-in uses: kept out of the list above so that the After Effects
# builds, which link that list's objects directly on macOS, stay as they are.
set(TINTRA_COLOR_FLOAT_SOURCES
  ${TINTRA_ROOT}/color/pixel_float.cpp
)

# The OFX plug-in's glue; with both colour lists and the effect's texts, the
# whole of TINTRA.ofx.
set(TINTRA_OFX_SOURCES
  ${TINTRA_ROOT}/effect/strings.cpp
  ${TINTRA_ROOT}/ofx/host_suites.cpp
  ${TINTRA_ROOT}/ofx/describe.cpp
  ${TINTRA_ROOT}/ofx/instance.cpp
  ${TINTRA_ROOT}/ofx/optional_property.cpp
  ${TINTRA_ROOT}/ofx/render.cpp
  ${TINTRA_ROOT}/ofx/render_rows.cpp
  ${TINTRA_ROOT}/ofx/plugin_main.cpp
)
