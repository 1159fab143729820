#include "tests/tools/tintra/image_io/test_color_config.h"

#include <algorithm>
#include <fstream>

namespace tintra_test {

namespace {

// The Cineon curve: code / 1023 = 685/1023 + 300/1023 * log10(lin * (1 -
// black) + black), with black = 10^((95 - 685) * 0.002 / 0.6). The ACEScg
// matrix takes AP1 to Rec.709 primaries, with the D60 to D65 adaptation.
const char* const kConfig = R"(ocio_profile_version: 2
strictparsing: true
roles: {default: lin_rec709, scene_linear: lin_rec709, compositing_log: cineon_log, data: raw}
displays: {sRGB: [!<View> {name: Raw, colorspace: raw}]}

colorspaces:
  - !<ColorSpace> {name: lin_rec709, aliases: [linear], encoding: scene-linear}
  - !<ColorSpace> {name: srgb_tx, aliases: [sRGB], encoding: sdr-video, to_scene_reference: !<ExponentWithLinearTransform> {gamma: [2.4, 2.4, 2.4, 1], offset: [0.055, 0.055, 0.055, 0]}}
  - !<ColorSpace> {name: cineon_log, encoding: log, to_scene_reference: !<LogAffineTransform> {base: 10, log_side_slope: 0.29325513, log_side_offset: 0.66959922, lin_side_slope: 0.9892, lin_side_offset: 0.0108, direction: inverse}}
  - !<ColorSpace> {name: ACEScg, encoding: scene-linear, to_scene_reference: !<MatrixTransform> {matrix: [1.70505, -0.62179, -0.08326, 0, -0.13026, 1.14080, -0.01055, 0, -0.02400, -0.12897, 1.15297, 0, 0, 0, 0, 1]}}
  - !<ColorSpace> {name: raw, encoding: data, isdata: true}
)";

}  // namespace

std::vector<unsigned char> IccProfileNamed(const std::string& text, bool v4, size_t cut)
{
    std::vector<unsigned char> p(144, 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + (size_t)i] = (unsigned char)(v >> (24 - 8 * i));
    };
    put32(128, 1);
    std::copy_n("desc", 4, p.begin() + 132);
    std::vector<unsigned char> tag(v4 ? "mluc" : "desc", (v4 ? "mluc" : "desc") + 4);
    tag.resize(v4 ? 28 : 12, 0);
    if (v4) {
        tag[11] = 1, tag[15] = 12, tag[23] = (unsigned char)(2 * text.size()), tag[27] = 28;
        for (char c : text) tag.push_back(0), tag.push_back((unsigned char)c);
    } else {
        tag[11] = (unsigned char)(text.size() + 1);
        tag.insert(tag.end(), text.begin(), text.end());
        tag.push_back(0);
    }
    put32(136, 144);
    put32(140, (uint32_t)tag.size());
    p.insert(p.end(), tag.begin(), tag.end());
    // The header fields a PNG writer checks: size, version, class, colour
    // space, connection space, signature, D50 illuminant.
    put32(0, (uint32_t)p.size());
    put32(8, v4 ? 0x04300000u : 0x02100000u);
    std::copy_n("mntrRGB XYZ ", 12, p.begin() + 12);
    std::copy_n("acsp", 4, p.begin() + 36);
    put32(68, 0xF6D6u), put32(72, 0x10000u), put32(76, 0xD32Du);
    p.resize(p.size() - cut);
    return p;
}

std::string WriteTestColorConfig(const std::string& folder)
{
    const std::string path = folder + "/test.ocio";
    std::ofstream(path) << kConfig;
    return path;
}

}  // namespace tintra_test
