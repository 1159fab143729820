#include "tests/tools/tintra/image_io/test_color_config.h"

#include <fstream>

namespace tintra_test {

namespace {

// The Cineon curve: code / 1023 = 685/1023 + 300/1023 * log10(lin * (1 -
// black) + black), with black = 10^((95 - 685) * 0.002 / 0.6). The ACEScg
// matrix takes AP1 to Rec.709 primaries, with the D60 to D65 adaptation.
const char* const kConfig = R"(ocio_profile_version: 2

search_path: ""
strictparsing: true

roles:
  default: lin_rec709
  scene_linear: lin_rec709
  compositing_log: cineon_log
  data: raw

displays:
  sRGB:
    - !<View> {name: Raw, colorspace: raw}

colorspaces:
  - !<ColorSpace>
    name: lin_rec709
    aliases: [linear]
    encoding: scene-linear

  - !<ColorSpace>
    name: srgb_tx
    aliases: [sRGB]
    encoding: sdr-video
    to_scene_reference: !<ExponentWithLinearTransform> {gamma: [2.4, 2.4, 2.4, 1], offset: [0.055, 0.055, 0.055, 0]}

  - !<ColorSpace>
    name: cineon_log
    encoding: log
    to_scene_reference: !<LogAffineTransform> {base: 10, log_side_slope: 0.29325513, log_side_offset: 0.66959922, lin_side_slope: 0.9892, lin_side_offset: 0.0108, direction: inverse}

  - !<ColorSpace>
    name: ACEScg
    encoding: scene-linear
    to_scene_reference: !<MatrixTransform> {matrix: [1.70505, -0.62179, -0.08326, 0, -0.13026, 1.14080, -0.01055, 0, -0.02400, -0.12897, 1.15297, 0, 0, 0, 0, 1]}

  - !<ColorSpace>
    name: raw
    encoding: data
    isdata: true
)";

}  // namespace

std::string WriteTestColorConfig(const std::string& folder)
{
    const std::string path = folder + "/test.ocio";
    std::ofstream(path) << kConfig;
    return path;
}

}  // namespace tintra_test
